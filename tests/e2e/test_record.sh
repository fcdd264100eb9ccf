# Recording a session through the menu: "Record..." opens the save dialog
# with a dated name, the item then reads "Stop Recording". Traffic on the
# Presentation and NMEA2000 Ports (a rejected sentence among it) and a BBM
# out: the file holds every line in order, each behind a TAG block naming
# its port as source or destination and the time in 13-digit milliseconds.
# asm-decode --link of the file gives, per port, the messages the client
# logged (their marks on its timeline); asm-sim --replay of it, port by
# port into the same ports, gives the same timeline again. A file on a full
# disk ends the recording with a box that says so; the links go on.
#
# Needs the native asm-sim and asm-decode (ASM_SIM, ASM_DECODE). Two
# hundred mark checks take their time on a loaded machine: the limit is
# raised to just below CTest's.
E2E_DEADLINE=${E2E_DEADLINE:-230}
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_native_tool ASM_SIM asm-sim
e2e_native_tool ASM_DECODE asm-decode

SAVE="Record Session"
FILE_NAME_BOX=1148 # the save dialog's file name box (cmb13)
REC=$E2E_HOME/recordings
rm -rf "$REC"
mkdir -p "$REC"
SESSION=$REC/session.nmea

# The path as the client's Wine sees it.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
record_item() {
  e2e_drive menu-items >/dev/null
  jq -r --argjson id "$ID_RECORD" '.[] | select(.id == $id) | .text' <<<"${E2E_OUT[0]}"
}
# Chooses "Record..." and saves to PATH; with a screenshot name, of the dialog.
record_to() {
  e2e_drive menu "$ID_RECORD" -- wait-window "$SAVE" "#32770" -- get-text "$SAVE" "$FILE_NAME_BOX" >/dev/null
  DEFAULT_NAME=${E2E_OUT[2]}
  [ -n "${2:-}" ] && e2e_screenshot_window "$2" "$SAVE" >/dev/null
  e2e_drive set-text "$SAVE" "$FILE_NAME_BOX" "$(windows_path "$1")" -- click "$SAVE" "$IDOK" -- wait-gone "$SAVE" \
    >/dev/null
}

# Traffic from the recorded corpus: a first part for COM7 with a sentence
# the intake rejects (bad checksum), a second for COM8.
grep -a '^!' "$E2E_SOURCE/../shared/corpus/sample.aivdm" | tr -d '\r' >"$REC/corpus"
{
  sed -n 1,14p "$REC/corpus"
  echo '!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*00'
} >"$REC/com7.sent"
sed -n 15,30p "$REC/corpus" >"$REC/com8.sent"

# ---- The session, recorded.
e2e_ports COM7 COM8
e2e_start_client
e2e_plot_geometry
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 presentation
e2e_connect "$ID_NMEA2000_PORT" COM8 38400 nmea
e2e_eq "the item before recording" "Record..." "$(record_item)"
record_to "$SESSION" save-dialog
[[ $DEFAULT_NAME =~ ^asm-[0-9]{8}-[0-9]{6}\.nmea$ ]] || e2e_fail "default file name: $DEFAULT_NAME"
e2e_eq "the item while recording" "Stop Recording" "$(record_item)"
e2e_send_file COM7 "$REC/com7.sent"
sleep 1
e2e_send_file COM8 "$REC/com8.sent"
sleep 1
e2e_drive menu "$ID_BBM_PRESENTATION" >/dev/null
bbm_out() { [ "$(tr -d '\r' <"$(e2e_capture COM7)" | grep -c '^!AIBBM')" -ge 2 ]; }
e2e_check "the BBM went out" e2e_wait_for 10 bbm_out
sleep 1
e2e_drive menu "$ID_RECORD" >/dev/null
e2e_check "the item after stopping" e2e_wait_for 5 test "$(record_item)" = "Record..."
e2e_drive sleep 300 -- exists "Record" >/dev/null
e2e_eq "no box after a recording the user stopped" no "${E2E_OUT[1]}"
first_shot=$(e2e_screenshot session)

