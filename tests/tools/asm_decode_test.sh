#!/usr/bin/env bash
# asm-decode end to end on the recorded corpus and on tests/data: output that
# does not depend on the chunk size, one line per logged message, valid JSON,
# errors that name the file, and cells checked against values worked out by
# hand from the corpus comments.
# Usage: bash asm_decode_test.sh <native-build-dir> <source-dir>
set -u
build=$1
source=$2
tool=$build/asm-decode
corpus=$source/../shared/corpus
data=$source/tests/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

inputs=("$corpus/sample.aivdm" "$corpus/ais-nmea.log" "$data/asm_decode_views.nmea")

# The intake keeps its state between chunks, so how the bytes are cut must
# not change a single line.
for n in 1 5 64 128; do
  "$tool" --chunk "$n" "${inputs[@]}" >"$work/out.$n" || fail "chunk $n: exit status $?"
done
for n in 1 5 64; do
  cmp -s "$work/out.$n" "$work/out.128" || fail "chunk $n output differs from chunk 128"
done
cat "${inputs[@]}" | "$tool" --chunk 7 >"$work/out.stdin" || fail "standard input: exit status $?"
cmp -s "$work/out.stdin" "$work/out.128" || fail "standard input output differs from the files'"
"$tool" "${inputs[0]}" - "${inputs[2]}" <"${inputs[1]}" >"$work/out.dash" || fail "'-': exit status $?"
cmp -s "$work/out.dash" "$work/out.128" || fail "'-' among files differs"

# One line per logged message, counted here without the intake: every ABK
# with its five data fields, every single-sentence VDM or VDO, and every
# multi-sentence one whose fragments 1 to n arrived in order under one
# sequential identifier and channel; only sentences with a good checksum,
# wherever they stand on their line.
count_logged() {
  PYTHONPATH=$source/tests python3 - "$1" <<'EOF'
import re, sys
from ais_pack import checksum
data = open(sys.argv[1], "rb").read()
count, progress = 0, {}
for m in re.finditer(rb"[!$]([A-Z]{2}(VDM|VDO|ABK)),([^*\r\n!$]*)\*([0-9A-Fa-f]{2})", data):
    if checksum(m.group(1) + b"," + m.group(3)) != int(m.group(4), 16):
        continue
    f = m.group(3).split(b",")
    if m.group(2) == b"ABK":
        count += len(f) >= 5
        continue
    if len(f) < 5 or not (f[0].isdigit() and f[1].isdigit()):
        continue
    n, k, key = int(f[0]), int(f[1]), (m.group(2), f[2])
    if n == 1 and k == 1:
        count += 1
    elif k == 1:
        progress[key] = (n, 2, f[3])
    elif progress.get(key) == (n, k, f[3]):
        progress[key] = (n, k + 1, f[3])
        if k == n:
            count += 1
            del progress[key]
    else:
        progress.pop(key, None)
print(count)
EOF
}
for file in "$corpus/sample.aivdm" "$corpus/ais-nmea.log" "$data/asm_decode_views.nmea"; do
  expected=$(count_logged "$file")
  got=$("$tool" "$file" | wc -l)
  [[ $got -eq $expected && $got -gt 0 ]] || fail "$(basename "$file"): $got lines, expected $expected"
done

# Every line is a JSON object with its keys in a fixed order.
python3 - "$work/out.128" <<'EOF' || fail "output is not one JSON object per line"
import json, sys
keys = ["slot", "kind", "channelRow", "messageId", "template", "view", "fields", "cells"]
for number, line in enumerate(open(sys.argv[1], encoding="utf-8"), 1):
    d = json.loads(line)
    assert list(d) == keys, (number, list(d))
    fields = d["fields"]
    assert list(fields)[-1] == "payload", number
    # The fields of the message's own type: an ABK's five, a decoded
    # message's header first; a reserved type has no decoder and none.
    if d["kind"] == "ABK":
        assert list(fields) == ["ackType", "destinationId", "messageId", "rxChannel", "sequenceNumber",
                                "payload"], (number, list(fields))
    elif d["messageId"] > 27:
        assert list(fields) == ["payload"], (number, list(fields))
    elif d["view"] is not None:
        assert list(fields)[:1] == ["userId"] and fields["messageId"] == d["messageId"], (number, list(fields))
        assert "ackType" not in fields and "rxChannel" not in fields, number
