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

e2e_native_tool ASM_SIM asm-sim

PORT=COM9
SIM_LOG=$E2E_HOME/sim.err
OWN_MMSI=244123456
MET=$VIEW_MET_HYDRO_TITLE
ABK=$VIEW_ABK_TITLE
SETTINGS="AIS Presentation Port Settings"
REPORT="Remote Connection Status"

# No traffic besides the own ship's reports: the log then holds little.
e2e_sim_port "$PORT" "$SIM_LOG" --rate 0 --own-mmsi "$OWN_MMSI" --verbose
SIM_PID=$E2E_SIM_PID
e2e_list_ports

e2e_start_client
e2e_plot_geometry

opened_times() { [ "$(grep -c 'the client opened the port' "$SIM_LOG")" -ge "$1" ]; }
e2e_connect "$ID_PRESENTATION_PORT" "$PORT" 38400 sim
e2e_check "asm-sim sees the client open the port" e2e_wait_for 10 opened_times 1

# Clears the log, sends the report, and waits for the simulator's answer.
# Sets SENT_BEFORE / SENT_AFTER to the UTC "dd:hh:mm" around the command.
broadcast() {
  local id=$1
  e2e_drive menu "$ID_CLEAR_LOGS" -- press "Display Data Que" yes -- sleep 300
  SENT_BEFORE=$(date -u '+%d:%H:%M')
  e2e_drive menu "$ID_BBM_PRESENTATION"
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
    e2e_drive click-at "$(e2e_click_x $column)" "$E2E_CLICK_Y" -- sleep 500 -- exists "$MET" -- exists "$ABK" \
      -- exists "$VIEW_POSITION_REPORT1_TITLE" -- exists "$VIEW_POSITION_REPORT3_TITLE"
    opened=
    [ "${E2E_OUT[2]}" = yes ] && opened=$MET
    [ "${E2E_OUT[3]}" = yes ] && opened=$ABK
    [ "${E2E_OUT[4]}" = yes ] && opened=$VIEW_POSITION_REPORT1_TITLE
    [ "${E2E_OUT[5]}" = yes ] && opened=$VIEW_POSITION_REPORT3_TITLE
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

check_round() {
  local id=$1 stamp
  broadcast "$id" || return
  find_views "$id" || return
  # The own station's message 8 as the view reads it from the bits.
  e2e_eq "round $id: User ID of message 8" "$OWN_MMSI" "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_USER_ID")"
  e2e_eq "round $id: RI" 0 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_RI")"
  e2e_eq "round $id: spare" 0 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_SPARE")"
  e2e_eq "round $id: DAC" 1 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_DAC")"
  e2e_eq "round $id: FI" 31 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_FI")"
  e2e_eq "round $id: latitude" "9100.000,N" "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_LATITUDE")"
  e2e_eq "round $id: longitude" "18100.000,E" "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_LONGITUDE")"
  e2e_eq "round $id: air temperature" "-1024" "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_AIR_TEMP")"
  e2e_eq "round $id: average wind speed" 127 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_AV_WIND_SPD")"
  e2e_eq "round $id: wind direction" 360 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_WIND_DIR")"
  e2e_eq "round $id: dew point" 501 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_DEW_POINT")"
  e2e_eq "round $id: water level" 4001 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_W_LVL_INC_TIDE")"
  e2e_eq "round $id: water temperature" 501 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_WATER_TEMP")"
  e2e_eq "round $id: salinity" 510 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_SALINITY")"
  e2e_eq "round $id: last spare" 0 "$(e2e_cell "$MET_DUMP" "$MET_HYDRO_LAST_SPARE")"
  stamp=$(e2e_cell "$MET_DUMP" "$MET_HYDRO_UTC_DDHHMM")
  if [ "$stamp" != "$SENT_BEFORE" ] && [ "$stamp" != "$SENT_AFTER" ]; then
    e2e_fail "round $id: UTC $stamp, sent between $SENT_BEFORE and $SENT_AFTER"
  fi
  # The acknowledgement: a broadcast has no addressee; channel A as asked.
  e2e_eq "round $id: ABK destination" 0 "$(e2e_cell "$ABK_DUMP" "$ABK_DESTINATION_ID")"
  e2e_eq "round $id: ABK channel" A "$(e2e_cell "$ABK_DUMP" "$ABK_RX_CH")"
  e2e_eq "round $id: ABK message id" 8 "$(e2e_cell "$ABK_DUMP" "$ABK_MSG_TYPE")"
  e2e_eq "round $id: ABK sequence number" "$id" "$(e2e_cell "$ABK_DUMP" "$ABK_SEQ_NUM")"
  e2e_eq "round $id: ABK type" 3 "$(e2e_cell "$ABK_DUMP" "$ABK_TYPE_OF_ACK")"
}

check_round 0

# Closed and opened again: the simulator keeps serving the port.
e2e_drive menu "$ID_PRESENTATION_PORT" -- wait-window "$SETTINGS" "#32770" -- click "$SETTINGS" "$IDC_CLEAR" \
  -- sleep 300 -- menu-state "$ID_PRESENTATION_PORT"
e2e_eq "disconnected" unchecked "${E2E_OUT[4]}"
closed() { grep -q 'the client closed the port' "$SIM_LOG"; }
e2e_check "asm-sim sees the client close the port" e2e_wait_for 10 closed
e2e_drive set-text "$SETTINGS" "$IDC_CONNECTION_NAME" again -- select "$SETTINGS" "$IDC_PORT_LIST" "$PORT" \
  -- set-text "$SETTINGS" "$IDC_BAUD_RATE" 38400 -- click "$SETTINGS" "$IDC_ACCEPT" -- msgbox "$REPORT" -- press "$REPORT" ok -- wait-gone "$SETTINGS"
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
