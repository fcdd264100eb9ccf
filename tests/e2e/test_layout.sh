#!/usr/bin/env bash
# The views' layout, measured as the client draws it, at 96 DPI (100 %) and
# at 144 DPI (150 %): every view template is opened on a message whose cells
# hold their longest texts (every number at its most digits, every text
# field full of "W"), and inside the client each control's text is measured
# with the font the control really uses. Every label and cell text must fit
# the room its control draws it in, no two controls may draw text over each
# other, every control must use the font its template names, and the whole
# view must lie on the screen. The generic view is opened on the longest
# message (a message 8 of 1008 bits): every text of its list must be whole
# in its column. The "Compose" dialog is measured the same way with each
# kind's controls, its position rows holding their widest values. Each view
# is photographed at both resolutions.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

WORK=$E2E_HOME/layout
rm -rf "$WORK"
mkdir -p "$WORK"
declare -A TITLE
while IFS=$'\t' read -r id title; do TITLE[$id]=$title; done < <(e2e_view_titles)
# The generic view takes its message's title.
TITLE[$VIEW_GENERIC]=" Message 8 : Binary broadcast message"

# One message per template, in this order (template, then its sentences).
PYTHONPATH=$E2E_SOURCE/tests python3 - >"$WORK/messages.tsv" <<'EOF' || e2e_die "cannot pack the messages"
from ais_pack import fields, frame, sentences, text

def widest(message_id, length, texts=(), values=()):
    """Every bit after the message id set, so that each number has its most
    digits; text fields (start bit, characters) full of "W", the widest
    letter; `values` (start bit, width, value) choose the template."""
    bits = list(fields((6, message_id)) + "1" * (length - 6))
    for start, count in texts:
        bits[start:start + 6 * count] = text("W" * count, count)
    for start, width, value in values:
        bits[start:start + width] = fields((width, value))
    return sentences("".join(bits))

views = [
    (1452, widest(1, 168)),
    (1453, widest(2, 168)),
    (1456, widest(3, 168)),
    (120, widest(4, 168)),
    (121, widest(5, 424, texts=((70, 7), (112, 20), (302, 20)))),
    (129, widest(7, 168)),
    (132, widest(13, 168)),
    (1471, widest(18, 168, values=((148, 1, 0),))),  # SOTDMA
    (142, widest(18, 168)),  # ITDMA
    (126, widest(21, 356, texts=((43, 20), (272, 14)))),
    (151, widest(24, 160, texts=((40, 20),), values=((38, 2, 0),))),
    (152, widest(24, 168, texts=((48, 7), (90, 7)), values=((38, 2, 1),))),
    (1432, [frame("$AIABK,999999999,B,26,3,4")]),
    (1447, widest(6, 376, values=((72, 10, 1), (82, 6, 32)))),  # DAC 1, FI 32
    (1448, widest(8, 360, values=((40, 10, 1), (50, 6, 31)))),  # DAC 1, FI 31
    (41400, widest(8, 1008, values=((40, 10, 200), (50, 6, 10)))),  # DAC 200, FI 10: the generic view
]
for template, lines in views:
    print("%d\t%s" % (template, " ".join(lines)))
