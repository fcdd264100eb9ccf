# Closing the main window with all three links open, while traffic still
# arrives on them, ends the program promptly with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8 COM9
e2e_start_client
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 presentation
e2e_connect "$ID_NMEA2000_PORT" COM8 38400 nmea
e2e_connect "$ID_SENSOR_ALPHA" COM9 4800 sensor
e2e_drive set-text "Sensor Data Stream - Settings" "$IDC_FORMATTER" GGA -- click "Sensor Data Stream - Settings" "$IDCANCEL" \
  -- wait-gone "Sensor Data Stream - Settings" -- menu-state "$ID_PRESENTATION_PORT" -- menu-state "$ID_NMEA2000_PORT" -- menu-state "$ID_SENSOR_ALPHA"
e2e_eq "all three links checked" "checked checked checked" "${E2E_OUT[*]:3:3}"

# Keep all three ports busy until the program has gone.
feed() {
  local port=$1 file=$2
  # Stops once the port has gone, rather than writing into a plain file.
  while [ -c "$(e2e_peer "$port")" ]; do e2e_send_file "$port" "$file" || break; done 2>/dev/null
}
feed COM7 "$E2E_SOURCE/../shared/corpus/sample.aivdm" &
E2E_PIDS+=($!)
feed COM8 "$E2E_SOURCE/../shared/corpus/ais-nmea.log" &
E2E_PIDS+=($!)
feed COM9 "$E2E_SOURCE/../shared/corpus/ais-nmea.log" &
E2E_PIDS+=($!)
sleep 2
e2e_screenshot busy >/dev/null

started=$SECONDS
e2e_drive close main
if e2e_wait_client_exit 10; then
  e2e_eq "exit code" 0 "$E2E_CLIENT_EXIT"
  e2e_log "the client ended $((SECONDS - started)) s after the close"
fi
e2e_drive exists main
e2e_eq "no main window left" "no" "${E2E_OUT[0]}"
e2e_finish
