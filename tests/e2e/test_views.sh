#!/usr/bin/env bash
# The message views end to end: the whole recorded corpus, plus an ABK
# acknowledgement, a met/hydro broadcast, a tidal window and a class B SOTDMA
# report, goes into the Presentation Port in batches; after each batch every
# stored column is clicked. A column must open the template its message
# calls for, and every cell must read what asm-decode says the view writes
# for that slot (cells it does not write keep the template's text). A
# message without a template of its own opens the generic view, titled
# after its message type, whose list must hold asm-decode's rows, each text
# whole in its column; every such type of the corpus must open it. The strip
# right of the last column must open nothing. The first view of each
# template is photographed (of the generic view, those of a SAR aircraft
# report, with degree signs, of a message 8 with a long hex value and of a
# safety text), and one view is closed with the Escape key instead of the
# close box.
#
# So that each run keeps within its time, the messages are shared out
# between two tests: this one takes the ABKs and the messages with a
# template of their own; test_generic_view.sh, which runs this script with
# VIEWS_PART=generic, those that only the generic view shows.
#
# Needs the native asm-decode (ASM_DECODE, default <source>/build/native/asm-decode).
VIEWS_PART=${VIEWS_PART:-templates}
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

e2e_native_tool ASM_DECODE asm-decode
CORPUS=$E2E_SOURCE/../shared/corpus
RC=$E2E_SOURCE/res/view_dialogs.rc
WORK=$E2E_HOME/$E2E_NAME
rm -rf "$WORK"
mkdir -p "$WORK"

# Extra sentences the corpus lacks, packed from stated fields.
PYTHONPATH=$E2E_SOURCE/tests python3 - "$WORK/extra.nmea" <<'EOF'
import sys
from ais_pack import fields, frame, sentences

def vdo(bits):
    return sentences(bits)[0]

# Met/hydro report of the own station (MMSI 0) as packed at 14:07 on day 23:
# every observation not available.
met_hydro = bytes.fromhex("200000000000 5F52DAF029A8102EE1FFFFB45A200657D7FFBFFD0FFF68FFB47FFED1FFFFED1FFFDA35F5FFEC00")
met_hydro_bits = "".join(format(b, "08b") for b in met_hydro)

# Tidal window, DAC 1 FI 32, on 15 July: three windows, one west and south.
def window(lon_deg, lat_deg, from_h, from_m, to_h, to_m, direction, speed):
    return ((25, round(lon_deg * 60000)), (24, round(lat_deg * 60000)), (5, from_h), (6, from_m),
            (5, to_h), (6, to_m), (9, direction), (8, speed))
tidal = fields((6, 6), (2, 0), (30, 244670316), (2, 1), (30, 211234567), (1, 0), (1, 0), (10, 1), (6, 32),
               (4, 7), (5, 15),
               *window(4.5, 52.1, 10, 30, 16, 45, 245, 23),
               *window(-1.25, -33.875, 0, 0, 23, 59, 359, 255),
               *window(181, 91, 24, 60, 24, 60, 360, 0))

# Class B position report with the SOTDMA selector (the corpus has only
# ITDMA ones) and the class B flags set.
class_b = fields((6, 18), (2, 1), (30, 338087471), (8, 0), (10, 123), (1, 1), (28, round(-74.0721 * 600000)),
                 (27, round(40.7128 * 600000)), (12, 2705), (9, 511), (6, 42), (2, 0),
                 (1, 1), (1, 1), (1, 0), (1, 1), (1, 1), (1, 0), (1, 1), (1, 0),
                 (2, 3), (3, 4), (14, 1234))

with open(sys.argv[1], "w") as out:
    for line in (vdo(met_hydro_bits), vdo(tidal), vdo(class_b),
                 frame("$AIABK,366999712,A,8,1,0"), frame("$AIABK,211234567,B,6,3,2")):
        out.write(line + "\r\n")
EOF
[ -s "$WORK/extra.nmea" ] || e2e_die "could not build the extra sentences"

# Every NMEA line of the corpus, in order, then the extras; of the VDM and
# VDO messages those of this part, by their type (and application) in the
# first fragment, a message's later fragments going with it.
cat "$CORPUS/sample.aivdm" "$CORPUS/ais-nmea.log" "$WORK/extra.nmea" | tr -d '\r' | grep -E '^[!$]' |
  python3 -c '
import sys
templates = {1, 2, 3, 4, 5, 7, 13, 18, 21, 24}
def own_template(payload):
    bits = "".join(format(v - 8 if v > 40 else v, "06b") for v in (ord(c) - 48 for c in payload))
    message_id = int(bits[:6] or "0", 2)
    if message_id == 6: return bits[72:88] == format(1 << 6 | 32, "016b")  # DAC 1, FI 32
    if message_id == 8: return bits[40:56] == format(1 << 6 | 31, "016b")  # DAC 1, FI 31
    return message_id in templates