EOF

# A file that cannot be read: the good file's output first, a message naming
# the bad one, exit status 2.
"$tool" "$data/asm_decode_views.nmea" >"$work/good" 2>/dev/null
"$tool" "$data/asm_decode_views.nmea" "$work/missing.nmea" >"$work/partial" 2>"$work/err"
status=$?
[[ $status -eq 2 ]] || fail "unreadable file: exit status $status, expected 2"
cmp -s "$work/partial" "$work/good" || fail "unreadable file: the good file's output is not all there"
grep -q "cannot read '$work/missing.nmea'" "$work/err" || fail "unreadable file not named: $(cat "$work/err")"
"$tool" "$work" >/dev/null 2>"$work/err"
[[ $? -eq 2 ]] && grep -q "cannot read '$work'" "$work/err" || fail "a directory is not reported as unreadable"

# Bad usage: a usage line and status 1; --help succeeds.
for args in "--chunk 0" "--chunk 129" "--chunk x" "--chunk" "--frobnicate" "--sentences=1"; do
  # shellcheck disable=SC2086
  "$tool" $args </dev/null >/dev/null 2>"$work/err"
  status=$?
  [[ $status -eq 1 ]] && grep -q "^usage: asm-decode" "$work/err" || fail "'$args': status $status, $(cat "$work/err")"
done
"$tool" --help | grep -q "^usage: asm-decode" || fail "--help"

# Cells and fields against hand-worked values: positions converted from the
# comments' degrees to degrees, minutes and ten-thousandths of a minute,
# speeds and courses to tenths.
python3 - "$work/out.128" <<'EOF' || fail "cell values"
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8")]

def find(kind, user, message_id, field="userId", dac_fi=None):
    for d in lines:
        if d["kind"] == kind and d["messageId"] == message_id and d["fields"][field] == user and (
                dac_fi is None or d["fields"]["dacFi"] == dac_fi):
            return d
    raise AssertionError(f"no {kind} message {message_id} from {user}")

failed = 0
def expect(d, template, view, cells, prefixes={}, fields={}):
    global failed
    what = f'{d["kind"]} {d["messageId"]} slot {d["slot"]}'
    problems = []
    if (d["template"], d["view"]) != (template, view):
        problems.append(f'view {d["template"]}/{d["view"]}, expected {template}/{view}')
    for cell, text in cells.items():
        if d["cells"].get(cell) != text:
            problems.append(f'cell {cell} {d["cells"].get(cell)!r}, expected {text!r}')
    for cell, text in prefixes.items():
        if not d["cells"].get(cell, "").startswith(text):
            problems.append(f'cell {cell} {d["cells"].get(cell)!r}, expected to start {text!r}')
    for name, value in fields.items():
        if d["fields"][name] != value:
            problems.append(f'field {name} {d["fields"][name]!r}, expected {value!r}')
    for p in problems:
        print(f"{what}: {p}", file=sys.stderr)
    failed += len(problems)

# Type 1: ROT -127, SOG 12.3, -123.395383333 / 48.38163333, COG 224, heading 215.
expect(find("VDM", 371798000, 1), 1452, 1,
       {"1160": "371798000", "1162": "-127", "1163": "012.3", "1164": "1", "1165": "12323.7230,W",
        "1166": "4822.8980,N", "1167": "224.0", "1168": "215", "1169": "33", "1252": "2", "1757": "1249"},
       fields={"sog": 123, "rateOfTurn": 129, "cog": 2240})
