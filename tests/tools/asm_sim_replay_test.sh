#!/usr/bin/env bash
# asm-sim --replay end to end: the received lines of one port of a
# recording, as they were received and without their TAG blocks; the
# recorded distances kept, divided by --speed (checked from below, where
# load cannot make a replay early, and with a generous bound above); a file
# without times at --rate; --loop; --respond answering a broadcast while
# replaying; a pseudo-terminal's replay begins when the client opens it;
# bad options refused. The recording is written here, apart from the core.
# Usage: bash asm_sim_replay_test.sh <native-build-dir> <source-dir>
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

# A recording as the client writes it: "<ms from start> <s|d> <port> <sentence>"
# in, TAG-blocked CR LF lines out.
record() {
  python3 -c '
import sys
from functools import reduce
start = 1733612345000
for line in sys.stdin:
    at, kind, port, sentence = line.rstrip("\n").split(" ", 3)
    block = "%s:%s,c:%d" % (kind, port, start + int(at))
    checksum = reduce(lambda a, c: a ^ ord(c), block, 0)
    sys.stdout.write("\\%s*%02X\\%s\r\n" % (block, checksum, sentence))
'
}
record >"$work/session.nmea" <<'EOF'
0 s COM7 !AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24
100 s COM8 $GPGGA,074835.00,5157.8939,N,00357.4912,E,1,09,0.9,12.4,M,47.1,M,,*56
400 d COM7 !AIBBM,2,2,0,1,8,uOwd00,4*4D
1000 s COM7 !AIVDM,1,1,,B,13u?etPv2;0n:dDPwUM1U1Cb069D,0*27
2000 s COM7 $AIABK,,B,8,1,3*14
2500 s COM8 $GPGGA,074836.00,5157.8939,N,00357.4912,E,1,09,0.9,12.4,M,47.1,M,,*55
4000 s COM7 !AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24
EOF
printf '%s\r\n' '!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24' '!AIVDM,1,1,,B,13u?etPv2;0n:dDPwUM1U1Cb069D,0*27' \
  '$AIABK,,B,8,1,3*14' '!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24' >"$work/com7.expected"

