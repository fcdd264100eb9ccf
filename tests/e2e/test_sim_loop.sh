#!/usr/bin/env bash
# The loop client -> asm-sim -> client: asm-sim stands in for the transponder
# on the pseudo-terminal of the Presentation Port. "BBM to Presentation Port"
# goes out as "!AIBBM" sentences, the simulator reassembles them and answers
# as a transponder does: the own station's "!AIVDO" message 8 with the
# broadcast's data, and an ABK of type 3 with the BBM's sequential
# identifier. Both come back into the client's log; the met/hydro view of the
# message 8 shows the packed values, the "not available" -1024 air
# temperature and the UTC time of sending. The port is then closed and
# opened again, and a second broadcast (identifier 1) makes the same loop.
#
# Needs the native asm-sim (ASM_SIM, default <source>/build/native/asm-sim).
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

ASM_SIM=${ASM_SIM:-$E2E_SOURCE/build/native/asm-sim}
[ -x "$ASM_SIM" ] || e2e_die "no asm-sim at $ASM_SIM: build the native preset"

PORT=COM9
LINK=$E2E_HOME/ports/$PORT-sim
SIM_LOG=$E2E_HOME/sim.err
OWN_MMSI=244123456
MET="Message 8 : BBM Meteorological and Hydrological "
ABK="ABK - Addressed and Binary Broadcast Acknowledgement"
SETTINGS="AIS Presentation Port Settings"
REPORT="Remote Connection Status"

# The simulator first, so that its link exists when Wine lists the ports.
# No traffic besides the own ship's reports: the log then holds little.
rm -f "$LINK"
"$ASM_SIM" --pty "$LINK" --rate 0 --own-mmsi "$OWN_MMSI" --verbose 2>"$SIM_LOG" &
SIM_PID=$!
E2E_PIDS+=("$SIM_PID")
e2e_wait_for 10 test -L "$LINK" || e2e_die "asm-sim made no link: $(cat "$SIM_LOG")"
if ! grep -qF "\"$PORT\"=\"$LINK\"" "$WINEPREFIX/system.reg" 2>/dev/null; then
  timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v "$PORT" /d "$LINK" /f >/dev/null 2>&1 ||
    e2e_die "cannot register $PORT"
fi
timeout 20 wineserver -k 2>/dev/null
timeout 20 wineserver -w 2>/dev/null
timeout 60 wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | tr -d '\r' | grep -qw "$PORT" ||
  e2e_die "Wine does not list $PORT"

e2e_start_client
e2e_plot_geometry
plot_w=$((E2E_PLOT_R - E2E_PLOT_L))
column_click_x() { echo $(((2 * $1 + 1) * plot_w / 100)); }
CLICK_Y=$(((E2E_PLOT_T + E2E_PLOT_B) / 2))

opened_times() { [ "$(grep -c 'the client opened the port' "$SIM_LOG")" -ge "$1" ]; }
e2e_connect 1060 "$PORT" 38400 sim
e2e_check "asm-sim sees the client open the port" e2e_wait_for 10 opened_times 1

# Clears the log, sends the report, and waits for the simulator's answer.
# Sets SENT_BEFORE / SENT_AFTER to the UTC "dd:hh:mm" around the command.
broadcast() {
  local id=$1
  e2e_drive menu 40013 -- press "Display Data Que" yes -- sleep 300
  SENT_BEFORE=$(date -u '+%d:%H:%M')
  e2e_drive menu 40716
  SENT_AFTER=$(date -u '+%d:%H:%M')
  answered() { grep -q "> \\\$AIABK,,A,8,$id,3\\*" "$SIM_LOG"; }
  e2e_check "asm-sim answers BBM $id with ABK type 3" e2e_wait_for 10 answered || return 1
  e2e_check "asm-sim reassembled BBM $id" \
    grep -q "BBM $id complete: 2 sentence(s), message 8, 320 data bits, DAC 1 FI 31" "$SIM_LOG"
  sleep 0.5 # the answer reaches the client's log
}

# Clicks the first columns of the log until both views have been seen; each
# opened view is dumped (MET_DUMP, ABK_DUMP) and closed.
find_views() {
  local column title opened
  MET_DUMP= ABK_DUMP=
  for column in 0 1 2 3 4; do
    e2e_drive click-at "$(column_click_x $column)" "$CLICK_Y" -- sleep 500 -- exists "$MET" -- exists "$ABK" \
      -- exists " Message 1 : Position report" -- exists " Message 3 : Position report"
    opened=
    [ "${E2E_OUT[2]}" = yes ] && opened=$MET
    [ "${E2E_OUT[3]}" = yes ] && opened=$ABK
    [ "${E2E_OUT[4]}" = yes ] && opened=" Message 1 : Position report"
    [ "${E2E_OUT[5]}" = yes ] && opened=" Message 3 : Position report"
    [ -n "$opened" ] || continue
    if [ "$opened" = "$MET" ] && [ -z "$MET_DUMP" ]; then
      e2e_screenshot "met-hydro-$1" >/dev/null
      e2e_drive dump "$MET"
      MET_DUMP=${E2E_OUT[0]}
    elif [ "$opened" = "$ABK" ] && [ -z "$ABK_DUMP" ]; then
      e2e_drive dump "$ABK"
      ABK_DUMP=${E2E_OUT[0]}
    fi
    e2e_drive close "$opened" -- wait-gone "$opened"
    [ -n "$MET_DUMP" ] && [ -n "$ABK_DUMP" ] && return 0
  done
  e2e_fail "round $1: views found: met/hydro ${MET_DUMP:+yes} ABK ${ABK_DUMP:+yes}"
  return 1
}