# Every line: its TAG block (checksum good, s: or d: and a 13-digit c:),
# the sentence exactly as received or sent, per port in order, the times in
# order across the file and within the test's run.
tr -d '\r' <"$(e2e_capture COM7)" | grep -a . >"$REC/bbm.sent"
python3 - "$SESSION" "$REC/com7.sent" "$REC/com8.sent" "$REC/bbm.sent" "$(($(date +%s) * 1000))" <<'PY' ||
import re, sys
from functools import reduce
data = open(sys.argv[1], "rb").read().decode("ascii")
assert data.endswith("\r\n"), "the file ends in CR LF"
lines = data[:-2].split("\r\n")
tag = re.compile(r"^\\([sd]):(COM[78]),c:(\d{13})\*([0-9A-F]{2})\\(.+)$")
got = {("s", "COM7"): [], ("s", "COM8"): [], ("d", "COM7"): []}
times = []
for line in lines:
    m = tag.match(line)
    assert m, "not a TAG-blocked line: %r" % line
    block = line[1:line.index("*")]
    assert reduce(lambda a, c: a ^ ord(c), block, 0) == int(m[4], 16), "TAG checksum: %r" % line
    assert (m[1], m[2]) in got, "unexpected port or direction: %r" % line
    got[(m[1], m[2])].append(m[5])
    times.append(int(m[3]))
assert times == sorted(times), "times out of order"
assert int(sys.argv[5]) - 600000 < times[0] <= times[-1] <= int(sys.argv[5]), (times[0], times[-1])
for key, path in ((("s", "COM7"), sys.argv[2]), (("s", "COM8"), sys.argv[3]), (("d", "COM7"), sys.argv[4])):
    sent = open(path).read().split("\n")[:-1]
    assert got[key] == sent, "%s:%s: %d lines recorded, %d sent; first difference %r" % (
        key + (len(got[key]), len(sent), next((p for p in zip(got[key], sent) if p[0] != p[1]), None)))
print("%d lines, %s" % (len(lines), ", ".join("%s:%s %d" % (k + (len(v),)) for k, v in got.items())))
PY
  e2e_fail "the recording differs from what went through the ports"

# What the client logged: each port's messages as asm-decode takes them from
# the recording, COM7's first (they arrived first), one column each, with a
# mark in its channel's row (A red, B blue) and one in its message's row.
"$ASM_DECODE" --link COM7 "$SESSION" >"$REC/com7.decoded"
"$ASM_DECODE" --link COM8 "$SESSION" >"$REC/com8.decoded"
e2e_check "asm-decode --link COM7 decodes what COM7 received" cmp -s "$REC/com7.decoded" <("$ASM_DECODE" "$REC/com7.sent")
e2e_check "asm-decode --link COM8 decodes what COM8 received" cmp -s "$REC/com8.decoded" <("$ASM_DECODE" "$REC/com8.sent")
cat "$REC/com7.decoded" "$REC/com8.decoded" | jq -r '"\(.channelRow) \(.messageId)"' >"$REC/marks"
logged=$(wc -l <"$REC/marks")
e2e_log "$logged messages: $(wc -l <"$REC/com7.decoded") on COM7, $(wc -l <"$REC/com8.decoded") on COM8"
[ "$logged" -ge 20 ] && [ "$logged" -lt 50 ] || e2e_die "$logged messages: the test wants 20 to 49"
marks_as_decoded() {
  local shot=$REC/marks.miff column=0 channel id colour
  # The window's corner of the screen alone, in a format read at once: the
  # marks are many.
  timeout 30 /usr/bin/convert "$1" -crop "$((E2E_ORIGIN_X + E2E_CLIENT_W))x$((E2E_ORIGIN_Y + E2E_CLIENT_H))+0+0" \
    +repage "$shot" || return 1
  while read -r channel id; do
    colour="0 0 255"
    [ "$channel" = 29 ] && colour="255 0 0"
    e2e_mark_at "$shot" "$(e2e_column_x $column)" "$(e2e_row_y "$channel")" $colour || return 1
    e2e_mark_at "$shot" "$(e2e_column_x $column)" "$(e2e_row_y "$id")" 0 0 255 || return 1
    column=$((column + 1))
  done <"$REC/marks"
  e2e_no_mark_at "$shot" "$(e2e_column_x $column)" "$(e2e_row_y 29)" 255 0 0 &&
    e2e_no_mark_at "$shot" "$(e2e_column_x $column)" "$(e2e_row_y 31)" 0 0 255
}
e2e_check "the client's timeline holds the messages decoded from the recording" marks_as_decoded "$first_shot"

