# The status bar and the menu's link state: known traffic on the two AIS
# ports and the sensor port shows in each link's part with its counts (in,
# stored, rejected) and its port and rate, whole (nothing cut, at 96 and at
# 144 DPI); the menu-bar items name the port while their link is open; a
# changed baud rate on a connected link reopens it at that rate; a typed
# port name is used as typed; a failed open says why.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8 COM9

presentation="AIS Presentation Port Settings"
nmea="AIS Nmea Port Settings"
sensor="Sensor Data Stream - Settings"
report="Remote Connection Status"

# link 1: two stored, one checksum mismatch, a GGA (ignored, not rejected);
# link 2: one stored, one line without a start character; link 3: 3 lines.
send_traffic() {
  e2e_send COM7 '!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A' \
    '!AIVDM,1,1,,B,25Cjtd0Oj;Jp7ilG7=UkKBoB0<06,0*60' \
    '!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4B' \
    '$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,*7B'
  e2e_send COM8 '!AIVDM,1,1,,A,38Id705000rRVJhE7cl9n;160000,0*40' 'AIVDM,1,1,,A,38Id705000rRVJhE7cl9n;160000,0*40'
  e2e_send COM9 '$GPVTG,,T,,M,0.020,N,0.038,K,A*2A' '$GPVTG,,T,,M,0.014,N,0.027,K,A*23' \
    '$GPRMC,213950.00,A,5250.53669,N,00542.34920,E,0.020,,070420,,,A*7D'
}

# The parts' texts, one a line, each AIS part's rate ("· 0.8/s") left off.
STATUS=
read_status() {
  e2e_drive status-bar >/dev/null
  STATUS=${E2E_OUT[0]}
}
part_texts() { jq -r '.parts[].text' <<<"$STATUS" | sed 's| · [0-9.]*/s$||'; }
parts_are() {
  read_status
  [ "$(part_texts)" = "$1" ]
}
expect_parts() {
  e2e_wait_for 10 parts_are "$1"
  e2e_eq "$2" "$1" "$(part_texts)"
}