cell() { jq -r --argjson id "$2" '[.[] | select(.id == $id)][0].text' <<<"$1"; }

check_round() {
  local id=$1 stamp
  broadcast "$id" || return
  find_views "$id" || return
  # The own station's message 8 as the view reads it from the bits.
  e2e_eq "round $id: User ID of message 8" "$OWN_MMSI" "$(cell "$MET_DUMP" 1066)"
  e2e_eq "round $id: RI" 0 "$(cell "$MET_DUMP" 1065)"
  e2e_eq "round $id: spare" 0 "$(cell "$MET_DUMP" 1014)"
  e2e_eq "round $id: DAC" 1 "$(cell "$MET_DUMP" 1068)"
  e2e_eq "round $id: FI" 31 "$(cell "$MET_DUMP" 1069)"
  e2e_eq "round $id: latitude" "9100.000,N" "$(cell "$MET_DUMP" 2061)"
  e2e_eq "round $id: longitude" "18100.000,E" "$(cell "$MET_DUMP" 2062)"
  e2e_eq "round $id: air temperature" "-1024" "$(cell "$MET_DUMP" 1542)"
  e2e_eq "round $id: average wind speed" 127 "$(cell "$MET_DUMP" 1538)"
  e2e_eq "round $id: wind direction" 360 "$(cell "$MET_DUMP" 1540)"
  e2e_eq "round $id: dew point" 501 "$(cell "$MET_DUMP" 1544)"
  e2e_eq "round $id: water level" 4001 "$(cell "$MET_DUMP" 1548)"
  e2e_eq "round $id: water temperature" 501 "$(cell "$MET_DUMP" 1564)"
  e2e_eq "round $id: salinity" 510 "$(cell "$MET_DUMP" 1566)"
  e2e_eq "round $id: last spare" 0 "$(cell "$MET_DUMP" 1067)"
  stamp=$(cell "$MET_DUMP" 2063)
  if [ "$stamp" != "$SENT_BEFORE" ] && [ "$stamp" != "$SENT_AFTER" ]; then
    e2e_fail "round $id: UTC $stamp, sent between $SENT_BEFORE and $SENT_AFTER"
  fi
  # The acknowledgement: a broadcast has no addressee; channel A as asked.
  e2e_eq "round $id: ABK destination" 0 "$(cell "$ABK_DUMP" 1815)"
  e2e_eq "round $id: ABK channel" A "$(cell "$ABK_DUMP" 1816)"
  e2e_eq "round $id: ABK message id" 8 "$(cell "$ABK_DUMP" 1817)"
  e2e_eq "round $id: ABK sequence number" "$id" "$(cell "$ABK_DUMP" 1818)"
  e2e_eq "round $id: ABK type" 3 "$(cell "$ABK_DUMP" 1819)"
}

check_round 0

# Closed and opened again: the simulator keeps serving the port.
e2e_drive menu 1060 -- wait-window "$SETTINGS" "#32770" -- click "$SETTINGS" 3 -- sleep 300 -- menu-state 1060
e2e_eq "disconnected" unchecked "${E2E_OUT[4]}"
closed() { grep -q 'the client closed the port' "$SIM_LOG"; }
e2e_check "asm-sim sees the client close the port" e2e_wait_for 10 closed
e2e_drive set-text "$SETTINGS" 2071 again -- select "$SETTINGS" 2089 "$PORT" -- set-text "$SETTINGS" 2092 38400 \
  -- click "$SETTINGS" 2091 -- msgbox "$REPORT" -- press "$REPORT" ok -- wait-gone "$SETTINGS"
e2e_eq "reconnected" information "$(jq -r .icon <<<"${E2E_OUT[4]}")"
e2e_check "asm-sim sees the port opened again" e2e_wait_for 10 opened_times 2

check_round 1

# The client sent nothing the simulator had to reject, and it still runs.
e2e_check "asm-sim still running" kill -0 "$SIM_PID"
if grep -q 'bad sentence\|unknown sentence\|failed' "$SIM_LOG"; then
  e2e_fail "asm-sim reported: $(grep 'bad sentence\|unknown sentence\|failed' "$SIM_LOG" | head -3)"
fi
e2e_log "$(grep -c '> !AIVDO' "$SIM_LOG") own-station messages sent; $(grep -c 'complete' "$SIM_LOG") broadcasts"

e2e_finish