# ---- The recording replayed: each port's lines into its own port again,
# COM7's first, as they came, onto a cleared log.
e2e_drive menu "$ID_CLEAR_LOGS" -- press "Display Data Que" yes >/dev/null
for port in COM7 COM8; do
  "$ASM_SIM" --replay "$SESSION" --link $port </dev/null >"$(e2e_peer $port)" 2>"$REC/replay-$port.log" ||
    e2e_fail "asm-sim --replay --link $port: $(tail -n 1 "$REC/replay-$port.log")"
  sleep 1
done
e2e_check "asm-sim replayed COM7's lines" grep -q "replay: $(wc -l <"$REC/com7.sent") lines played" "$REC/replay-COM7.log"
replay_shot=$(e2e_screenshot replay)
e2e_check "the replay's timeline holds the same messages" marks_as_decoded "$replay_shot"
plot() {
  /usr/bin/convert "$1" -crop "$((E2E_PLOT_R - E2E_PLOT_L))x$((E2E_PLOT_B - E2E_PLOT_T))+$((E2E_ORIGIN_X + E2E_PLOT_L))+$((E2E_ORIGIN_Y + E2E_PLOT_T))" +repage "$2"
}
plot "$first_shot" "$REC/plot-session.png" && plot "$replay_shot" "$REC/plot-replay.png" ||
  e2e_die "cannot cut the plots"
differing=$(/usr/bin/compare -metric AE "$REC/plot-session.png" "$REC/plot-replay.png" null: 2>&1)
e2e_eq "pixels of the timeline that differ between the session and its replay" 0 "$differing"

# ---- A disk that is full: every write fails.
ln -sfn /dev/full "$REC/full.nmea"
record_to "$REC/full.nmea"
e2e_eq "recording to the full disk" "Stop Recording" "$(record_item)"
e2e_drive menu "$ID_BBM_PRESENTATION" -- msgbox Record >/dev/null
box=${E2E_OUT[1]}
e2e_screenshot_window disk-full Record >/dev/null
e2e_eq "the box's icon" warning "$(jq -r .icon <<<"$box")"
# The system's reason as Wine or Windows words it; lost: the broadcast's
# two lines.
text=$(jq -r .text <<<"$box")
reason=${text#* could not be written: }
reason=${reason%%$'\n'*}
case $reason in
  "Disk full." | "There is not enough space on the disk.") ;;
  *) e2e_fail "the system's reason: \"$reason\"" ;;
esac
e2e_eq "the box's text" "Recording stopped: $(windows_path "$REC/full.nmea") could not be written: $reason"$'\n'"\
0 lines were written; 2 did not reach the file. The links keep working." "$text"
e2e_drive press Record ok >/dev/null
e2e_eq "the item after the failure" "Record..." "$(record_item)"
# The links keep working: a broadcast goes out, a message comes in.
e2e_drive menu "$ID_BBM_PRESENTATION" >/dev/null
bbm_out() { [ "$(tr -d '\r' <"$(e2e_capture COM7)" | grep -c '^!AIBBM')" -ge 6 ]; }
e2e_check "the Presentation Port still sends" e2e_wait_for 10 bbm_out
e2e_send COM8 "$(e2e_nmea '!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0')"
stored_after_failure() {
  local shot
  shot=$(e2e_screenshot after-failure)
  e2e_mark_at "$shot" "$(e2e_column_x "$logged")" "$(e2e_row_y 29)" 255 0 0 &&
    e2e_mark_at "$shot" "$(e2e_column_x "$logged")" "$(e2e_row_y 1)" 0 0 255
}
e2e_check "the NMEA2000 Port still stores" e2e_wait_for 10 stored_after_failure
e2e_finish