# Type 4: 2007-05-14 19:57:39, -76.352361667 / 36.883766667, EPFD 7.
expect(find("VDM", 3669702, 4), 120, 4,
       {"1160": "003669702", "1096": "2007", "1098": "5", "1101": "14", "1102": "19", "1103": "57", "1104": "39",
        "1165": "07621.1417,W", "1166": "3653.0260,N", "1134": "7", "1252": "4", "1757": "1503"})
# Type 5, two fragments: IMO 9134270, 3FOF8, EVER DIADEM, 225/70/1/31, draught 12.2.
expect(find("VDM", 351759000, 5), 121, 5,
       {"1088": "009134270", "1140": "3FOF8  ", "1109": "EVER DIADEM         ", "1148": "70", "1110": "225",
        "1111": "070", "1112": "01", "1113": "31", "1123": "05", "1124": "15", "1145": "12.2"},
       {"1047": "NEW YORK"})
# Type 7 with one destination.
expect(find("VDM", 2655651, 7), 129, 7,
       {"1215": "265538450", "1244": "0", "1217": "000000000", "1245": "0", "1221": "000000000"})
# Type 18, ITDMA: SOG 0.1, COG 79.6, -74.072131667 / 40.68454, heading 511, RAIM.
expect(find("VDM", 338087471, 18), 142, 18,
       {"1163": "000.1", "1167": "079.6", "1165": "07404.3279,W", "1166": "4041.0724,N", "1168": "511",
        "1169": "49", "1172": "1", "1107": "1"})
# Type 21 over two fragments, the first 43 characters long: the extension
# name is whole only if the fragments are joined bit by bit.
expect(find("VDM", 123456789, 21), 126, 21,
       {"1114": "020", "1109": "CHINA ROSE MURPHY EX", "1110": "005", "1111": "005", "1112": "05", "1113": "05",
        "1169": "50"},
       {"1117": "PRESS ALERT"})
# Type 24 parts A and B of 271041815.
part_a = [d for d in lines if d["messageId"] == 24 and d["fields"]["userId"] == 271041815
          and d["fields"]["partNumber"] == 0][0]
expect(part_a, 151, 24, {"1326": "0"}, {"1109": "PROGUY"})
part_b = [d for d in lines if d["messageId"] == 24 and d["fields"]["userId"] == 271041815
          and d["fields"]["partNumber"] == 1][0]
expect(part_b, 152, 24, {"1148": "60", "2133": "1D00014", "1110": "000", "1111": "015", "1112": "00", "1113": "05"},
       {"1140": "TC6163"})
# Own-ship met/hydro broadcast, every value not available.
expect(find("VDO", 992509977, 8, dac_fi=1 << 6 | 31), 1448, 81,
       {"1066": "992509977", "1068": "1", "1069": "31", "2062": "00608.044,W", "2061": "5317.696,N",
        "2063": "29:23:24", "1538": "127", "1540": "360", "1542": "-1024", "1543": "101", "1544": "501",
        "1545": "511", "1548": "4001", "1563": "13", "1564": "501", "1566": "510"})
# Every recorded message opens a view; one without a template of its own
# (a type 9, a message 8 of DAC 200) the generic view, whose cells are its
# rows by label, the header first.
for d in lines:
    if d["template"] is None:
        print(f'{d["kind"]} {d["messageId"]} slot {d["slot"]}: opens no view', file=sys.stderr)
        failed += 1
    elif d["template"] == 41400 and list(d["cells"].items())[:1] != [("Message ID", str(d["messageId"]))]:
        print(f'{d["kind"]} {d["messageId"]} slot {d["slot"]}: generic rows {d["cells"]}', file=sys.stderr)
        failed += 1
