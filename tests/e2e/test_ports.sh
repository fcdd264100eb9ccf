# Connecting and disconnecting the Presentation Port through its settings
# dialog: the port list, a failed and a successful Accept with their reports,
# the menu check mark, the stored settings on reopening, and Clear.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8 COM9
e2e_start_client

dialog="AIS Presentation Port Settings"
report="Remote Connection Status"

e2e_drive menu "$ID_PRESENTATION_PORT" -- wait-window "$dialog" "#32770" -- combo "$dialog" "$IDC_PORT_LIST" -- get-text "$dialog" "$IDC_CONNECTION_NAME" \
  -- get-text "$dialog" "$IDC_BAUD_RATE"
list=${E2E_OUT[2]}
e2e_eq "unconnected look of the port list" '"Select COM Port" -1' "$(jq -r '"\"\(.text)\" \(.selected)"' <<<"$list")"
for port in COM7 COM8 COM9; do
  e2e_eq "$port listed once" 1 "$(jq --arg p "$port" '[.items[] | select(. == $p)] | length' <<<"$list")"
done
e2e_eq "empty name field" "" "${E2E_OUT[3]}"
e2e_eq "empty baud field" "" "${E2E_OUT[4]}"

# Dropped down, the list shows every port at once (Common Controls 6 sizes
# it to its entries; the template's height has room for one or two).
e2e_drive drop-down "$dialog" "$IDC_PORT_LIST"
e2e_check "the dropped list shows all $(jq .items <<<"${E2E_OUT[0]}") ports: ${E2E_OUT[0]}" \
  jq -e '.items >= 3 and .shown >= .items' <<<"${E2E_OUT[0]}" >/dev/null

# Accept with no port picked: the open fails and the report names no port,
# and says why on a line of its own.
e2e_drive set-text "$dialog" "$IDC_CONNECTION_NAME" name -- set-text "$dialog" "$IDC_BAUD_RATE" 4800 -- click "$dialog" "$IDC_ACCEPT" -- msgbox "$report"
box=${E2E_OUT[3]}
e2e_eq "failed report text, and why" "name,,4800"$'\n'"no COM port chosen" "$(jq -r .text <<<"$box")"
e2e_eq "failed report icon" "error" "$(jq -r .icon <<<"$box")"
e2e_screenshot failed-report >/dev/null
e2e_drive press "$report" ok -- sleep 300 -- exists "$dialog" -- menu-state "$ID_PRESENTATION_PORT"
e2e_eq "dialog stays open after a failure" "yes" "${E2E_OUT[2]}"
e2e_eq "no check mark after a failure" "unchecked" "${E2E_OUT[3]}"

# Pick COM7 from the list and type the baud rate: the link opens.
e2e_drive select "$dialog" "$IDC_PORT_LIST" COM7 -- set-text "$dialog" "$IDC_BAUD_RATE" 4800 -- click "$dialog" "$IDC_ACCEPT" -- msgbox "$report"
box=${E2E_OUT[3]}
e2e_eq "report text" "name,COM7,4800" "$(jq -r .text <<<"$box")"
e2e_eq "report icon" "information" "$(jq -r .icon <<<"$box")"
e2e_eq "report buttons" '["OK"]' "$(jq -c .buttons <<<"$box")"
e2e_screenshot connected-report >/dev/null
e2e_drive press "$report" ok -- wait-gone "$dialog" -- menu-state "$ID_PRESENTATION_PORT" -- menu-state "$ID_NMEA2000_PORT" -- menu-state "$ID_SENSOR_ALPHA"
e2e_eq "check marks after connecting link 1" "checked unchecked unchecked" "${E2E_OUT[*]:2:3}"

# Reopened, the dialog shows what was accepted.
e2e_drive menu "$ID_PRESENTATION_PORT" -- wait-window "$dialog" "#32770" -- get-text "$dialog" "$IDC_CONNECTION_NAME" -- get-text "$dialog" "$IDC_BAUD_RATE" \
  -- combo "$dialog" "$IDC_PORT_LIST"
e2e_eq "stored name" "name" "${E2E_OUT[2]}"
e2e_eq "stored baud rate" "4800" "${E2E_OUT[3]}"
list=${E2E_OUT[4]}
e2e_eq "stored port selected" "COM7" "$(jq -r '.items[.selected]' <<<"$list")"
e2e_eq "stored port shown" "COM7" "$(jq -r .text <<<"$list")"
e2e_screenshot reopened >/dev/null

# Clear disconnects: no check mark, empty fields, the unconnected look.
e2e_drive click "$dialog" "$IDC_CLEAR" -- sleep 300 -- menu-state "$ID_PRESENTATION_PORT" -- get-text "$dialog" "$IDC_CONNECTION_NAME" -- get-text "$dialog" "$IDC_BAUD_RATE" \
  -- combo "$dialog" "$IDC_PORT_LIST" -- exists "$dialog"
e2e_eq "no check mark after Clear" "unchecked" "${E2E_OUT[2]}"
e2e_eq "name emptied by Clear" "" "${E2E_OUT[3]}"
e2e_eq "baud emptied by Clear" "" "${E2E_OUT[4]}"
list=${E2E_OUT[5]}
e2e_eq "list after Clear" '"Select COM Port" -1' "$(jq -r '"\"\(.text)\" \(.selected)"' <<<"$list")"
e2e_eq "each port listed once after Clear" 3 "$(jq '[.items[] | select(test("^COM[789]$"))] | length' <<<"$list")"
e2e_eq "dialog stays open after Clear" "yes" "${E2E_OUT[6]}"
e2e_screenshot cleared >/dev/null

# The port is free again: it can be opened a second time.
e2e_drive set-text "$dialog" "$IDC_CONNECTION_NAME" again -- select "$dialog" "$IDC_PORT_LIST" COM7 -- set-text "$dialog" "$IDC_BAUD_RATE" 9600 \
  -- click "$dialog" "$IDC_ACCEPT" -- msgbox "$report" -- press "$report" ok -- wait-gone "$dialog" -- menu-state "$ID_PRESENTATION_PORT"
e2e_eq "report after reconnecting" "again,COM7,9600" "$(jq -r .text <<<"${E2E_OUT[4]}")"
e2e_eq "check mark after reconnecting" "checked" "${E2E_OUT[7]}"

e2e_finish