keep = {}
for line in sys.stdin:
    f = line.split(",")
    if len(f) < 6 or f[0][3:6] not in ("VDM", "VDO"):
        if sys.argv[1] == "templates": sys.stdout.write(line)
        continue
    key = (f[0], f[3], f[4])
    if f[2] == "1":
        keep[key] = own_template(f[5]) == (sys.argv[1] == "templates")
    if keep.get(key, sys.argv[1] == "templates"): sys.stdout.write(line)
' "$VIEWS_PART" >"$WORK/all.nmea"

e2e_unmanaged_windows
e2e_ports COM7
e2e_start_client
e2e_plot_geometry
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 views

# Template titles from the resource script; the generic view takes its
# message's title instead of its template's.
declare -A TITLE
while IFS=$'\t' read -r id title; do TITLE[$id]=$title; done < <(e2e_view_titles)
[ ${#TITLE[@]} -eq 16 ] || e2e_die "expected 16 view templates in $RC, found ${#TITLE[@]}"
unset "TITLE[$VIEW_GENERIC]"

# The check of one batch: the expected records, and the driver's lines for
# the views opened (click, dump, close, wait-gone per view). Also checks the
# template each message must open, independently of the tool.
check_views() {
  python3 - "$RC" "$1" "$2" <<'EOF'
import json, re, sys
rc_path, expected_path, driver_path = sys.argv[1:]

# Control texts of every template: named ids to their text, anonymous texts.
templates, current = {}, None
for line in open(rc_path):
    m = re.match(r"(\d+) DIALOGEX", line)
    if m:
        current = templates.setdefault(int(m.group(1)), {"named": {}, "anonymous": []})
        continue
    m = re.match(r'\s+(CTEXT|LTEXT) "((?:[^"]|"")*)", (-?\d+),', line)
    e = re.match(r"\s+EDITTEXT (\d+),", line)
    if m and current is not None:
        text, cid = m.group(2).replace('""', '"'), int(m.group(3))
        if cid == -1: current["anonymous"].append(text)
        else: current["named"][cid] = text
    elif e and current is not None:
        current["named"][int(e.group(1))] = ""

GENERIC = 41400
def template_for(record):
    """The view a click must open, from the message alone."""
    f, mid, kind = record["fields"], record["messageId"], record["kind"]
    fixed = {1: 1452, 2: 1453, 3: 1456, 4: 120, 5: 121, 7: 129, 13: 132, 21: 126}
    if kind == "ABK": return 1432
    if mid in fixed: return fixed[mid]
    if mid == 18: return 1471 if f["commStateFlag"] == 0 else 142
    if mid == 24: return 152 if f["partNumber"] == 1 else 151
    if mid == 6 and f["dacFi"] == 1 << 6 | 32: return 1447
    if mid == 8 and f["dacFi"] == 1 << 6 | 31: return 1448
    return GENERIC

# A list view's text is drawn inset from its column's edges; a text wider
# than its column less the insets is cut with an ellipsis.
INSET = 6

def check_generic(where, record, shown):
    """The generic view's list against asm-decode's rows: the same rows in
    order (asm-decode numbers a repeated label, the list does not), each
    text whole in its column."""
    rows = [(re.sub(r" \(\d+\)$", "", label), value) for label, value in record["cells"].items()]
    got = [tuple(row["texts"]) for row in shown["rows"]]
    if got != rows:
        fail("%s: the list shows %r, asm-decode %r" % (where, got, rows))
    widths = [column["width"] for column in shown["columns"]]
    for row in shown["rows"]:
        for text, extent, width in zip(row["texts"], row["extents"], widths):
            if extent + 2 * INSET > width:
                fail("%s: %r is %d px wide, its column %d px" % (where, text, extent, width))

failures = 0
def fail(text):
    global failures
    failures += 1
    print("FAIL: " + text)

records = [json.loads(line) for line in open(expected_path)]
driver = [line.rstrip("\n") for line in open(driver_path)]
views = [r for r in records if r["template"] is not None]
for r in records:
    want = template_for(r)
    if r["template"] != want:
        fail("slot %d (%s type %d): asm-decode chooses template %s, the message calls for %s"
             % (r["slot"], r["kind"], r["messageId"], r["template"], want))
if len(driver) != 4 * len(views):
    fail("driver gave %d lines for %d views" % (len(driver), len(views)))
    views = views[:len(driver) // 4]
for n, r in enumerate(views):
    where = "slot %d (%s type %d, template %d)" % (r["slot"], r["kind"], r["messageId"], r["template"])
    if r["template"] == GENERIC:
        check_generic(where, r, json.loads(driver[4 * n + 1]))
        continue
    dump = json.loads(driver[4 * n + 1])
    shown = {}
    anonymous = []
    for child in dump:
        cid = child["id"]
        if cid == -1 or (cid == 65535 and 65535 not in templates[r["template"]]["named"]):
            anonymous.append(child["text"])
        else:
            shown[cid] = child["text"]
    tpl = templates[r["template"]]
    if sorted(anonymous) != sorted(tpl["anonymous"]):
        fail("%s: fixed texts %r, template has %r" % (where, anonymous, tpl["anonymous"]))
    for cid, text in tpl["named"].items():
        want = r["cells"].get(str(cid), text)
        if shown.get(cid) != want:
            fail("%s: control %d shows %r, expected %r" % (where, cid, shown.get(cid), want))
    for cid in r["cells"]:
        if int(cid) not in tpl["named"]:
            fail("%s: the view writes control %s, which the template lacks" % (where, cid))
print("checked %d views of %d records" % (len(views), len(records)))
sys.exit(1 if failures else 0)
EOF
}

# No view window may be open.
expect_no_view() {
  e2e_drive open-view >/dev/null
  [ -n "${E2E_OUT[0]:-}" ] && e2e_fail "a view is open $1: ${E2E_OUT[0]}"
  return 0
}

view_closed() {
  e2e_drive exists "$1" >/dev/null
  [ "${E2E_OUT[0]}" = no ]
}

# The action that reads view TEMPLATE titled TITLE, into READ: the generic
# view's list, or every control.
read_view() {
  if [ "$1" = "$VIEW_GENERIC" ]; then READ=(list-view "$2" "$GENERIC_FIELDS"); else READ=(dump "$2"); fi
}

# Opens the view of one record alone: photographed as NAME, then closed with
# Escape (the first ABK view) or the close box. Adds its four driver lines.
open_first_view() {
  local x=$1 template=$2 title=$3 name=$4
  e2e_drive click-at "$x" "$E2E_CLICK_Y" -- wait-window "$title" >/dev/null
  e2e_log "screenshot $(e2e_screenshot_window "view-$name" "$title")"
  if [ -z "$escape_done" ] && [ "$template" = "$VIEW_ABK" ]; then
    escape_done=1
    e2e_drive dump "$title" >/dev/null
    printf 'ok\n%s\nok\nok\n' "${E2E_OUT[0]}" >>"$WORK/driver.out"
    # Escape reaches the focused window: the view, which took the focus.
    xdotool key Escape
    if ! e2e_wait_for 5 view_closed "$title"; then
      e2e_fail "Escape does not close the ABK view"
      e2e_drive close "$title" -- wait-gone "$title" >/dev/null
    fi
  else
    read_view "$template" "$title"
    e2e_drive "${READ[@]}" -- close "$title" -- wait-gone "$title" >/dev/null
    { echo ok; printf '%s\n' "${E2E_OUT[@]}"; } >>"$WORK/driver.out"
  fi
}

# Batches: each ends before the log wraps round (the wrap clears the
# timeline, so the columns stored before it open nothing), and holds at most
# 40 AIS sentences. batches/N.nmea are a batch's lines, batches/N.jsonl the
# records asm-decode adds for them, in order.
python3 - "$ASM_DECODE" "$WORK/all.nmea" "$WORK/batches" <<'EOF' || e2e_die "cannot plan the batches"
import json, os, subprocess, sys
decoder, source, out = sys.argv[1:]
lines = open(source).read().splitlines()
os.makedirs(out)

def records(end):
    text = "".join(line + "\n" for line in lines[:end])
    run = subprocess.run([decoder], input=text, capture_output=True, text=True, check=True)
    return [json.loads(line) for line in run.stdout.splitlines()]

# The generic view is titled after its message type, as ITU-R M.1371 names it.
NAMES = {6: "Binary addressed message", 8: "Binary broadcast message", 9: "Standard SAR aircraft position report",
         10: "UTC/date inquiry", 11: "UTC/date response", 12: "Addressed safety related message",
         14: "Safety related broadcast message", 15: "Interrogation", 16: "Assigned mode command",
         17: "DGNSS broadcast binary message", 19: "Extended class B equipment position report",
         20: "Data link management message", 22: "Channel management", 23: "Group assignment command",
         25: "Single slot binary message", 26: "Multiple slot binary message with communications state",
         27: "Position report for long-range applications"}

def titled(record):
    if record["template"] == 41400:
        record["title"] = " Message %d : %s" % (record["messageId"],
                                                 NAMES.get(record["messageId"], "Reserved for future use"))
    return record

def no_wrap(end, before):
    slots = [r["slot"] for r in records(end)[before:]]
    return all(a < b for a, b in zip(slots, slots[1:]))

start, before, number = 0, 0, 0
while start < len(lines):
    end, ais = start, 0
    while end < len(lines) and ais < 40:
        ais += lines[end].startswith(("!AI", "$AI"))
        end += 1
    if not no_wrap(end, before):
        low, high = start + 1, end  # no_wrap(low) holds: one line adds one record at most
        while low + 1 < high:
            middle = (low + high) // 2
            if no_wrap(middle, before): low = middle
            else: high = middle
        end = low
    added = records(end)[before:]
    with open("%s/%03d.nmea" % (out, number), "w") as f:
        f.write("".join(line + "\n" for line in lines[start:end]))
    with open("%s/%03d.jsonl" % (out, number), "w") as f:
        f.write("".join(json.dumps(titled(r)) + "\n" for r in added))
    start, before, number = end, before + len(added), number + 1
EOF

declare -A SHOT GENERIC_SEEN
# The generic views photographed: the first of each of these message types.
if [ "$VIEWS_PART" = generic ]; then for id in 8 9 12; do SHOT[$VIEW_GENERIC-$id]=; done; fi
escape_done=
for batch in "$WORK"/batches/*.nmea; do
  cp "${batch%.nmea}.jsonl" "$WORK/batch.jsonl"
  e2e_send_file COM7 "$batch"
  [ -s "$WORK/batch.jsonl" ] || continue
  sleep 1 # the pseudo-terminal delivers at once; let the client store it all

  # The first view of each template alone, the others in one driver run;
  # views.jsonl lists the records in the order of the driver's lines.
  views=() no_view=()
  : >"$WORK/driver.out"
  : >"$WORK/views.jsonl"
  : >"$WORK/batched.jsonl"
  : >"$WORK/no_view.jsonl"
  mapfile -t records <"$WORK/batch.jsonl"
  mapfile -t places < <(jq -r '"\(.slot)\t\(.template // "null")\t\(.messageId)\t\(.title // "")"' "$WORK/batch.jsonl")
  for i in "${!records[@]}"; do
    IFS=$'\t' read -r slot template id title <<<"${places[i]}"
    record=${records[i]}
    x=$(e2e_click_x "$slot")
    shot=$template
    if [ "$template" = "$VIEW_GENERIC" ]; then
      GENERIC_SEEN[$id]=1
      shot=$template-$id
    else
      title=${TITLE[$template]:-}
    fi
    if [ "$template" = null ]; then
      no_view+=(click-at "$x" "$E2E_CLICK_Y" -- sleep 150 --)
      printf '%s\n' "$record" >>"$WORK/no_view.jsonl"
    elif [ -n "${SHOT[$shot]:-}" ] || { [ "$template" = "$VIEW_GENERIC" ] && [ ! -v "SHOT[$shot]" ]; }; then
      read_view "$template" "$title"
      views+=(click-at "$x" "$E2E_CLICK_Y" -- "${READ[@]}" -- close "$title" -- wait-gone "$title" --)
      printf '%s\n' "$record" >>"$WORK/batched.jsonl"
    else
      SHOT[$shot]=1
      open_first_view "$x" "$template" "$title" "$shot"
      printf '%s\n' "$record" >>"$WORK/views.jsonl"
    fi
  done
  if [ ${#views[@]} -gt 0 ]; then
    e2e_drive "${views[@]:0:${#views[@]}-1}" >/dev/null
    printf '%s\n' "${E2E_OUT[@]}" >>"$WORK/driver.out"
  fi
  cat "$WORK/batched.jsonl" "$WORK/no_view.jsonl" >>"$WORK/views.jsonl"
  e2e_check "views of ${batch##*/} match asm-decode" check_views "$WORK/views.jsonl" "$WORK/driver.out"

  # Columns without a view: click them all; then no view may be open.
  if [ ${#no_view[@]} -gt 0 ]; then
    e2e_drive "${no_view[@]:0:${#no_view[@]}-1}" >/dev/null
    expect_no_view "after clicks on columns without a view"
  fi
done

# The strip right of the last column opens nothing.
e2e_drive click-at $((E2E_CLIENT_W - 3)) "$E2E_CLICK_Y" -- sleep 300 >/dev/null
expect_no_view "after a click right of column 49"

shown=("${!SHOT[@]}") generic=(6 8 9 10 11 12 14 15 16 17 19 20 22 23 25 26 27)
if [ "$VIEWS_PART" = templates ]; then
  shown+=("${!TITLE[@]}") generic=()
fi
for template in "${shown[@]}"; do
  [ -n "${SHOT[$template]:-}" ] || e2e_fail "no message opened template $template"
done
for id in "${generic[@]}"; do
  [ -n "${GENERIC_SEEN[$id]:-}" ] || e2e_fail "no message $id opened the generic view"
done
[ -n "$escape_done" ] || [ "$VIEWS_PART" = generic ] || e2e_fail "no ABK view was closed with Escape"

e2e_finish