# Type 9: altitude 303 m, SOG 42 kn, -6.27884 / 58.144 (0xFC683F6, 0x2145300), COG 154.5, DTE 1.
expect(find("VDM", 111232511, 9), 41400, 90,
       {"Altitude": "303 m", "SOG": "42 kn", "Longitude": "6\u00b016.7306' W (raw -3767306)",
        "Latitude": "58\u00b008.6400' N (raw 34886400)", "COG": "154.5\u00b0 (raw 1545)", "Time stamp": "15 s",
        "DTE": "1 = not available"})
# Type 8 of DAC 200 FI 10 (inland ship data), the longer of two: header,
# DAC, FI, the data in hex with its bit count.
inland = [d for d in lines if d["messageId"] == 8 and d["fields"].get("userId") == 244650946]
expect(inland[-1], 41400, 90, {"DAC": "200", "FI": "10", "Application data":
       "c32c70cf5d370c3064fa50198800b4987e9555557e083a544f082003b809ae511bfc75f0a7ff960808ccb6be7ed5 (368 bits)"})
# Type 12 with a text of 49 characters, whole in the field and the row.
fujairah = "GUD PM 2U N HAPI NEW YIR OL D BES FRM AL FUJAIRAH"
expect(find("VDM", 211217560, 12), 41400, 90, {"Destination ID": "211378120", "Safety related text": fujairah},
       fields={"sequenceNumber": 2, "destinationId": 211378120})
text12 = find("VDM", 211217560, 12)["fields"]["text"]
if text12.rstrip("@") != fujairah:
    print(f"type 12 text field {text12!r}", file=sys.stderr)
    failed += 1
# tests/data: a tidal window, its acknowledgement, a broadcast one, own ship.
expect(find("VDM", 2655000, 6), 1447, 62,
       {"1026": "002655000", "1027": "265547250", "1161": "1", "1165": "1", "1166": "32", "1168": "07",
        "1169": "14", "1170": "01151.234,E", "1171": "5742.500,N", "1172": "06", "1173": "30", "1174": "18",
        "1175": "45", "1176": "270", "1177": "002.5", "1178": "00000.500,W", "1179": "0100.001,S",
        "1184": "359", "1185": "025.5", "1186": "00000.000,E", "1193": "000.0"},
       fields={"dacFi": 96})
expect(find("ABK", 265547250, 6, "destinationId"), 1432, 60,
       {"1815": "265547250", "1816": "A", "1817": "6", "1818": "1", "1819": "0"},
       fields={"rxChannel": "A", "payload": "", "sequenceNumber": 1})
expect(find("ABK", 0, 8, "destinationId"), 1432, 60,
       {"1815": "0", "1816": "B", "1817": "8", "1818": "3", "1819": "3"})
expect(find("VDO", 2655000, 1), 1452, 1,
       {"1163": "010.5", "1165": "01151.2340,E", "1166": "5742.5000,N", "1167": "090.0", "1168": "090"})
sys.exit(1 if failed else 0)
EOF

# Channel characters a receiver should never send still give valid UTF-8
# JSON: controls escaped, quote and backslash escaped, a byte above 127
# replaced.
PYTHONPATH=$source/tests python3 - "$tool" <<'EOF' || fail "odd characters are not escaped"
import json, subprocess, sys
from ais_pack import frame
channels = [b"\x01", b'"', b"\\", b"\xe9", b"\x7f"]
expected = ["\u0001", '"', "\\", "\ufffd", "\x7f"]
data = b"".join(frame(b"!AIABK,265547250," + c + b",6,1,0") + b"\r\n" for c in channels)
out = subprocess.run([sys.argv[1]], input=data, capture_output=True, check=True).stdout
lines = [json.loads(l) for l in out.decode("utf-8", errors="strict").splitlines()]
assert [d["fields"]["rxChannel"] for d in lines] == expected, [d["fields"]["rxChannel"] for d in lines]
assert [d["cells"]["1816"] for d in lines] == expected, [d["cells"]["1816"] for d in lines]
EOF