# Every part as wide as its text and the bar's own margins (3 pixels each
# side), and its tooltip the whole text.
check_whole() {
  local cut
  cut=$(jq -r '.parts[] | select(.extent[0] + 6 > .box[2] - .box[0])
               | "\(.text) (\(.extent[0]) px in \(.box[2] - .box[0]))"' <<<"$STATUS")
  e2e_eq "$1: no part cut" "" "$cut"
  e2e_log "$1: $(jq -r '[.parts[] | "\(.extent[0]) of \(.box[2] - .box[0]) px"] | join(", ")' <<<"$STATUS")"
  e2e_eq "$1: tooltips" "$(jq -c '[.parts[].text]' <<<"$STATUS")" "$(jq -c '[.parts[].tip]' <<<"$STATUS")"
  # One row a link; the Sensor Port's row holds the recording's part too.
  e2e_eq "$1: parts below one another" "[0,1,2,2]" "$(jq -c '[.parts[].bar]' <<<"$STATUS")"
}

menu_links() {
  e2e_drive menu-items >/dev/null
  jq -r '[.[0:3][].text] | join(" | ")' <<<"${E2E_OUT[0]}"
}

connected_parts=$'Presentation Port: COM7 38400 · 4 in · 2 stored · 1 rejected
NMEA2000 Port: COM8 38400 · 2 in · 1 stored · 1 rejected
Sensor Port: COM9 4800 · 3 lines'

for dpi in 144 96; do
  e2e_dpi "$dpi"
  e2e_start_client
  read_status
  bars=$(jq -c '[.client, .bars]' <<<"$STATUS")
  e2e_eq "$dpi DPI: parts at the start" $'Presentation Port: not connected\nNMEA2000 Port: not connected\nSensor Port: not connected' \
    "$(part_texts)"
  e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 presentation
  e2e_connect "$ID_SENSOR_ALPHA" COM9 4800 sensor
  e2e_drive click "$sensor" "$IDCANCEL" -- wait-gone "$sensor" >/dev/null
  # Typed, not picked from the list: the name is used as typed.
  e2e_drive menu "$ID_NMEA2000_PORT" -- wait-window "$nmea" "#32770" -- set-text "$nmea" "$IDC_CONNECTION_NAME" typed \
    -- set-text "$nmea" "$IDC_PORT_LIST" COM8 -- set-text "$nmea" "$IDC_BAUD_RATE" 38400 -- click "$nmea" "$IDC_ACCEPT" \
    -- msgbox "$report" -- press "$report" ok -- wait-gone "$nmea" >/dev/null
  e2e_eq "$dpi DPI: a typed port name opens that port" "typed,COM8,38400 information" \
    "$(jq -r '"\(.text) \(.icon)"' <<<"${E2E_OUT[6]}")"
  send_traffic
  expect_parts "$connected_parts" "$dpi DPI: counts, port and rate of each link"
  e2e_check "$dpi DPI: each AIS part ends in its rate" \
    test "$(jq '[.parts[0:2][].text | select(test(" · [0-9]+(\\.[0-9])?/s$"))] | length' <<<"$STATUS")" = 2
  check_whole "$dpi DPI"
  # The client area and the timeline above the bar keep their size while
  # the menu's items grow.
  e2e_eq "$dpi DPI: client and bars as at the start" "$bars" "$(jq -c '[.client, .bars]' <<<"$STATUS")"
  e2e_eq "$dpi DPI: the bars end at the client's bottom" "$(jq -c '.client[1]' <<<"$STATUS")" \
    "$(jq -c '.bars[-1][3]' <<<"$STATUS")"
  e2e_screenshot_window "$dpi-connected" main >/dev/null
  if [ "$dpi" = 144 ]; then
    # Counts in the thousands, as after a while at a bench, fit as well.
    for port in COM7 COM8; do
      yes '!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A' | head -n 1200 | sed 's/$/\r/' >"$(e2e_peer "$port")"
    done
    expect_parts $'Presentation Port: COM7 38400 · 1 204 in · 1 202 stored · 1 rejected\nNMEA2000 Port: COM8 38400 · 1 202 in · 1 201 stored · 1 rejected\nSensor Port: COM9 4800 · 3 lines' \
      "144 DPI: counts in the thousands"
    check_whole "144 DPI, counts in the thousands"
    e2e_screenshot_window "$dpi-thousands" main >/dev/null
    e2e_drive close main >/dev/null
    e2e_wait_client_exit 20 && e2e_eq "client exit code at 144 DPI" 0 "$E2E_CLIENT_EXIT"
  fi
done

e2e_eq "menu while connected" "Sensor Port (COM9) | Presentation Port (COM7) | NMEA2000 Port (COM8)" "$(menu_links)"
e2e_drive menu-state "$ID_PRESENTATION_PORT" -- menu-state "$ID_NMEA2000_PORT" -- menu-state "$ID_SENSOR_ALPHA"
e2e_eq "check marks kept" "checked checked checked" "${E2E_OUT[*]}"

# A new rate on a connected link reopens it at that rate: the report, the
# dialog, the status bar and the port itself agree.
e2e_drive menu "$ID_PRESENTATION_PORT" -- wait-window "$presentation" "#32770" -- set-text "$presentation" "$IDC_BAUD_RATE" 9600 \
  -- click "$presentation" "$IDC_ACCEPT" -- msgbox "$report" -- press "$report" ok -- wait-gone "$presentation" >/dev/null
e2e_eq "report of the reopened link" "presentation,COM7,9600 information" "$(jq -r '"\(.text) \(.icon)"' <<<"${E2E_OUT[4]}")"
reopened() {
  read_status
  [[ "$(part_texts | head -n 1)" == "Presentation Port: COM7 9600 · "* ]]
}
e2e_check "the part shows the new rate: $(part_texts | head -n 1)" e2e_wait_for 10 reopened
e2e_eq "the port runs at the new rate" 9600 "$(stty -F "$E2E_HOME/ports/COM7" speed 2>&1)"
e2e_drive menu "$ID_PRESENTATION_PORT" -- wait-window "$presentation" "#32770" -- get-text "$presentation" "$IDC_BAUD_RATE" \
  -- set-text "$presentation" "$IDC_BAUD_RATE" 4800 -- click "$presentation" "$IDCANCEL" -- wait-gone "$presentation" \
  -- menu "$ID_PRESENTATION_PORT" -- wait-window "$presentation" "#32770" -- get-text "$presentation" "$IDC_BAUD_RATE" \
  -- click "$presentation" "$IDCANCEL" -- wait-gone "$presentation"
e2e_eq "the dialog shows the new rate" 9600 "${E2E_OUT[2]}"
e2e_eq "a rate typed and cancelled is not taken for the running one" 9600 "${E2E_OUT[8]}"

# A reopen that fails: the report keeps its text and says why on its own
# line; the link is closed and the menu and the status bar say so.
e2e_drive menu "$ID_NMEA2000_PORT" -- wait-window "$nmea" "#32770" -- set-text "$nmea" "$IDC_PORT_LIST" COM7 \
  -- click "$nmea" "$IDC_ACCEPT" -- msgbox "$report" -- press "$report" ok >/dev/null
e2e_eq "report of a port held by another link" $'typed,COM7,38400\nCOM7 is open on link 1 already error' \
  "$(jq -r '"\(.text) \(.icon)"' <<<"${E2E_OUT[4]}")"
e2e_drive set-text "$nmea" "$IDC_PORT_LIST" COM57 -- click "$nmea" "$IDC_ACCEPT" -- msgbox "$report" >/dev/null
box=${E2E_OUT[2]}
e2e_eq "report of a port that does not exist" "typed,COM57,38400" "$(jq -r '.text | split("\n")[0]' <<<"$box")"
e2e_check "it says why: $(jq -c .text <<<"$box")" jq -e '.text | split("\n")[1] | startswith("COM57 does not exist: ")' <<<"$box" >/dev/null
e2e_screenshot failed-report >/dev/null
e2e_drive press "$report" ok -- click "$nmea" "$IDCANCEL" -- wait-gone "$nmea" -- menu-state "$ID_NMEA2000_PORT" >/dev/null
e2e_eq "no check mark after the failed reopen" unchecked "${E2E_OUT[3]}"
expect_parts $'Presentation Port: COM7 9600 · 4 in · 2 stored · 1 rejected\nNMEA2000 Port: not connected\nSensor Port: COM9 4800 · 3 lines' \
  "parts after the failed reopen"

# Closed from its dialog, the Sensor Port's popup loses its port again.
e2e_drive menu "$ID_SENSOR_ALPHA" -- wait-window "$sensor" "#32770" -- click "$sensor" "$IDC_CLEAR" -- sleep 300 \
  -- click "$sensor" "$IDCANCEL" -- wait-gone "$sensor" >/dev/null
e2e_eq "menu after closing links 2 and 3" "Sensor Port | Presentation Port (COM7) | NMEA2000 Port" "$(menu_links)"
expect_parts $'Presentation Port: COM7 9600 · 4 in · 2 stored · 1 rejected\nNMEA2000 Port: not connected\nSensor Port: not connected' \
  "parts after closing links 2 and 3"

e2e_finish
