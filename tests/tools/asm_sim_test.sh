#!/usr/bin/env bash
# asm-sim end to end: its traffic carries every message type the client
# decodes in well-formed sentences; a broadcast sent to it comes back as the
# own station's message 8 with the same data and an ABK of type 3, a broken
# one as an ABK of type 2; an addressed message (6 or 12) comes back as the
# own station's message to its destination and an ABK of type 0, a safety
# broadcast (14) like a message 8; --abm-ack, --bbm-ack and --ack-delay choose
# each other answer; its pseudo-terminal link comes and goes with it; bad
# options are refused. Sentences are checked by a reader written here,
# apart from the core.
# Usage: bash asm_sim_test.sh <native-build-dir> <source-dir>
set -u
build=$1
source=$2
tool=$build/asm-sim
work=$(mktemp -d)
sim=
cleanup() {
  [[ -n $sim ]] && kill "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Checks sentences given on standard input: framing, checksum, length,
# fragments in order; prints one line per complete VDM/VDO message as
# "VDM|VDO <type> <mmsi> <payload bits as 0/1>" and every ABK as is.
cat >"$work/read.py" <<'EOF'
import sys
from ais_pack import checksum

def values(payload):
    for c in payload:
        v = ord(c) - 48
        if v > 40:
            v -= 8
        assert 0 <= v < 64, payload
        yield v

bad = 0
parts = {}
for number, line in enumerate(sys.stdin, 1):
    line = line.rstrip("\r\n")
    try:
        assert len(line) + 2 <= 82, "longer than 82"
        body, given = line[1:].split("*")
        assert "%02X" % checksum(body) == given, "checksum"
        fields = body.split(",")
        if fields[0] == "AIABK":
            print(line)
            continue
        assert fields[0] in ("AIVDM", "AIVDO") and len(fields) == 7, "fields"
        total, k, seq, channel, payload, fill = int(fields[1]), int(fields[2]), fields[3], fields[4], fields[5], int(fields[6])
        assert channel in ("A", "B"), "channel"
        assert (seq == "") == (total == 1), "sequential id"
        assert k == 1 or parts.get("expect") == (fields[0], seq, k), "fragment order"
        assert fill == 0 or k == total, "fill before the last fragment"
        bits = "".join(format(v, "06b") for v in values(payload))
        parts["bits"] = (parts.get("bits", "") if k > 1 else "") + bits
        parts["expect"] = (fields[0], seq, k + 1)
        if k == total:
            bits = parts["bits"][: len(parts["bits"]) - fill]
            print(fields[0][2:], int(bits[0:6], 2), int(bits[8:38], 2), bits)
    except (AssertionError, ValueError) as e:
        print("bad line %d (%s): %s" % (number, e, line), file=sys.stderr)
        bad += 1
sys.exit(1 if bad else 0)
EOF

# Traffic: every type, both channels, the own ship as VDO.
"$tool" --duration 8 --rate 25 --own-mmsi 244000111 </dev/null >"$work/traffic.nmea" 2>"$work/traffic.err" ||
  fail "traffic run: exit status $?"
PYTHONPATH=$source/tests python3 "$work/read.py" <"$work/traffic.nmea" >"$work/traffic.txt" || fail "traffic holds bad sentences"
for type in 1 2 3 4 5 6 7 8 13 18 21 24; do
  grep -q "^VDM $type " "$work/traffic.txt" || fail "no VDM message of type $type in the traffic"
done
grep -q "^VDO 1 244000111 " "$work/traffic.txt" || fail "no own-ship report of type 1 with the own MMSI"
grep -q "^VDO 3 244000111 " "$work/traffic.txt" || fail "no own-ship report of type 3 with the own MMSI"
grep -q '^!AIVDM,1,1,,A,' "$work/traffic.nmea" && grep -q '^!AIVDM,1,1,,B,' "$work/traffic.nmea" ||
  fail "traffic is not on both channels"
grep -q '^!AIVDM,2,2,[0-9],' "$work/traffic.nmea" || fail "no two-fragment message"
# Messages 18 in both communication-state forms (bit 148), 21 with and
# without a name extension (272 bits or more).
awk '$1 == "VDM" && $2 == 18 { print substr($4, 149, 1) }' "$work/traffic.txt" | sort -u | tr -d '\n' |
  grep -qx 01 || fail "message 18 not in both communication-state forms"
awk '$1 == "VDM" && $2 == 21 { print (length($4) > 272) }' "$work/traffic.txt" | sort -u | tr -d '\n' |
  grep -qx 01 || fail "message 21 not both with and without a name extension"
# The rate: about 25 sentences a second besides the own ship's.
count=$(grep -c '^!AIVDM' "$work/traffic.nmea")
((count >= 150 && count <= 215)) || fail "$count traffic sentences in 8 s at 25 a second"

# Broadcasts: the client's two sentences (from its own sender, as recorded
# in the fuzz seeds), then an incomplete one under identifier 5.
bbm=$source/fuzz/corpus/bbm_receiver_fuzz/client_report
{
  cat "$bbm"
  printf '!AIBBM,2,1,5,2,8,0000,0*65\r\n'
  sleep 4
} | "$tool" --duration 3.5 --rate 0 >"$work/answers.nmea" 2>"$work/answers.err" || fail "broadcast run: exit status $?"
PYTHONPATH=$source/tests python3 "$work/read.py" <"$work/answers.nmea" >"$work/answers.txt" || fail "answers hold bad sentences"
grep -q '^\$AIABK,,A,8,0,3\*' "$work/answers.txt" || fail "no ABK type 3 for broadcast 0 on channel A"
grep -q '^\$AIABK,,B,8,5,2\*' "$work/answers.txt" || fail "no ABK type 2 for the incomplete broadcast 5"
# The data of the broadcast as the client armoured it, from bit 40 of the
# own station's message 8.
sent=$(awk -F, '{ d = d $7 } END { print d }' "$bbm" | python3 -c '
import sys
text = sys.stdin.read().strip()
bits = "".join(format((ord(c) - 48) - (8 if ord(c) - 48 > 40 else 0), "06b") for c in text)
print(bits[:320])')
grep -q "^VDO 8 244123456 " "$work/answers.txt" || fail "no own-station message 8 with the default MMSI"
own=$(awk '$1 == "VDO" && $2 == 8 { print substr($4, 41) }' "$work/answers.txt" | head -1)
[[ -n $sent && $own == "$sent" ]] || fail "message 8 data differ from the broadcast's"
[[ $(awk '$1 == "VDO" && $2 == 8 { print substr($4, 7, 2) substr($4, 39, 2) }' "$work/answers.txt" | head -1) == 0000 ]] ||
  fail "repeat indicator or spare of message 8 not 0"
grep -q 'BBM 5 failed (incomplete' "$work/answers.err" || fail "the incomplete broadcast is not reported"

# Addressed messages and safety texts, framed here: message 6 to 244000999
# (DAC 235, FI 10, data 48 49) under identifier 2 on channel A, message 12
# "HI" to the coast station 002300001, message 14 "SOS!" on channel B.
frame() {
  PYTHONPATH=$source/tests python3 -c 'import sys
from ais_pack import frame
print(frame("!" + sys.argv[1]) + "\r")' "$1"
}
abm6=$(frame 'AIABM,1,1,2,244000999,1,6,>da8B@,4')
abm12=$(frame 'AIABM,1,1,0,002300001,1,12,89,0')
bbm14=$(frame 'AIBBM,1,1,9,2,14,C?CQ,0')
# Runs the simulator on the three messages with the options given; its
# checked answers in $work/$1.txt, its notes in $work/$1.err.
answer() {
  local name=$1
  shift
  printf '%s\n%s\n%s\n' "$abm6" "$abm12" "$bbm14" |
    "$tool" --duration 1.5 --rate 0 "$@" >"$work/$name.nmea" 2>"$work/$name.err" || fail "$name run: exit status $?"
  PYTHONPATH=$source/tests python3 "$work/read.py" <"$work/$name.nmea" >"$work/$name.txt" || fail "$name: answers hold bad sentences"
}
answer addressed
grep -q '^\$AIABK,244000999,A,6,2,0\*' "$work/addressed.txt" || fail "no ABK type 0 for the ABM of message 6"
grep -q '^\$AIABK,002300001,A,12,0,0\*' "$work/addressed.txt" || fail "no ABK type 0 for the ABM of message 12"
grep -q '^\$AIABK,,B,14,9,3\*' "$work/addressed.txt" || fail "no ABK type 3 for the BBM of message 14"
# The own station's messages: sequence number 2, destination 244000999,
# retransmit and spare 0, then the ABM's data bits; the texts as sent.
vdo6=$(awk '$1 == "VDO" && $2 == 6 && $3 == 244123456 { print $4 }' "$work/addressed.txt")
[[ ${vdo6:38:2} == 10 && $((2#${vdo6:40:30})) == 244000999 && ${vdo6:70:2} == 00 ]] ||
  fail "message 6 header is not the ABM's: $vdo6"
[[ ${vdo6:72} == 00111010110010100100100001001001 ]] || fail "message 6 data differ from the ABM's: $vdo6"
vdo12=$(awk '$1 == "VDO" && $2 == 12 { print $4 }' "$work/addressed.txt")
[[ $((2#${vdo12:40:30})) == 2300001 && ${vdo12:72} == 001000001001 ]] || fail "message 12 is not \"HI\" to 002300001"
vdo14=$(awk '$1 == "VDO" && $2 == 14 { print $4 }' "$work/addressed.txt")
[[ ${vdo14:40} == 010011001111010011100001 ]] || fail "message 14 is not \"SOS!\": $vdo14"
grep -q 'ABM 2 complete: 1 sentence(s), message 6 to 244000999, 32 data bits' "$work/addressed.err" ||
  fail "the ABM is not reported"

# Each other answer the tracker must tell apart, without waiting.
answer none --abm-ack none --ack-delay 0
grep -q '^\$AIABK,[0-9]' "$work/none.txt" && fail "--abm-ack none: an ABK for an ABM"
grep -q '^VDO 6 ' "$work/none.txt" || fail "--abm-ack none: message 6 not transmitted"
grep -q '^\$AIABK,,B,14,9,3\*' "$work/none.txt" || fail "--abm-ack none: the BBM not answered"
answer one --abm-ack 1 --ack-delay 0
grep -q '^\$AIABK,244000999,A,6,2,1\*' "$work/one.txt" || fail "--abm-ack 1: no ABK type 1"
answer late --abm-ack 4 --ack-delay 0
[[ $(grep -o '^\$AIABK,244000999,A,6,2,[0-9]' "$work/late.txt" | tr '\n' ' ') == *',1 '*',4 ' ]] ||
  fail "--abm-ack 4: not ABK type 1 and then type 4: $(grep ABK "$work/late.txt")"
answer refused --bbm-ack 2 --ack-delay 0
grep -q '^\$AIABK,,B,14,9,2\*' "$work/refused.txt" || fail "--bbm-ack 2: no ABK type 2"
grep -q '^VDO 14 ' "$work/refused.txt" && fail "--bbm-ack 2: message 14 transmitted all the same"
answer slow --ack-delay 2500  # longer than the run
grep -qE '^\$AIABK|^VDO (6|12|14) ' "$work/slow.txt" && fail "--ack-delay 2500: answered within 1.5 s"
grep -q 'ABM 2 complete' "$work/slow.err" || fail "--ack-delay 2500: the ABM was not taken"

# Bad input is reported with the line, and the run goes on.
printf '!AIBBM,1,1,0,1,8,0000,0*00\r\n\001garbage\r\n%0300d\r\n' 0 |
  "$tool" --duration 1 --rate 0 >/dev/null 2>"$work/bad.err" || fail "bad input run: exit status $?"
grep -q 'checksum mismatch.*"!AIBBM,1,1,0,1,8,0000,0\*00"' "$work/bad.err" || fail "checksum error not reported"
grep -q '"\\x01garbage"' "$work/bad.err" || fail "control character not escaped in the report"
grep -q 'line of 300 characters discarded' "$work/bad.err" || fail "overlong line not reported"

# The pseudo-terminal: a link while running, read from like a port,
# removed on SIGTERM with exit status 0.
link=$work/com7
"$tool" --pty "$link" --rate 50 2>"$work/pty.err" &
sim=$!
for _ in $(seq 50); do [[ -L $link ]] && break; sleep 0.1; done
[[ $(readlink "$link") == /dev/pts/* ]] || fail "no link to a pseudo-terminal"
timeout 2 cat "$link" >"$work/pty1.nmea"
timeout 2 cat "$link" >"$work/pty2.nmea"  # opened a second time
kill -TERM "$sim"
wait "$sim"
status=$?
sim=
[[ $status -eq 0 ]] || fail "exit status $status after SIGTERM"
[[ -e $link || -L $link ]] && fail "link left behind"
for n in 1 2; do
  grep -q '^!AIVDO' "$work/pty$n.nmea" || fail "opening $n: no own-ship report"
done
[[ $(grep -c 'the client opened the port' "$work/pty.err") -eq 2 ]] || fail "two openings not seen"

# Options that make no sense are refused with status 2.
for args in "--rate -1" "--own-mmsi 0" "--role radar" "--baud 9600" "--device /dev/null --pty x" "--seed x" "stray" \
  "--abm-ack 2" "--abm-ack" "--bbm-ack 3x" "--ack-delay -5" "--ack-delay 600001"; do
  # shellcheck disable=SC2086
  "$tool" $args </dev/null >/dev/null 2>&1
  status=$?
  [[ $status -eq 2 ]] || fail "'$args': exit status $status, expected 2"
done
touch "$work/file"
"$tool" --pty "$work/file" </dev/null >/dev/null 2>&1
[[ $? -eq 1 && -f $work/file && ! -L $work/file ]] || fail "a plain file was taken for the link"

((failures == 0)) && echo "asm-sim: all checks passed"
exit $((failures > 0))