# --sentences: one line per sentence with its fate; the stored ones name the
# slots of the message lines, in order. --stats: the counters as a last
# line, or with --sentences on standard error, agreeing with the lines.
"$tool" --sentences --stats "${inputs[@]}" >"$work/fates" 2>"$work/fates.err" || fail "--sentences: exit status $?"
"$tool" --stats "${inputs[@]}" >"$work/stats" || fail "--stats: exit status $?"
python3 - "$work/out.128" "$work/fates" "$work/fates.err" "$work/stats" "$(cat "${inputs[@]}" | wc -c)" <<'EOF' ||
import json, sys
messages = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8")]
fates = [json.loads(l) for l in open(sys.argv[2], encoding="utf-8")]
summary = json.loads(open(sys.argv[3], encoding="utf-8").read())["stats"]
lines = open(sys.argv[4], encoding="utf-8").read().splitlines()
for f in fates:
    assert list(f) == ["fate", "slot", "description", "sentence", "longer"], list(f)
    assert (f["slot"] is not None) == (f["fate"] == "stored"), f
    if f["slot"] is not None:  # the slot by the timeline column that shows it
        assert f["description"].endswith("stored in column %d" % f["slot"]), f
stored = [f["slot"] for f in fates if f["fate"] == "stored"]
assert stored == [m["slot"] for m in messages], "stored fates and message lines differ"
assert [json.loads(l) for l in lines[:-1]] == messages, "--stats changed the message lines"
stats = json.loads(lines[-1])["stats"]
assert stats == summary, (stats, summary)
for name in set(f["fate"] for f in fates):
    assert stats[name] == sum(f["fate"] == name for f in fates), name
assert stats["sentences"] == sum(f["fate"] != "noStartCharacter" for f in fates)
assert stats["bytes"] >= int(sys.argv[5]), "bytes not counted"  # a CR added to lines ending in LF alone
assert stats["stored"] > 250 and stats["fragmentHeld"] > 0 and stats["noStartCharacter"] > 0, stats
EOF
  fail "--sentences and --stats do not agree with the message lines"
"$tool" --chunk=5 "${inputs[2]}" | cmp -s - <("$tool" "${inputs[2]}") || fail "--chunk=5 not taken"

