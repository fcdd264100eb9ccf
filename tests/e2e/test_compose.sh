# The "Compose" dialog against simulated transponders: a met/hydro report
# with a value in every field goes out as BBM and comes back in the
# simulator's own VDO with those raw values in the met/hydro view; ABM and
# BBM of every kind get the outcome their transponder gives (acknowledged,
# not acknowledged, could not broadcast, broadcast, late acknowledgement, and
# no acknowledgement after 10 s) in the "Transmissions" list, with the menu
# command's BBM among them; a value out of range, a message too long for one
# transmission and a closed link are refused with a message before anything
# is written.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_native_tool ASM_SIM asm-sim

OWN_MMSI=244123456
PEER_MMSI=211000001
DIALOG=Compose
REFUSED="Not Sent"
LINK1_DIALOG="AIS Presentation Port Settings"
LINK2_DIALOG="AIS Nmea Port Settings"
KIND_MET="Met/hydro report (message 8, BBM)"
KIND_BINARY="Addressed binary message (message 6, ABM)"
KIND_SAFETY="Addressed safety text (message 12, ABM)"
KIND_BROADCAST="Broadcast safety text (message 14, BBM)"
KIND_RAW="Raw binary message (DAC, FI, hex data)"

# One transponder per way of answering; no traffic, so that the columns of
# the timeline are the answers and the own ship's reports.
declare -A SIM_LOG
for answers in "COM7 0 3" "COM8 1 2" "COM9 4 3" "COM10 none 3"; do
  read -r port abm bbm <<<"$answers"
  SIM_LOG[$port]=$E2E_HOME/sim-$port.log
  e2e_sim_port "$port" "${SIM_LOG[$port]}" --own-mmsi "$OWN_MMSI" --rate 0 --ack-delay 300 --abm-ack "$abm" \
    --bbm-ack "$bbm" --verbose
done
e2e_list_ports
E2E_STEP_TIMEOUT=90
e2e_start_client

# What the client logs is read back from a recording of its links.
e2e_native_tool ASM_DECODE asm-decode
RECORDING=$E2E_HOME/compose.nmea
rm -f "$RECORDING"
e2e_drive menu "$ID_RECORD" -- wait-window "Record Session" "#32770" \
  -- set-text "Record Session" 1148 "Z:${RECORDING//\//\\}" -- click "Record Session" "$IDOK" \
  -- wait-gone "Record Session" >/dev/null

received() { grep -cE "< !AI(ABM|BBM)" "${SIM_LOG[$1]}"; }

# ---- A closed link: refused, nothing written.
e2e_drive menu "$ID_COMPOSE" -- wait-window "$DIALOG" "#32770" -- menu "$ID_COMPOSE" -- sleep 300 -- dump "$DIALOG"
e2e_eq "one dialog after a second Compose..." 1 "$(jq '[.[] | select(.id == '"$IDC_COMPOSE_SEND"')] | length' <<<"${E2E_OUT[4]}")"
e2e_drive click "$DIALOG" "$IDC_COMPOSE_SEND" -- msgbox "$REFUSED" -- press "$REFUSED" ok
e2e_eq "Send on a closed link" \
  "The Presentation Port is not connected. Connect it from the menu first; nothing was sent." \
  "$(jq -r .text <<<"${E2E_OUT[1]}")"
e2e_eq "refusal icon" warning "$(jq -r .icon <<<"${E2E_OUT[1]}")"

e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 transponder
e2e_connect "$ID_NMEA2000_PORT" COM8 38400 refusing