EOF
[ "$(wc -l <"$WORK/messages.tsv")" -eq ${#TITLE[@]} ] || e2e_die "a message for each of the ${#TITLE[@]} templates"
cut -f2 "$WORK/messages.tsv" | tr ' ' '\n' >"$WORK/messages.nmea"

e2e_ports COM7

# The "Compose" dialog with the controls of each kind of message in turn.
COMPOSE_KINDS=("Met/hydro report (message 8, BBM)" "Addressed safety text (message 12, ABM)"
  "Raw binary message (DAC, FI, hex data)")
measure_compose() {
  local dpi=$1 k=0 kind
  # Row 0 and 1 of the met/hydro fields: latitude and longitude.
  e2e_drive menu "$ID_COMPOSE" -- wait-window Compose "#32770" \
    -- set-text Compose "$((IDC_COMPOSE_FIELD_ROWS + 1))" "89 59.999 S" \
    -- set-text Compose "$((IDC_COMPOSE_FIELD_ROWS + 6))" "179 59.999 W" >/dev/null
  for kind in "${COMPOSE_KINDS[@]}"; do
    e2e_drive select Compose "$IDC_COMPOSE_KIND" "$kind" -- layout Compose >/dev/null
    printf '%s\t%s\n' "$IDD_COMPOSE" "${E2E_OUT[1]}"
    e2e_screenshot_window "$dpi-compose-$k" Compose >/dev/null
    k=$((k + 1))
  done
  e2e_drive close Compose -- wait-gone Compose >/dev/null
}

# Opens each template's view in turn (message n is in column n), measures
# and photographs it; writes one line per view: template, then its layout.
measure_views() {
  local dpi=$1 template sentences slot=0 x
  e2e_dpi "$dpi"
  e2e_start_client
  e2e_plot_geometry
  e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 layout
  e2e_send_file COM7 "$WORK/messages.nmea"
  sleep 1 # the pseudo-terminal delivers at once; let the client store it all
  while IFS=$'\t' read -r template sentences; do
    x=$(e2e_click_x "$slot")
    slot=$((slot + 1))
    e2e_drive click-at "$x" "$E2E_CLICK_Y" -- wait-window "${TITLE[$template]}" -- layout "${TITLE[$template]}" >/dev/null
    printf '%s\t%s\n' "$template" "${E2E_OUT[2]}"
    if [ "$template" = "$VIEW_GENERIC" ]; then
      e2e_drive list-view "${TITLE[$template]}" "$GENERIC_FIELDS" >/dev/null
      printf '%s\n' "${E2E_OUT[0]}" >"$WORK/list-$dpi.json"
    fi
    e2e_screenshot_window "$dpi-$template" "${TITLE[$template]}" >/dev/null
    e2e_drive close "${TITLE[$template]}" -- wait-gone "${TITLE[$template]}" >/dev/null
  done <"$WORK/messages.tsv" >"$WORK/layout-$dpi.tsv"
  measure_compose "$dpi" >>"$WORK/layout-$dpi.tsv"
  e2e_drive close main >/dev/null
  e2e_wait_client_exit 20 && e2e_eq "client exit code at $dpi DPI" 0 "$E2E_CLIENT_EXIT"
}

for dpi in 96 144; do
  e2e_log "measuring every view at $dpi DPI"
  measure_views "$dpi"
done
e2e_dpi 96

# The judgement, from the measurements alone.
check_layout() {
  IDD_COMPOSE=$IDD_COMPOSE python3 - "$E2E_SOURCE/res/view_dialogs.rc" "$E2E_SOURCE/res/compose_dialog.rc" \
    "$WORK"/layout-*.tsv <<'EOF'
import json, os, re, sys

fonts, current = {}, None
named = {"IDD_COMPOSE": int(os.environ["IDD_COMPOSE"])}
for line in open(sys.argv[1]).readlines() + open(sys.argv[2]).readlines():
    m = re.match(r"(\w+) DIALOGEX", line)
    if m: current = named.get(m.group(1)) or int(m.group(1))
    m = re.match(r'FONT \d+, "(.*)"', line)
    if m and current: fonts[current] = m.group(1)

failures = 0
def fail(text):
    global failures
    failures += 1
    print("FAIL: " + text)

def name(c):
    return "control %d %r" % (c["id"], c["text"])

def width(r): return r[2] - r[0]
def height(r): return r[3] - r[1]
def overlap(a, b):
    return min(a[2], b[2]) - max(a[0], b[0]), min(a[3], b[3]) - max(a[1], b[1])

for path in sys.argv[3:]:
    for line in open(path):
        template, text = line.rstrip("\n").split("\t", 1)
        template, layout = int(template), json.loads(text)
        where = "%d DPI, template %d" % (layout["dpi"], template)
        controls = [c for c in layout["controls"] if c["visible"] and c["class"].lower() in ("static", "edit")]
        faces = sorted({c["face"] for c in controls} - {fonts[template]})
        if faces:
            fail("%s: drawn in %s, not in its font %s" % (where, ", ".join(faces), fonts[template]))
        w = layout["window"]
        if w[0] < 0 or w[1] < 0 or w[2] > layout["screen"][0] or w[3] > layout["screen"][1]:
            fail("%s: the view %s is not whole on the %dx%d screen" % (where, w, *layout["screen"]))
        for c in controls:
            cx, cy = c["extent"]
            if cx > width(c["area"]) or cy > height(c["area"]):
                fail("%s: %s is cut: its text is %dx%d px, its room %dx%d px"
                     % (where, name(c), cx, cy, width(c["area"]), height(c["area"])))
        for i, a in enumerate(controls):
            for b in controls[i + 1:]:
                dx, dy = overlap(a["area"], b["area"])
                if dx > 0 and dy > 0:
                    fail("%s: %s and %s draw text over each other (%dx%d px)" % (where, name(a), name(b), dx, dy))
                    continue
                # Touching cells must not share a pixel of their sunken edges
                # either: the generator narrows a cell where rounding would.
                dx, dy = overlap(a["box"], b["box"])
                if dx > 0 and dy > 0:
                    fail("%s: the edges of %s and %s overlap by %d px" % (where, name(a), name(b), dx))
print("measured %d views" % sum(1 for path in sys.argv[3:] for line in open(path)))
sys.exit(1 if failures else 0)
EOF
}

# The generic view's list: every text whole in its column (a list view
# draws a text inset from its column's edges, and cuts one wider than that
# with an ellipsis), the long hex value too.
check_list() {
  python3 - "$WORK"/list-*.json <<'EOF'
import json, sys
INSET = 6
failures = 0
for path in sys.argv[1:]:
    shown = json.load(open(path))
    widths = [column["width"] for column in shown["columns"]]
    for row in shown["rows"] + [{"texts": [c["text"] for c in shown["columns"]],
                                 "extents": [c["extent"] for c in shown["columns"]]}]:
        for text, extent, width in zip(row["texts"], row["extents"], widths):
            if extent + 2 * INSET > width:
                failures += 1
                print("FAIL: %s: %r is %d px wide, its column %d px" % (path, text, extent, width))
    if not any(text.endswith("(952 bits)") for row in shown["rows"] for text in row["texts"]):
        failures += 1
        print("FAIL: %s: no row holds the 952 bits of application data" % path)
print("measured %d lists" % len(sys.argv[1:]))
sys.exit(1 if failures else 0)
EOF
}
e2e_check "every label and cell fits its control at 96 and 144 DPI" check_layout
e2e_check "every text of the generic view's list fits its column at 96 and 144 DPI" check_list

e2e_finish
