#!/usr/bin/env bash
# `make run`: builds the client and the simulator, and starts asm-client.exe
# under Wine with three pseudo-terminal COM ports, using the end-to-end
# harness (tests/e2e/lib.sh):
#
#   COM7  Presentation Port  asm-sim as a transponder: traffic, own-ship
#                            reports, answers to BBM (ABK and its own VDO)
#   COM8  NMEA2000 Port      idle; write NMEA into its other end to feed it
#   COM9  Sensor Port        asm-sim as a sensor: GGA, VTG, HDT and RMC
#
# With a reachable X display ($DISPLAY) the user drives the client; close its
# window (or press Ctrl-C) to end. Without one the client runs on Xvfb and
# the script runs a short demonstration through the GUI, photographing each
# step: connect the Presentation Port, let traffic arrive, send a BBM, open
# the simulator's echoed met/hydro report and its acknowledgement, compose an
# ABM and a met/hydro report with values and watch them acknowledged, open a
# position report and a message the generic view shows, then watch the Sensor
# Port count GGA sentences, and open the sentence monitor after a BBM to the
# closed NMEA2000 Port. It exits 0 when every step worked, 1 with the failed
# step otherwise.
#
# Its Wine prefix is the harness's: Wine's own Tahoma and MS Sans Serif from
# Debian's fonts-wine, and without a display an Xvfb screen of 1920 by 1080,
# room for every view whole. Everything it starts (Xvfb, simulators, socat,
# Wine) is stopped at the end.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
source_dir=$PWD

usage() {
  cat <<EOF
usage: $0 [--no-build] [--build-root DIR] [--headless] [--docs]
  --no-build        use what is built
  --build-root DIR  build folders DIR/native and DIR/win64 (default build)
  --headless        run the unattended demonstration even with a display
  --docs            also write the README's pictures into docs/ (headless)
EOF
}

build_root=$source_dir/build
build=1
headless=0
docs=0
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=0 ;;
    --build-root)
      [ $# -ge 2 ] || { usage >&2; exit 2; }
      mkdir -p "$2" && build_root=$(cd "$2" && pwd) || exit 2
      shift
      ;;
    --headless) headless=1 ;;
    --docs) docs=1 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
  shift
done
native_dir=$build_root/native
win64_dir=$build_root/win64

if [ $build -eq 1 ]; then
  echo "run: building asm-sim and asm-decode (native), asm-client.exe and its test driver (win64)"
  # Only what the run needs, so that a cold build stays short.
  { cmake --preset native -B "$native_dir" >/dev/null &&
    cmake --build "$native_dir" --target asm-sim asm-decode; } ||
    { echo "run: the native build failed" >&2; exit 1; }
  { cmake --preset win64 -B "$win64_dir" >/dev/null &&
    cmake --build "$win64_dir" --target asm-client asm-driver; } ||
    { echo "run: the win64 build failed" >&2; exit 1; }
fi
export ASM_SIM=$native_dir/asm-sim ASM_DECODE=$native_dir/asm-decode
for tool in "$ASM_SIM" "$ASM_DECODE"; do
  [ -x "$tool" ] || { echo "run: no $(basename "$tool") at $tool: build without --no-build" >&2; exit 1; }
done