# Row `row` of the transmissions list, as "sentence message destination outcome".
ROWS='[]'
read_rows() {
  e2e_drive list-rows "$DIALOG" "$IDC_COMPOSE_TRANSMISSIONS" >/dev/null
  ROWS=$(jq -c '.rows' <<<"${E2E_OUT[0]}")
}
outcome_is() {
  read_rows
  [ "$(jq -r ".[$1][6]" <<<"$ROWS")" = "$2" ]
}
# Waits for row ROW to read OUTCOME and checks the whole row.
expect_row() {
  local row=$1 link=$2 sentence=$3 message=$4 destination=$5 outcome=$6 within=${7:-10}
  e2e_wait_for "$within" outcome_is "$row" "$outcome" ||
    e2e_fail "row $row: outcome \"$(jq -r ".[$row][6]" <<<"$ROWS")\", expected \"$outcome\""
  e2e_eq "row $row: link, sentence, message, destination, outcome" \
    "$link|$sentence|$message|$destination|$outcome" "$(jq -r ".[$row] | [.[1], .[2], .[4], .[5], .[6]] | join(\"|\")" <<<"$ROWS")"
  e2e_log "row $row: $(jq -c ".[$row]" <<<"$ROWS")"
}
# An answered row carries its latency; a row without an answer none.
latency_of() { jq -r ".[$1][7]" <<<"$ROWS"; }

# ---- The met/hydro report with a value in every field: typed, the raw value
# shown beside it, what the view of the echoed message shows.
# label row, typed text, raw value, met/hydro view cell (none: not a cell).
FIELDS=(
  "0|52 30.500 N|3150500|-" "1|4 15.250 W|-255250|-" "2|1|1|-" "3|23|23|-" "4|14|14|-" "5|7|7|-"
  "6|12|12|$MET_HYDRO_AV_WIND_SPD" "7|20|20|$MET_HYDRO_WIND_GUST" "8|270|270|$MET_HYDRO_WIND_DIR"
  "9|280|280|$MET_HYDRO_WIND_GUST_DIR" "10|-12.5|-125|$MET_HYDRO_AIR_TEMP" "11|85|85|$MET_HYDRO_REL_HUMIDITY"
  "12|3.4|34|$MET_HYDRO_DEW_POINT" "13|1013|214|$MET_HYDRO_AIR_PRESSURE" "14|2|2|$MET_HYDRO_AIR_PRES_TND"
  "15|5.5|55|$MET_HYDRO_HOR_VISIBILITY" "16|1.23|1123|$MET_HYDRO_W_LVL_INC_TIDE" "17|1|1|$MET_HYDRO_W_LVL_TREND"
  "18|2.5|25|$MET_HYDRO_SURF_CUR_SPD" "19|90|90|$MET_HYDRO_SURF_CUR_DIR" "20|1.2|12|$MET_HYDRO_CUR_SPD2"
  "21|180|180|$MET_HYDRO_CUR_DIR2" "22|10|10|$MET_HYDRO_CUR_MES_LVL2" "23|0,8|8|$MET_HYDRO_CUR_SPD3"
  "24|45|45|$MET_HYDRO_CUR_DIR3" "25|20|20|$MET_HYDRO_CUR_MES_LVL3" "26|1.5|15|$MET_HYDRO_SIG_WAV_HGT"
  "27|8|8|$MET_HYDRO_WAVE_PEROD" "28|300|300|$MET_HYDRO_WAVE_DIR" "29|2.1|21|$MET_HYDRO_SWELL_HEIGHT"
  "30|11|11|$MET_HYDRO_SWELL_PERIOD" "31|310|310|$MET_HYDRO_SWELL_DIR" "32|4|4|$MET_HYDRO_SEA_STATE"
  "33|8.6|86|$MET_HYDRO_WATER_TEMP" "34|1|1|$MET_HYDRO_PRECIP_TYPE" "35|35.2|352|$MET_HYDRO_SALINITY"
  "36|0|0|$MET_HYDRO_ICE"
)
field_id() { echo $((IDC_COMPOSE_FIELD_ROWS + 5 * $1 + $2)); } # parts: 1 value, 3 not available, 4 raw

# Every box starts ticked, its raw value the field's "not available".
e2e_drive get-text "$DIALOG" "$(field_id 10 4)" -- get-text "$DIALOG" "$(field_id 13 4)" -- dump "$DIALOG"
e2e_eq "air temperature and pressure not available at first" "-1024 511" "${E2E_OUT[*]:0:2}"
e2e_eq "the unit beside the air temperature" "°C" "$(e2e_cell "${E2E_OUT[2]}" "$(field_id 10 2)")"

actions=(click "$DIALOG" "$IDC_COMPOSE_TIME_NOW")
for field in "${FIELDS[@]}"; do
  IFS='|' read -r row typed _ _ <<<"$field"
  actions+=(-- set-text "$DIALOG" "$(field_id "$row" 1)" "$typed")