# Runs a command (standard input closed), keeps its output in the file
# named first and prints each line's arrival in seconds from the start:
# "<seconds> <line>". Started before the command, so that its own start-up
# does not stand between.
cat >"$work/stamped.py" <<'EOF'
import os, subprocess, sys, time
start = time.monotonic()
child = subprocess.Popen(sys.argv[2:], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
pending = b""
with open(sys.argv[1], "wb") as raw:
    while True:
        chunk = os.read(child.stdout.fileno(), 4096)  # as it comes
        if not chunk:
            break
        now = time.monotonic()
        raw.write(chunk)
        *lines, pending = (pending + chunk).split(b"\n")
        for line in lines:
            sys.stdout.write("%.3f %s\n" % (now - start, line.decode("latin-1").rstrip("\r")))
sys.exit(child.wait())
EOF

# The first source by default: COM7's received lines, byte for byte; at
# speed 8 the 4 s of the recording take 0.5 s.
python3 "$work/stamped.py" "$work/com7.out" "$tool" --replay "$work/session.nmea" --speed 8 \
  >"$work/com7.times" 2>"$work/com7.err" || fail "replay: exit status $?"
cmp -s "$work/com7.out" "$work/com7.expected" || fail "COM7's received lines not replayed as recorded"
grep -q 'replaying .*session.nmea: the lines received on COM7' "$work/com7.err" || fail "the chosen port is not said"
grep -q 'replay: 4 lines played' "$work/com7.err" || fail "the count of lines played is not said"
# Each line no earlier than its recorded moment over the speed, counted
# from before the simulator started (a 5 ms grace for the clock's
# rounding); the whole well below the 4 s of speed 1.
paste <(cut -d' ' -f1 "$work/com7.times") <(printf '%s\n' 0 0.125 0.25 0.5) |
  awk '$1 < $2 - 0.005 { bad = 1 } END { exit bad }' ||
  fail "a line came before its recorded moment over the speed: $(cut -d' ' -f1 "$work/com7.times" | tr '\n' ' ')"
awk 'END { exit !($1 < 3) }' "$work/com7.times" || fail "speed 8 took $(tail -1 "$work/com7.times" | cut -d' ' -f1) s"

# --link takes another port (named in any case); sent lines are never played.
"$tool" --replay "$work/session.nmea" --link com8 --speed 20 </dev/null >"$work/com8.out" 2>/dev/null
[[ $(grep -c 'GPGGA' "$work/com8.out") -eq 2 && $(wc -l <"$work/com8.out") -eq 2 ]] || fail "--link com8: not its two lines"
grep -q 'AIBBM' "$work/com7.out" "$work/com8.out" && fail "a sent line was replayed"

# A file without TAG blocks plays every line at --rate lines a second.
printf '$GPGGA,1*00\n$GPGGA,2*00\n$GPGGA,3*00\n$GPGGA,4*00\n' >"$work/plain.nmea"
python3 "$work/stamped.py" "$work/plain.out" "$tool" --replay "$work/plain.nmea" --rate 5 \
  >"$work/plain.times" 2>/dev/null
[[ $(wc -l <"$work/plain.times") -eq 4 ]] || fail "a plain file: not every line played"
awk 'END { exit !($1 >= 0.595 && $1 < 3) }' "$work/plain.times" ||
  fail "4 lines at 5 a second took $(tail -1 "$work/plain.times" | cut -d' ' -f1) s"

# --loop starts over: COM8's two lines, again and again, in their order.
"$tool" --replay "$work/session.nmea" --link COM8 --speed 50 --rate 20 --loop --duration 1.5 </dev/null \
  >"$work/loop.out" 2>"$work/loop.err"
lines=$(wc -l <"$work/loop.out")
((lines >= 6)) || fail "--loop: $lines lines in 1.5 s"
awk '{ print substr($0, 1, 18) }' "$work/loop.out" | uniq | awk -v n="$lines" 'END { exit NR != n }' ||
  fail "--loop: the lines are not in the file's order each pass"

# --respond: a broadcast sent during the replay is answered as the
# transponder does, and the replay goes on around it.
bbm=$source/fuzz/corpus/bbm_receiver_fuzz/client_report
{
  sleep 0.3
  cat "$bbm"
  sleep 3
} | "$tool" --replay "$work/session.nmea" --speed 2 --respond --duration 2.8 >"$work/respond.out" 2>"$work/respond.err" ||
  fail "--respond: exit status $?"
grep -q '^\$AIABK,,A,8,0,3\*' "$work/respond.out" || fail "--respond: no ABK type 3 for the broadcast"
grep -q '^!AIVDO,' "$work/respond.out" || fail "--respond: no own-station message 8"
[[ $(grep -c '13u?etPv2' "$work/respond.out") -eq 3 ]] || fail "--respond: the replay did not go on"
# Without --respond, input is noted and left unanswered.
{
  cat "$bbm"
  sleep 1
} | "$tool" --replay "$work/session.nmea" --speed 8 >"$work/mute.out" 2>"$work/mute.err"
grep -q 'input ignored, replaying without --respond' "$work/mute.err" || fail "ignored input not said"
grep -q 'AIVDO' "$work/mute.out" && fail "answered without --respond"

# A pseudo-terminal: the replay waits for the client to open the port, so
# no line is lost to nobody; the port stays open after the file.
link=$work/com7
"$tool" --pty "$link" --replay "$work/session.nmea" --speed 8 --duration 3 2>"$work/pty.err" &
sim=$!
for _ in $(seq 50); do [[ -L $link ]] && break; sleep 0.1; done
sleep 0.7 # longer than the whole replay at this speed
timeout 4 cat "$link" >"$work/pty.out" 2>/dev/null
wait "$sim"
status=$?
sim=
[[ $status -eq 0 ]] || fail "pty replay: exit status $status"
cmp -s "$work/pty.out" "$work/com7.expected" || fail "pty replay: not every line of COM7 read from the port"
[[ -e $link || -L $link ]] && fail "pty replay: link left behind"

# Options that make no sense are refused with status 2; a file that cannot
# be read with 1, before any port is made.
for args in "--speed 2" "--loop" "--respond" "--link COM7" "--replay x --speed 0" "--replay x --role sensor" \
  "--replay x --link ABCDEFGHIJKLMNOPQ"; do
  # shellcheck disable=SC2086
  "$tool" $args </dev/null >/dev/null 2>&1
  status=$?
  [[ $status -eq 2 ]] || fail "'$args': exit status $status, expected 2"
done
"$tool" --replay "$work/missing.nmea" --pty "$work/never" </dev/null >/dev/null 2>"$work/missing.err"
[[ $? -eq 1 ]] || fail "a missing file: not exit status 1"
grep -q "cannot read .*missing.nmea: No such file" "$work/missing.err" || fail "a missing file: reason not said"
[[ -L $work/never ]] && fail "a port was made for a file that cannot be read"

((failures == 0)) && echo "asm-sim --replay: all checks passed"
exit $((failures > 0))