# A multiplexed line: two messages interleaved under ids 3 and 4, a stray
# last fragment, CR CR LF and blank lines, a line of text: each message once,
# with its own first fragment's channel.
frame() {
  PYTHONPATH=$source/tests python3 -c 'import sys; from ais_pack import frame; sys.stdout.write(frame("!" + sys.argv[1]))' "$1"
}
{
  frame 'AIVDM,2,1,3,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0'; printf '\r\r\n'
  frame 'AIVDM,2,1,4,B,53am5`02@=gA0Ptr2204pA8Fl:2222222222220l1HC554I<09UmmsPS,0'; printf '\r\n\r\n'
  frame 'AIVDM,2,2,3,A,88888888880,2'; printf '\r\nhello\r\n\r\n'
  frame 'AIVDM,2,2,4,B,p8888888880,2'; printf '\r\n'
  frame 'AIVDM,2,2,7,B,p8888888880,2'; printf '\r\n'
  frame 'AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0'; printf '\r\n\r\n'
} >"$work/multiplexed.nmea"
for n in 1 7 128; do
  got=$("$tool" --chunk "$n" "$work/multiplexed.nmea" | python3 -c 'import json, sys
print(" ".join("%s/%d/%d" % (d["kind"], d["channelRow"], d["messageId"]) for d in map(json.loads, sys.stdin)))')
  [[ $got == "VDM/29/5 VDM/31/5 VDM/29/1" ]] || fail "multiplexed line, chunk $n: $got"
done
fates=$("$tool" --sentences "$work/multiplexed.nmea" | python3 -c 'import json, sys
print(" ".join(json.loads(l)["fate"] for l in sys.stdin))')
[[ $fates == "fragmentHeld fragmentHeld stored noStartCharacter stored outOfOrder stored" ]] ||
  fail "multiplexed line fates: $fates"

# Each input's last line is evaluated even without its line end: a
# sentence is stored, a line of text gets its fate, and nothing runs on into
# the next input.
frame 'AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0' >"$work/unended.nmea"
printf 'junk' >"$work/junk.nmea"
fates=$("$tool" --sentences "$work/unended.nmea" "$work/junk.nmea" "$work/unended.nmea" | python3 -c 'import json, sys
print(" ".join(json.loads(l)["fate"] for l in sys.stdin))')
[[ $fates == "stored noStartCharacter stored" ]] || fail "inputs without a last line end: $fates"

# --link: a two-port recording whose ports interleave the fragments of
# their messages decodes, for each port, as that port's lines alone do. Sent
# lines (d:), lines without a TAG block and a block whose checksum fails
# belong to no port; port names match without regard to case; the last line
# may lack its line end.
tag() {
  python3 -c 'import sys
from functools import reduce
block = sys.argv[1]
sys.stdout.write("\\%s*%02X\\" % (block, reduce(lambda a, c: a ^ ord(c), block, 0)))' "$1"
}
com7=('AIVDM,2,1,3,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0' 'AIVDM,2,2,3,A,88888888880,2'
  'AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0')
com8=('AIVDM,2,1,3,B,53am5`02@=gA0Ptr2204pA8Fl:2222222222220l1HC554I<09UmmsPS,0' 'AIVDM,2,2,3,B,p8888888880,2')
{
  tag 's:COM7,c:1733612345000'; frame "${com7[0]}"; printf '\r\n'
  tag 's:COM8,c:1733612345010'; frame "${com8[0]}"; printf '\r\n'
  tag 'd:COM7,c:1733612345020'; frame 'AIVDM,1,1,,B,15M67FC000G?ufbE`FepT@3n00Sa,0'; printf '\r\n'
  frame 'AIVDM,1,1,,B,15M67FC000G?ufbE`FepT@3n00Sa,0'; printf '\r\n'
  printf '\\s:COM7,c:1733612345030*00\\'; frame 'AIVDM,1,1,,B,15M67FC000G?ufbE`FepT@3n00Sa,0'; printf '\n'
  tag 's:COM7,c:1733612345040'; frame "${com7[1]}"; printf '\n'
  tag 's:COM8,c:1733612345050'; frame "${com8[1]}"; printf '\r\n'
  tag 's:com7,c:1733612345060'; frame "${com7[2]}"
} >"$work/session.nmea"
for port in COM7 COM8; do
  declare -n own=${port,,}
  for sentence in "${own[@]}"; do frame "$sentence"; printf '\r\n'; done >"$work/$port.alone"
  "$tool" "$work/$port.alone" >"$work/$port.expected"
  [[ -s $work/$port.expected ]] || fail "--link $port: the port's lines alone decode to nothing"
  for n in 1 7 128; do
    "$tool" --chunk "$n" --link "$port" "$work/session.nmea" | cmp -s - "$work/$port.expected" ||
      fail "--link $port, chunk $n: not the messages of $port alone"
  done
  unset -n own
done
"$tool" --link com8 <"$work/session.nmea" | cmp -s - "$work/COM8.expected" || fail "--link com8 from standard input"
[[ -z $("$tool" --link COM9 "$work/session.nmea") ]] || fail "--link COM9 decodes lines of other ports"
"$tool" --link '' "$work/session.nmea" >/dev/null 2>&1 && fail "--link '' accepted"
"$tool" --link COM1234567890123 "$work/session.nmea" >/dev/null 2>&1 && fail "a port name of 16 characters accepted"

if [[ $failures -ne 0 ]]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "asm-decode: all checks passed"
