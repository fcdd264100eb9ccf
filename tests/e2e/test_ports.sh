# Connecting and disconnecting the Presentation Port through its settings
# dialog: the port list, a failed and a successful Accept with their reports,
# the menu check mark, the stored settings on reopening, and Clear.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8 COM9
e2e_start_client

dialog="AIS Presentation Port Settings"
report="Remote Connection Status"

e2e_drive menu 1060 -- wait-window "$dialog" "#32770" -- combo "$dialog" 2089 -- get-text "$dialog" 2071 \
  -- get-text "$dialog" 2092
list=${E2E_OUT[2]}
e2e_eq "unconnected look of the port list" '"Select COM Port" -1' "$(jq -r '"\"\(.text)\" \(.selected)"' <<<"$list")"
for port in COM7 COM8 COM9; do
  e2e_eq "$port listed once" 1 "$(jq --arg p "$port" '[.items[] | select(. == $p)] | length' <<<"$list")"
done
e2e_eq "empty name field" "" "${E2E_OUT[3]}"
e2e_eq "empty baud field" "" "${E2E_OUT[4]}"

# Dropped down, the list shows every port at once (Common Controls 6 sizes
# it to its entries; the template's height has room for one or two).
e2e_drive drop-down "$dialog" 2089
e2e_check "the dropped list shows all $(jq .items <<<"${E2E_OUT[0]}") ports: ${E2E_OUT[0]}" \
  jq -e '.items >= 3 and .shown >= .items' <<<"${E2E_OUT[0]}" >/dev/null

# Accept with no port picked: the open fails and the report names no port.
e2e_drive set-text "$dialog" 2071 name -- set-text "$dialog" 2092 4800 -- click "$dialog" 2091 -- msgbox "$report"
box=${E2E_OUT[3]}
e2e_eq "failed report text" "name,,4800" "$(jq -r .text <<<"$box")"
e2e_eq "failed report icon" "error" "$(jq -r .icon <<<"$box")"
e2e_screenshot failed-report >/dev/null
e2e_drive press "$report" ok -- sleep 300 -- exists "$dialog" -- menu-state 1060
e2e_eq "dialog stays open after a failure" "yes" "${E2E_OUT[2]}"
e2e_eq "no check mark after a failure" "unchecked" "${E2E_OUT[3]}"

# Pick COM7 from the list and type the baud rate: the link opens.
e2e_drive select "$dialog" 2089 COM7 -- set-text "$dialog" 2092 4800 -- click "$dialog" 2091 -- msgbox "$report"
box=${E2E_OUT[3]}
e2e_eq "report text" "name,COM7,4800" "$(jq -r .text <<<"$box")"
e2e_eq "report icon" "information" "$(jq -r .icon <<<"$box")"
e2e_eq "report buttons" '["OK"]' "$(jq -c .buttons <<<"$box")"
e2e_screenshot connected-report >/dev/null
e2e_drive press "$report" ok -- wait-gone "$dialog" -- menu-state 1060 -- menu-state 40715 -- menu-state 40706
e2e_eq "check marks after connecting link 1" "checked unchecked unchecked" "${E2E_OUT[*]:2:3}"

# Reopened, the dialog shows what was accepted.
e2e_drive menu 1060 -- wait-window "$dialog" "#32770" -- get-text "$dialog" 2071 -- get-text "$dialog" 2092 \
  -- combo "$dialog" 2089
e2e_eq "stored name" "name" "${E2E_OUT[2]}"
e2e_eq "stored baud rate" "4800" "${E2E_OUT[3]}"
list=${E2E_OUT[4]}
e2e_eq "stored port selected" "COM7" "$(jq -r '.items[.selected]' <<<"$list")"
e2e_eq "stored port shown" "COM7" "$(jq -r .text <<<"$list")"
e2e_screenshot reopened >/dev/null

# Clear disconnects: no check mark, empty fields, the unconnected look.
e2e_drive click "$dialog" 3 -- sleep 300 -- menu-state 1060 -- get-text "$dialog" 2071 -- get-text "$dialog" 2092 \
  -- combo "$dialog" 2089 -- exists "$dialog"
e2e_eq "no check mark after Clear" "unchecked" "${E2E_OUT[2]}"
e2e_eq "name emptied by Clear" "" "${E2E_OUT[3]}"
e2e_eq "baud emptied by Clear" "" "${E2E_OUT[4]}"
list=${E2E_OUT[5]}
e2e_eq "list after Clear" '"Select COM Port" -1' "$(jq -r '"\"\(.text)\" \(.selected)"' <<<"$list")"
e2e_eq "each port listed once after Clear" 3 "$(jq '[.items[] | select(test("^COM[789]$"))] | length' <<<"$list")"
e2e_eq "dialog stays open after Clear" "yes" "${E2E_OUT[6]}"
e2e_screenshot cleared >/dev/null

# The port is free again: it can be opened a second time.
e2e_drive set-text "$dialog" 2071 again -- select "$dialog" 2089 COM7 -- set-text "$dialog" 2092 9600 \
  -- click "$dialog" 2091 -- msgbox "$report" -- press "$report" ok -- wait-gone "$dialog" -- menu-state 1060
e2e_eq "report after reconnecting" "again,COM7,9600" "$(jq -r .text <<<"${E2E_OUT[4]}")"
e2e_eq "check mark after reconnecting" "checked" "${E2E_OUT[7]}"

e2e_finish