done
for field in "${FIELDS[@]}"; do
  IFS='|' read -r row _ _ _ <<<"$field"
  actions+=(-- get-text "$DIALOG" "$(field_id "$row" 4)")
done
e2e_drive_lines out "${actions[@]}"
k=$((1 + ${#FIELDS[@]}))
for field in "${FIELDS[@]}"; do
  IFS='|' read -r row typed raw _ <<<"$field"
  e2e_eq "raw value of row $row typed \"$typed\"" "$raw" "${out[k]}"
  k=$((k + 1))
done
e2e_log "dialog: $(e2e_screenshot_window met-hydro "$DIALOG")"

# A value out of range: refused with the field, its range and unit.
e2e_drive set-text "$DIALOG" "$(field_id 10 1)" 75 -- get-text "$DIALOG" "$(field_id 10 4)" \
  -- get-text "$DIALOG" "$IDC_COMPOSE_STATUS" -- click "$DIALOG" "$IDC_COMPOSE_SEND" -- msgbox "$REFUSED" \
  -- press "$REFUSED" ok
e2e_eq "raw of an air temperature out of range" "?" "${E2E_OUT[1]}"
e2e_eq "status line names the range" "Air temperature: -60.0 to 60.0 °C" "${E2E_OUT[2]}"
e2e_eq "Send with an air temperature out of range" "Air temperature: -60.0 to 60.0 °C" "$(jq -r .text <<<"${E2E_OUT[4]}")"
e2e_eq "nothing written for a value out of range" 0 "$(received COM7)"

# Emptying a value makes the field "not available" again.
e2e_drive set-text "$DIALOG" "$(field_id 6 1)" "" -- get-text "$DIALOG" "$(field_id 6 4)" \
  -- set-text "$DIALOG" "$(field_id 6 1)" 12 -- get-text "$DIALOG" "$(field_id 6 4)"
e2e_eq "raw of an emptied wind speed, then typed again" "127 12" "${E2E_OUT[1]} ${E2E_OUT[3]}"

# The report itself, and the simulator's echo in the met/hydro view.
# The stored slots, as "slot kind", from the recording: both links' lines in
# the order they arrived fill the one log as they filled the client's (the
# answers here are single sentences, so one intake takes both).
slots() { [ -f "$RECORDING" ] && "$ASM_DECODE" "$RECORDING" | jq -r '"\(.slot) \(.kind)"'; }
abks() { slots | grep -c " ABK\$"; }
abks_before=$(abks)
e2e_drive set-text "$DIALOG" "$(field_id 10 1)" -12.5 -- click "$DIALOG" "$IDC_COMPOSE_SEND" -- sleep 300 \
  -- get-text "$DIALOG" "$IDC_COMPOSE_STATUS"
e2e_eq "status after Send" "Sent message 8 as 2 BBM sentences, sequential id 0" "${E2E_OUT[3]}"
expect_row 0 "Presentation Port" BBM 8 "" broadcast
e2e_check "a broadcast's latency: $(latency_of 0)" grep -qE '^[0-9]+ ms$' <<<"$(latency_of 0)"
grep '< !AIBBM' "${SIM_LOG[COM7]}" | sed 's/^asm-sim: < /  sent:     /; s/\\x0D\\x0A$//'
grep -E '> !AIVDO,[0-9],[0-9],[0-9]*,[AB],8|> \$AIABK' "${SIM_LOG[COM7]}" | sed 's/^asm-sim: > /  answered: /; s/\\x0D\\x0A$//'
e2e_wait_for 10 test "$(abks)" -gt "$abks_before" || e2e_fail "the ABK was not logged"
abk_slot=$(slots | awk '$2 == "ABK" { s = $1 } END { print s }')
e2e_plot_geometry
MET=$VIEW_MET_HYDRO_TITLE
e2e_drive click-at "$(e2e_click_x $(((abk_slot + 49) % 50)))" "$E2E_CLICK_Y" -- wait-window "$MET" -- dump "$MET"
view=${E2E_OUT[2]}
for field in "${FIELDS[@]}"; do
  IFS='|' read -r row typed raw cell <<<"$field"
  [ "$cell" = - ] || e2e_eq "view: row $row typed \"$typed\"" "$raw" "$(e2e_cell "$view" "$cell")"
done
e2e_eq "view: DAC and FI" "1 31" "$(e2e_cell "$view" "$MET_HYDRO_DAC") $(e2e_cell "$view" "$MET_HYDRO_FI")"
e2e_eq "view: UTC day, hour, minute" "23:14:07" "$(e2e_cell "$view" "$MET_HYDRO_UTC_DDHHMM")"
e2e_eq "view: position" "5230.500,N 00415.250,W" \
  "$(e2e_cell "$view" "$MET_HYDRO_LATITUDE") $(e2e_cell "$view" "$MET_HYDRO_LONGITUDE")"
e2e_log "view: $(e2e_screenshot_window met-hydro-view "$MET")"
e2e_drive close "$MET" -- wait-gone "$MET" >/dev/null

# One click takes the own ship's last reported position (the simulator
# reports it every 3 s) into both rows.
e2e_drive click "$DIALOG" "$IDC_COMPOSE_OWN_POSITION" -- sleep 300 -- get-text "$DIALOG" "$(field_id 0 1)" \
  -- get-text "$DIALOG" "$(field_id 1 1)" -- get-text "$DIALOG" "$(field_id 0 4)" -- get-text "$DIALOG" "$(field_id 1 4)"
e2e_log "own ship position: ${E2E_OUT[2]}, ${E2E_OUT[3]} (raw ${E2E_OUT[4]}, ${E2E_OUT[5]})"
e2e_check "own ship position taken: ${E2E_OUT[*]:2}" \
  test "${E2E_OUT[2]}" != "52 30.500 N" -a "${E2E_OUT[4]}" != 3150500 -a "${E2E_OUT[4]}" != "?" -a "${E2E_OUT[5]}" != "?"

# ---- ABM and BBM of every kind, on both links.
compose() { # KIND LINK, then pairs of control id and text
  local kind=$1 link=$2 actions=(select "$DIALOG" "$IDC_COMPOSE_KIND" "$1" -- select "$DIALOG" "$IDC_COMPOSE_LINK" "$2")
  shift 2
  while [ $# -ge 2 ]; do
    actions+=(-- set-text "$DIALOG" "$1" "$2")
    shift 2
  done
  e2e_drive "${actions[@]}" -- click "$DIALOG" "$IDC_COMPOSE_SEND" -- sleep 200 >/dev/null
}
binary=("$IDC_COMPOSE_MMSI" "$PEER_MMSI" "$IDC_COMPOSE_DAC" 1 "$IDC_COMPOSE_FI" 40 "$IDC_COMPOSE_DATA" "0123 4567 89AB")

compose "$KIND_BINARY" "Presentation Port" "${binary[@]}"
expect_row 1 "Presentation Port" ABM 6 "$PEER_MMSI" acknowledged
e2e_check "an acknowledgement's latency: $(latency_of 1)" grep -qE '^[0-9]+ ms$' <<<"$(latency_of 1)"
e2e_log "dialog: $(e2e_screenshot_window abm "$DIALOG")"
compose "$KIND_SAFETY" "Presentation Port" "$IDC_COMPOSE_MMSI" "$PEER_MMSI" "$IDC_COMPOSE_TEXT" "TEST 12 FROM THE BENCH"
expect_row 2 "Presentation Port" ABM 12 "$PEER_MMSI" acknowledged
compose "$KIND_BROADCAST" "Presentation Port" "$IDC_COMPOSE_TEXT" "securite test 14"
expect_row 3 "Presentation Port" BBM 14 "" broadcast
compose "$KIND_BINARY" "NMEA2000 Port" "${binary[@]}"
expect_row 4 "NMEA2000 Port" ABM 6 "$PEER_MMSI" "not acknowledged"
compose "$KIND_BROADCAST" "NMEA2000 Port" "$IDC_COMPOSE_TEXT" "SECURITE TEST 14"
expect_row 5 "NMEA2000 Port" BBM 14 "" "could not broadcast"
e2e_drive select "$DIALOG" "$IDC_COMPOSE_SENTENCE" "BBM (message 8)" >/dev/null
compose "$KIND_RAW" "NMEA2000 Port" "$IDC_COMPOSE_DAC" 235 "$IDC_COMPOSE_FI" 10 "$IDC_COMPOSE_DATA" "FF00"
expect_row 6 "NMEA2000 Port" BBM 8 "" "could not broadcast"

# The menu command's broadcast is listed too.
e2e_drive menu "$ID_BBM_PRESENTATION" >/dev/null
expect_row 7 "Presentation Port" BBM 8 "" broadcast

# Too long for one transmission, and a text outside the six-bit set: refused,
# nothing written.
before=$(received COM7)
long=$(printf 'AB%.0s' $(seq 1 120))
e2e_drive select "$DIALOG" "$IDC_COMPOSE_KIND" "$KIND_BINARY" -- select "$DIALOG" "$IDC_COMPOSE_LINK" "Presentation Port" \
  -- set-text "$DIALOG" "$IDC_COMPOSE_DATA" "$long" -- click "$DIALOG" "$IDC_COMPOSE_SEND" -- msgbox "$REFUSED" \
  -- press "$REFUSED" ok -- select "$DIALOG" "$IDC_COMPOSE_KIND" "$KIND_BROADCAST" \
  -- set-text "$DIALOG" "$IDC_COMPOSE_TEXT" "50 °C" -- get-text "$DIALOG" "$IDC_COMPOSE_TEXT_COUNT" \
  -- click "$DIALOG" "$IDC_COMPOSE_SEND" -- msgbox "$REFUSED" -- press "$REFUSED" ok
e2e_log "too long: $(jq -r .text <<<"${E2E_OUT[4]}")"
e2e_check "too long is refused with the limit: ${E2E_OUT[4]}" grep -q "more than message 6 carries" <<<"${E2E_OUT[4]}"
e2e_eq "count of a text" "5 of 161 characters" "${E2E_OUT[8]}"
e2e_log "not six-bit: $(jq -r .text <<<"${E2E_OUT[10]}")"
e2e_check "a text outside the six-bit set is refused: ${E2E_OUT[10]}" grep -q "°" <<<"${E2E_OUT[10]}"
sleep 0.5
e2e_eq "nothing written for refused messages" "$before" "$(received COM7)"

# ---- The late acknowledgement and no acknowledgement: other transponders.
reconnect() { # MENU DIALOG PORT
  e2e_drive menu "$1" -- wait-window "$2" "#32770" -- click "$2" "$IDC_CLEAR" -- sleep 300 \
    -- set-text "$2" "$IDC_CONNECTION_NAME" e2e -- select "$2" "$IDC_PORT_LIST" "$3" \
    -- set-text "$2" "$IDC_BAUD_RATE" 38400 -- click "$2" "$IDC_ACCEPT" -- msgbox "Remote Connection Status" \
    -- press "Remote Connection Status" ok -- wait-gone "$2" >/dev/null
}
reconnect "$ID_NMEA2000_PORT" "$LINK2_DIALOG" COM9
reconnect "$ID_PRESENTATION_PORT" "$LINK1_DIALOG" COM10
compose "$KIND_SAFETY" "NMEA2000 Port" "$IDC_COMPOSE_MMSI" "$PEER_MMSI" "$IDC_COMPOSE_TEXT" "LATE"
expect_row 8 "NMEA2000 Port" ABM 12 "$PEER_MMSI" "late acknowledgement"
compose "$KIND_BINARY" "Presentation Port" "${binary[@]}"
sent_at=$SECONDS
expect_row 9 "Presentation Port" ABM 6 "$PEER_MMSI" waiting 3
expect_row 9 "Presentation Port" ABM 6 "$PEER_MMSI" "no acknowledgement" 20
e2e_log "no acknowledgement shown $((SECONDS - sent_at)) s after Send"
e2e_eq "no latency without an answer" "" "$(latency_of 9)"
e2e_log "list: $(e2e_screenshot_window list "$DIALOG")"
jq -r '.[] | join(" | ")' <<<"$ROWS" | sed 's/^/  /'

e2e_drive close "$DIALOG" -- wait-gone "$DIALOG" >/dev/null
e2e_finish
