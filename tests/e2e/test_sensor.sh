# The Sensor Port's dialog (250): it stays open after connecting, shows and
# counts only the sentences whose formatter matches the filter, restarts the
# count when the filter changes, and Clear disconnects the link.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM9
e2e_start_client

dialog="Sensor Data Stream - Settings"
e2e_connect "$ID_SENSOR_ALPHA" COM9 4800 sensor
e2e_eq "sensor report" "sensor,COM9,4800" "$(jq -r .text <<<"$E2E_REPORT")"
e2e_drive exists "$dialog" -- menu-state "$ID_SENSOR_ALPHA" -- set-text "$dialog" "$IDC_FORMATTER" GGA -- get-text "$dialog" "$IDC_COUNTER"
e2e_eq "dialog 250 stays open after Accept" "yes" "${E2E_OUT[0]}"
e2e_eq "Alpha checked" "checked" "${E2E_OUT[1]}"
e2e_eq "a new filter starts the count at 0" "0" "${E2E_OUT[3]}"

# A sensor's stream from the recorded log: fixes, courses and other sentences.
gga1='$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,*7B'
gga2='$GPGGA,213951.00,5250.53675,N,00542.34923,E,1,09,1.03,-5.8,M,45.8,M,,*7F'
vtg1='$GPVTG,,T,,M,0.020,N,0.038,K,A*2A'
vtg2='$GPVTG,,T,,M,0.014,N,0.027,K,A*23'
rmc1='$GPRMC,213950.00,A,5250.53669,N,00542.34920,E,0.020,,070420,,,A*7D'
e2e_send COM9 "$rmc1" "$vtg1" "$gga1" "$vtg2" "$gga2"

counter_is() {
  e2e_drive get-text "$dialog" "$IDC_COUNTER"
  [ "${E2E_OUT[0]}" = "$1" ]
}
e2e_check "counter reaches 2 for GGA" e2e_wait_for 10 counter_is 2
e2e_drive sleep 300 -- get-text "$dialog" "$IDC_COUNTER" -- get-text "$dialog" "$IDC_STREAM"
e2e_eq "GGA count" "2" "${E2E_OUT[1]}"
e2e_eq "only the GGA sentences are shown" "$gga1\\r\\n$gga2\\r\\n" "${E2E_OUT[2]}"
e2e_screenshot gga >/dev/null

# Another filter: the count starts again, the display keeps what it showed.
e2e_drive set-text "$dialog" "$IDC_FORMATTER" VTG -- get-text "$dialog" "$IDC_COUNTER"
e2e_eq "count reset by a new filter" "0" "${E2E_OUT[1]}"
e2e_send COM9 "$gga1" "$vtg1" "$rmc1"
e2e_check "counter reaches 1 for VTG" e2e_wait_for 10 counter_is 1
e2e_drive sleep 300 -- get-text "$dialog" "$IDC_COUNTER"
e2e_eq "VTG count" "1" "${E2E_OUT[1]}"
e2e_screenshot vtg >/dev/null

# Clear disconnects: no check mark, empty fields, the unconnected look.
e2e_drive click "$dialog" "$IDC_CLEAR" -- sleep 300 -- menu-state "$ID_SENSOR_ALPHA" -- get-text "$dialog" "$IDC_CONNECTION_NAME" -- get-text "$dialog" "$IDC_BAUD_RATE" \
  -- combo "$dialog" "$IDC_PORT_LIST"
e2e_eq "Alpha unchecked after Clear" "unchecked" "${E2E_OUT[2]}"
e2e_eq "fields emptied by Clear" "|" "${E2E_OUT[3]}|${E2E_OUT[4]}"
e2e_eq "port list after Clear" '"Select COM Port" -1' "$(jq -r '"\"\(.text)\" \(.selected)"' <<<"${E2E_OUT[5]}")"
# With the link closed nothing more is counted.
e2e_send COM9 "$vtg2"
e2e_drive sleep 500 -- get-text "$dialog" "$IDC_COUNTER" -- click "$dialog" "$IDCANCEL" -- wait-gone "$dialog"
e2e_eq "nothing counted after Clear" "1" "${E2E_OUT[1]}"

e2e_finish
