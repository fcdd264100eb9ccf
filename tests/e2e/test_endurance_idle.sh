# Idle cost: with all three links open and nothing arriving, the client
# costs next to nothing. Its CPU time (utime + stime of the Linux process
# under Wine) over the measured span stays under 2 % of a core; a reader
# thread that spins instead of blocking shows up here at once. The
# wineserver's share is reported beside it, and the client's own with no
# link open for comparison. With the links open the client records them
# (unless SOAK_RECORD=0), as an engineer at a bench would.
#
# SOAK_IDLE_SECONDS (default 10) sets each measured span; SOAK_MONITOR=1
# keeps the sentence monitor open from the links' opening on.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../soak/lib.sh"
e2e_begin "$@"
soak_begin

SPAN=${SOAK_IDLE_SECONDS:-10}
LIMIT_PERCENT=2

# CPU of the client and of the wineserver over SPAN seconds of idling.
measure() {
  local client_start server_start client_end server_end
  sleep 2 # what the last driver call set off settles first
  client_start=$(soak_ticks "$SOAK_PID")
  server_start=$(soak_ticks "$SOAK_SERVER")
  sleep "$SPAN"
  client_end=$(soak_ticks "$SOAK_PID")
  server_end=$(soak_ticks "$SOAK_SERVER")
  CLIENT_PERCENT=$(soak_percent "$client_start" "$client_end" "$SPAN")
  SERVER_PERCENT=$(soak_percent "$server_start" "$server_end" "$SPAN")
}

e2e_ports COM30 COM31 COM32
e2e_start_client
soak_find_pids
measure
soak_result "idle, no link open" "client $CLIENT_PERCENT %, wineserver $SERVER_PERCENT % of a core over $SPAN s"

e2e_connect "$ID_PRESENTATION_PORT" COM30 38400 presentation
e2e_connect "$ID_NMEA2000_PORT" COM31 38400 nmea
e2e_connect "$ID_SENSOR_ALPHA" COM32 4800 sensor
e2e_drive click "Sensor Data Stream - Settings" "$IDCANCEL" -- wait-gone "Sensor Data Stream - Settings" \
  -- menu-state "$ID_PRESENTATION_PORT" -- menu-state "$ID_NMEA2000_PORT" -- menu-state "$ID_SENSOR_ALPHA" >/dev/null
e2e_eq "all three links open" "checked checked checked" "${E2E_OUT[*]:2:3}"
soak_open_monitor
soak_record
recording=on
[ "${SOAK_RECORD:-1}" = 0 ] && recording=off
threads=$(soak_threads "$SOAK_PID")
measure
soak_result "idle, three links open" "client $CLIENT_PERCENT %, wineserver $SERVER_PERCENT % of a core over $SPAN s, recording $recording"
soak_result "client threads" "$threads with three links open"
e2e_check "idle client under $LIMIT_PERCENT % of a core (was $CLIENT_PERCENT %)" \
  awk -v p="$CLIENT_PERCENT" -v l="$LIMIT_PERCENT" 'BEGIN { exit !(p < l) }'

# A short burst and quiet again: the readers go back to blocking.
e2e_send COM30 "$(e2e_nmea '!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0')"
e2e_send COM31 "$(e2e_nmea '!AIVDM,1,1,,B,15M67FC000G?ufbE`FepT@3n00Sa,0')"
both_recorded() { [ "$(soak_recorded COM30)" -eq 1 ] && [ "$(soak_recorded COM31)" -eq 1 ]; }
if [ $recording = on ]; then
  e2e_check "one message received on each link" e2e_wait_for 10 both_recorded
else
  sleep 2
fi
# Unloaded latencies, to set beside those measured under load: the real
# pointer until the title names its place, and a click until its view exists.
e2e_plot_geometry
x=$(($(e2e_column_x 0) + 2))
y=$(e2e_row_y 1)
e2e_drive stopwatch -- pointer $((E2E_ORIGIN_X + x)) $((E2E_ORIGIN_Y + y)) \
  -- wait-title main "VORNAK - Application Specific Message - Integration Client: Timeline Message Number 01 : Log 00 " \
  -- stopwatch -- pointer 1023 767 -- click-view "$x" "$y" >/dev/null
hover=${E2E_OUT[3]} click=${E2E_OUT[5]%% *} view=${E2E_OUT[5]#* }
e2e_eq "the view of slot 0" " Message 1 : Position report" "$view"
e2e_drive close "$view" -- wait-gone "$view" >/dev/null
soak_result "unloaded latencies" "hover $hover ms, click-to-view $click ms"

measure
soak_result "idle after traffic" "client $CLIENT_PERCENT %, wineserver $SERVER_PERCENT % of a core over $SPAN s"
e2e_check "idle client after traffic under $LIMIT_PERCENT % of a core (was $CLIENT_PERCENT %)" \
  awk -v p="$CLIENT_PERCENT" -v l="$LIMIT_PERCENT" 'BEGIN { exit !(p < l) }'
e2e_finish