if [ $headless -eq 0 ] && [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  export E2E_DISPLAY=$DISPLAY
else
  unset E2E_DISPLAY
fi

# Its own Wine prefix and ports, apart from the tests'. A user's session has
# no time limit; the demonstration must end within four minutes.
export E2E_HOME=$win64_dir/run
if [ -n "${E2E_DISPLAY:-}" ]; then export E2E_DEADLINE=0; else export E2E_DEADLINE=240; fi
source "$source_dir/tests/e2e/lib.sh"
e2e_begin "$win64_dir" "$source_dir"
E2E_NAME=run
OWN_MMSI=244123456
SIM7_LOG=$E2E_HOME/sim-com7.log
SIM9_LOG=$E2E_HOME/sim-com9.log
RECORDING=$E2E_HOME/run.nmea
rm -f "$RECORDING"  # the save dialog would ask before replacing it
rm -f "$E2E_SHOTS"/run-*.png

# The simulators first, so that their links exist when Wine lists the ports.
e2e_sim_port COM7 "$SIM7_LOG" --role presentation --own-mmsi "$OWN_MMSI" --verbose
e2e_sim_port COM9 "$SIM9_LOG" --role sensor
# COM8 on a plain pseudo-terminal pair; Wine then lists all three ports.
e2e_ports COM8

e2e_start_client

if [ -n "${E2E_DISPLAY:-}" ]; then
  trap 'exit 0' INT TERM # Ctrl-C is the normal way out; the EXIT trap cleans up
  cat <<EOF

  asm-client.exe is running under Wine on display $DISPLAY.
  Its COM ports are pseudo-terminals:
    COM7  Presentation Port  asm-sim as a transponder (own MMSI $OWN_MMSI): traffic
                             of every type, own-ship reports, answers to BBM
    COM8  NMEA2000 Port      idle; write NMEA lines (CR LF) into $(e2e_peer COM8)
    COM9  Sensor Port        asm-sim as a sensor: GGA, VTG, HDT, RMC once a second

  Things to try:
    1. Presentation Port: pick COM7, baud 38400, Accept. The timeline fills,
       one column per message (red: channel A, blue: channel B).
    2. Hover over the chart (the title names row and column), click a column:
       the message opens decoded. Close it with Esc or its close box.
    3. BBM to Presentation Port: the simulator answers with its own !AIVDO
       message 8 and an \$AIABK (green square in row 8). Click them: the
       met/hydro report and the acknowledgement open.
    4. Sensor Port > Alpha: pick COM9, Accept, type GGA as the formatter:
       the GGA sentences are shown and counted.
  What the simulators saw and sent: $SIM7_LOG, $SIM9_LOG

EOF
  echo "run: close the client's window or press Ctrl-C to end"
  while kill -0 "$E2E_CLIENT_PID" 2>/dev/null; do sleep 1; done
  wait "$E2E_CLIENT_PID"
  echo "run: the client ended with exit code $?"
  exit 0
fi

# ---- The unattended demonstration on Xvfb.
MET=$VIEW_MET_HYDRO_TITLE
ABK=$VIEW_ABK_TITLE
SENSOR="Sensor Data Stream - Settings"
POSITION_VIEWS=("$VIEW_POSITION_REPORT1_TITLE" "$VIEW_POSITION_REPORT2_TITLE" "$VIEW_POSITION_REPORT3_TITLE"
  "$VIEW_CLASS_B_SOTDMA_TITLE" "$VIEW_CLASS_B_ITDMA_TITLE")
SHOTS=()
step=0

say() { echo "run: $*"; }
begin_step() {
  step=$((step + 1))
  say "step $step: $*"
}
# Screenshot of the screen; with --docs also the named window alone, whole
# (the screen has room for the widest view), in docs/.
shot() {
  local name=$1 window=${2:-} docs_name=${3:-} file
  file=$(e2e_screenshot "$step-$name")
  SHOTS+=("$file")
  say "  screenshot $file"
  if [ $docs -eq 1 ] && [ -n "$docs_name" ]; then
    file=$(e2e_screenshot_window "$step-$name-window" "$window") || e2e_die "cannot photograph \"$window\""
    mkdir -p "$source_dir/docs"
    timeout 30 /usr/bin/convert "$file" -colors 64 "PNG8:$source_dir/docs/$docs_name" ||
      e2e_die "cannot write docs/$docs_name"
    say "  picture docs/$docs_name"
  fi
}
# "slot kind" of every message the Presentation Port stored, oldest first,
# from the client's recording of its links: the log holds nothing else, so
# asm-decode's slots are the client's.
stored_slots() {
  [ -f "$RECORDING" ] && "$ASM_DECODE" --link COM7 "$RECORDING" | jq -r '"\(.slot) \(.kind)"'
}
stored_count() { stored_slots | wc -l; }

e2e_plot_geometry
begin_step "record the session (Record..., saved as $RECORDING)"
e2e_drive menu "$ID_RECORD" -- wait-window "Record Session" "#32770" \
  -- set-text "Record Session" 1148 "Z:${RECORDING//\//\\}" -- click "Record Session" "$IDOK" \
  -- wait-gone "Record Session" >/dev/null

# Clicks column I; prints the title of the view it opened (any view, the
# generic view's too), or nothing.
open_column() {
  local out=()
  e2e_drive_lines out click-at "$(e2e_click_x "$1")" "$E2E_CLICK_Y" -- sleep 600 -- open-view
  echo "${out[2]:-}"
}
close_view() { e2e_drive close "$1" -- wait-gone "$1" >/dev/null; }

begin_step "connect the Presentation Port (COM7, 38400 baud) and let traffic arrive"
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 transponder
say "  the client reports: $(jq -r .text <<<"$E2E_REPORT")"
arrived() { [ "$(stored_count)" -ge 15 ]; }
e2e_wait_for 30 arrived || e2e_die "fewer than 15 messages reached the log in 30 s (see $SIM7_LOG)"
say "  $(stored_count) messages logged"
shot traffic

begin_step "BBM to Presentation Port; wait for the simulator's !AIVDO message 8 and \$AIABK"
bbm_before=$(grep -c 'BBM [0-9]* complete' "$SIM7_LOG")
abk_before=$(stored_slots | grep -c " ABK\$")
e2e_drive menu "$ID_BBM_PRESENTATION" >/dev/null
answered() { [ "$(stored_slots | grep -c " ABK\$")" -gt "$abk_before" ]; }
e2e_wait_for 15 answered || e2e_die "no ABK reached the client's log within 15 s (see $SIM7_LOG)"
[ "$(grep -c 'BBM [0-9]* complete' "$SIM7_LOG")" -gt "$bbm_before" ] ||
  e2e_die "the simulator did not take the client's BBM: $(grep -E 'BBM|bad|ignored' "$SIM7_LOG" | tail -3)"
grep '< !AIBBM' "$SIM7_LOG" | tail -n 2 | sed 's/^asm-sim: < /run:   client sent      /; s/\\x0D\\x0A$//'
grep -E '> !AIVDO,[0-9],[0-9],[0-9]*,[AB],8|> \$AIABK' "$SIM7_LOG" | tail -n 3 |
  sed 's/^asm-sim: > /run:   simulator answered /; s/\\x0D\\x0A$//'
# The simulator sends its VDO just before the ABK, and nothing in between on
# this link: the met/hydro report is in the column left of the ABK's.
abk_slot=$(stored_slots | awk '$2 == "ABK" { s = $1 } END { print s }')
met_slot=$(((abk_slot + 49) % 50))
say "  ABK in column $abk_slot, the echoed message 8 in column $met_slot"
e2e_drive hover "$(e2e_click_x "$abk_slot")" "$(e2e_row_y 8)" -- sleep 300 -- title main >/dev/null
say "  pointer on the ABK's mark; the title reads \"${E2E_OUT[2]}\""
shot answered main main-window.png

begin_step "open the echoed met/hydro report (column $met_slot)"
opened=$(open_column "$met_slot")
[ "$opened" = "$MET" ] || e2e_die "column $met_slot opened \"${opened:-nothing}\", not the met/hydro view"
e2e_drive dump "$MET" >/dev/null
met_dump=${E2E_OUT[0]}
e2e_eq "met/hydro: User ID" "$OWN_MMSI" "$(e2e_cell "$met_dump" "$MET_HYDRO_USER_ID")"
e2e_eq "met/hydro: DAC" 1 "$(e2e_cell "$met_dump" "$MET_HYDRO_DAC")"
e2e_eq "met/hydro: FI" 31 "$(e2e_cell "$met_dump" "$MET_HYDRO_FI")"
e2e_eq "met/hydro: air temperature not available" -1024 "$(e2e_cell "$met_dump" "$MET_HYDRO_AIR_TEMP")"
say "  User ID $(e2e_cell "$met_dump" "$MET_HYDRO_USER_ID"), DAC $(e2e_cell "$met_dump" "$MET_HYDRO_DAC")" \
  "FI $(e2e_cell "$met_dump" "$MET_HYDRO_FI"), UTC dd:hh:mm $(e2e_cell "$met_dump" "$MET_HYDRO_UTC_DDHHMM")," \
  "position $(e2e_cell "$met_dump" "$MET_HYDRO_LATITUDE") $(e2e_cell "$met_dump" "$MET_HYDRO_LONGITUDE")"
shot met-hydro "$MET" met-hydro-view.png
close_view "$MET"

begin_step "open the acknowledgement (column $abk_slot)"
opened=$(open_column "$abk_slot")
[ "$opened" = "$ABK" ] || e2e_die "column $abk_slot opened \"${opened:-nothing}\", not the ABK view"
e2e_drive dump "$ABK" >/dev/null
abk_dump=${E2E_OUT[0]}
e2e_eq "ABK: message id" 8 "$(e2e_cell "$abk_dump" "$ABK_MSG_TYPE")"
e2e_eq "ABK: type (broadcast made)" 3 "$(e2e_cell "$abk_dump" "$ABK_TYPE_OF_ACK")"
say "  channel $(e2e_cell "$abk_dump" "$ABK_RX_CH"), message $(e2e_cell "$abk_dump" "$ABK_MSG_TYPE")," \
  "sequence number $(e2e_cell "$abk_dump" "$ABK_SEQ_NUM"), type $(e2e_cell "$abk_dump" "$ABK_TYPE_OF_ACK")"
shot abk "$ABK" abk-view.png
close_view "$ABK"

begin_step "Compose...: an addressed binary message and a met/hydro report with values, to the simulator"
COMPOSE=Compose
e2e_drive menu "$ID_COMPOSE" -- wait-window "$COMPOSE" "#32770" \
  -- select "$COMPOSE" "$IDC_COMPOSE_KIND" "Addressed binary message (message 6, ABM)" \
  -- set-text "$COMPOSE" "$IDC_COMPOSE_MMSI" 211000001 -- set-text "$COMPOSE" "$IDC_COMPOSE_DAC" 1 \
  -- set-text "$COMPOSE" "$IDC_COMPOSE_FI" 40 -- set-text "$COMPOSE" "$IDC_COMPOSE_DATA" "0123 4567 89AB" \
  -- click "$COMPOSE" "$IDC_COMPOSE_SEND" -- sleep 500 \
  -- select "$COMPOSE" "$IDC_COMPOSE_KIND" "Met/hydro report (message 8, BBM)" \
  -- click "$COMPOSE" "$IDC_COMPOSE_OWN_POSITION" >/dev/null
# Rows 6, 8, 10, 11 and 13 of the report: wind speed and direction, air
# temperature, humidity and pressure.
for typed in "6 14" "8 250" "10 12.5" "11 78" "13 1016"; do
  e2e_drive set-text "$COMPOSE" $((IDC_COMPOSE_FIELD_ROWS + 5 * ${typed%% *} + 1)) "${typed#* }" >/dev/null
done
e2e_drive click "$COMPOSE" "$IDC_COMPOSE_SEND" >/dev/null
outcomes() {
  e2e_drive list-rows "$COMPOSE" "$IDC_COMPOSE_TRANSMISSIONS" >/dev/null
  jq -r '.rows[] | .[6]' <<<"${E2E_OUT[0]}" | tr '\n' ' '
}
settled() { [ "$(outcomes)" = "broadcast acknowledged broadcast " ]; }
e2e_wait_for 15 settled || e2e_die "the transmissions list reads \"$(outcomes)\""
e2e_drive list-rows "$COMPOSE" "$IDC_COMPOSE_TRANSMISSIONS" >/dev/null
jq -r '.rows[] | "run:   " + join(" | ")' <<<"${E2E_OUT[0]}"
shot compose "$COMPOSE" compose-dialog.png
e2e_drive close "$COMPOSE" -- wait-gone "$COMPOSE" >/dev/null

begin_step "open a position report from the traffic"
found=
for slot in $(stored_slots | awk '$2 == "VDM" { print $1 }' | tail -n 12 | tac); do
  opened=$(open_column "$slot")
  [ -n "$opened" ] || continue
  for title in "${POSITION_VIEWS[@]}"; do
    if [ "$opened" = "$title" ]; then
      found=$title
      break
    fi
  done
  if [ -n "$found" ]; then
    e2e_drive dump "$found" >/dev/null
    say "  column $slot:$found: User ID $(e2e_cell "${E2E_OUT[0]}" "$POSITION_REPORT1_USER_ID")," \
      "$(e2e_cell "${E2E_OUT[0]}" "$POSITION_REPORT1_LATITUDE") $(e2e_cell "${E2E_OUT[0]}" "$POSITION_REPORT1_LONGITUDE")," \
      "SOG $(e2e_cell "${E2E_OUT[0]}" "$POSITION_REPORT1_SOG")"
    shot position "$found" position-view.png
    close_view "$found"
    break
  fi
  say "  column $slot:$opened (not a position report)"
  close_view "$opened"
done
[ -n "$found" ] || e2e_die "none of the last traffic columns opened a position report"

begin_step "open the inland ship data of the traffic (message 8, DAC 200 FI 10) in the generic view"
GENERIC="Message 8 : Binary broadcast message"
# The simulator's messages that open the generic view, as asm-decode finds
# them in what it sent; the next one is among the newest columns once sent.
generic_sent() {
  sed -n 's/^asm-sim: > \(!AIVDM.*\)\\x0D\\x0A$/\1/p' "$SIM7_LOG" | "$native_dir/asm-decode" |
    jq -s --argjson view "$VIEW_GENERIC" '[.[] | select(.template == $view)] | length'
}
generic_before=$(generic_sent)
more_generic() { [ "$(generic_sent)" -gt "$generic_before" ]; }
e2e_wait_for 60 more_generic || e2e_die "the simulator sent no message 8 of DAC 200 FI 10 in 60 s"
sleep 1 # let the client store it
found=
for slot in $(stored_slots | awk '$2 == "VDM" { print $1 }' | tail -n 6 | tac); do
  opened=$(open_column "$slot")
  [ -n "$opened" ] || continue
  if [ "$opened" = " $GENERIC" ]; then
    found=$slot
    e2e_drive list-view "$opened" "$GENERIC_FIELDS" >/dev/null
    say "  column $slot: $(jq -r '[.rows[] | .texts | join(" ")] | .[4:6] | join(", ")' <<<"${E2E_OUT[0]}")"
    shot generic "$opened" generic-view.png
    close_view "$opened"
    break
  fi
  close_view "$opened"
done
[ -n "$found" ] || e2e_die "no traffic column opened the generic view of a message 8"

begin_step "Sensor Port > Alpha on COM9 with the formatter GGA"
e2e_connect "$ID_SENSOR_ALPHA" COM9 4800 sensor
e2e_drive set-text "$SENSOR" "$IDC_FORMATTER" GGA >/dev/null
counted() {
  e2e_drive get-text "$SENSOR" "$IDC_COUNTER" >/dev/null
  [ "${E2E_OUT[0]:-0}" -ge 3 ] 2>/dev/null
}
e2e_wait_for 20 counted || e2e_die "the Sensor Port counted fewer than 3 GGA sentences in 20 s (see $SIM9_LOG)"
e2e_drive get-text "$SENSOR" "$IDC_COUNTER" -- get-text "$SENSOR" "$IDC_STREAM" >/dev/null
say "  counter ${E2E_OUT[0]}; shown: $(sed 's/\\r\\n.*//' <<<"${E2E_OUT[1]}") ..."
shot sensor "$SENSOR" sensor-dialog.png
e2e_drive click "$SENSOR" "$IDCANCEL" -- wait-gone "$SENSOR" >/dev/null

begin_step "the Sentence Monitor: every line in and out with its fate; a BBM to the closed NMEA2000 Port"
MONITOR="Sentence Monitor"
e2e_drive menu "$ID_BBM_NMEA2000" -- menu "$ID_MONITOR" -- wait-window "$MONITOR" -- sleep 600 \
  -- list-rows "$MONITOR" "$IDC_MONITOR_LIST" >/dev/null
say "  $(jq -r .count <<<"${E2E_OUT[4]}") rows"
shot monitor "$MONITOR" monitor-window.png
e2e_drive close "$MONITOR" -- wait-gone "$MONITOR" >/dev/null

begin_step "close the client"
e2e_drive close main >/dev/null
e2e_wait_client_exit 20 && e2e_eq "client exit code" 0 "$E2E_CLIENT_EXIT"
if grep -qE 'bad sentence|unknown sentence|failed' "$SIM7_LOG"; then
  e2e_fail "the simulator reported: $(grep -E 'bad sentence|unknown sentence|failed' "$SIM7_LOG" | head -3)"
fi
[ "$E2E_FAILURES" -eq 0 ] || e2e_die "the demonstration found $E2E_FAILURES fault(s), see above"
say "every step worked; screenshots:"
printf '  %s\n' "${SHOTS[@]}"
exit 0
