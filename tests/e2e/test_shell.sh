# The main window as the user first meets it: title, fixed size and place,
# frame, menu, the version box, and a clean close.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_start_client

title="VORNAK - Application Specific Message - Integration Client"
e2e_drive title main
e2e_eq "window title" "$title" "${E2E_OUT[0]}"

e2e_geometry
e2e_status_top
# 800 by 400, grown by the status bar below the timeline.
e2e_eq "window rectangle" "0 0 800 $((400 + E2E_CLIENT_H - E2E_STATUS_T))" "$E2E_WIN_L $E2E_WIN_T $E2E_WIN_R $E2E_WIN_B"
e2e_check "a status bar below the timeline" test "$E2E_STATUS_T" -lt "$E2E_CLIENT_H"
style=$((E2E_STYLE))
# Caption, system menu and minimise box; no sizing border, no maximise box.
for bit in 0x00C00000:WS_CAPTION 0x00080000:WS_SYSMENU 0x00020000:WS_MINIMIZEBOX; do
  e2e_check "style has ${bit#*:}" test $((style & ${bit%%:*})) -ne 0
done
for bit in 0x00040000:WS_THICKFRAME 0x00010000:WS_MAXIMIZEBOX 0x80000000:WS_POPUP; do
  e2e_check "style lacks ${bit#*:}" test $((style & ${bit%%:*})) -eq 0
done
e2e_check "client area smaller than the window" test "$E2E_CLIENT_W" -lt 800 -a "$E2E_CLIENT_W" -gt 780

e2e_drive menu-items
expected_menu='[
  {"text":"Sensor Port","popup":[
    {"text":"Alpha","id":40706,"grayed":false},
    {"text":"Bravo","id":40709,"grayed":true},
    {"text":"Charlie","id":40710,"grayed":true},
    {"text":"Delta","id":40711,"grayed":true},
    {"text":"Echo","id":40712,"grayed":true}],"grayed":false},
  {"text":"Presentation Port","id":1060,"grayed":false},
  {"text":"NMEA2000 Port","id":40715,"grayed":false},
  {"text":"BBM to Presentation Port","id":40716,"grayed":false},
  {"text":"BBM to NMEA2000 Port","id":40713,"grayed":false},
  {"text":"Compose...","id":41300,"grayed":false},
  {"text":"Monitor","id":41100,"grayed":false},
  {"text":"Record...","id":41200,"grayed":false},
  {"text":"Clear Logs","id":40013,"grayed":false},
  {"text":"Version","id":40312,"grayed":false}]'
# Compare texts, ids and grey state; no item is checked before any link opens.
shape='[.[] | {text, id, popup: (.popup // null | if . then map({text, id, grayed}) else null end), grayed}
        | with_entries(select(.value != null))]'
e2e_eq "menu" "$(jq -c "$shape" <<<"$expected_menu")" "$(jq -c "$shape" <<<"${E2E_OUT[0]}")"
e2e_eq "no item checked" "[]" "$(jq -c '[.. | objects | select(.checked == true) | .text]' <<<"${E2E_OUT[0]}")"
e2e_screenshot window >/dev/null

# The greyed sensor items do nothing: no window appears.
e2e_drive menu "$ID_SENSOR_BRAVO" -- menu "$ID_SENSOR_ECHO" -- sleep 300 -- exists "Sensor Data Stream - Settings"
e2e_eq "greyed item opens nothing" "no" "${E2E_OUT[3]}"

e2e_drive menu "$ID_VERSION" -- msgbox "VORNAK - ASM Integration Client"
version_text=$'RELEASE VERSION 1.1\r\nRevolutionize your Manual AIS data management with our cutting-edge AIS Application Specific - Message Client. Engineered for Windows PCs and utilizing any WIN XP\xe2\x80\xa610 compatible RS422 USB Comport adapters. This advanced software ensures seamless interaction between your PC and AIS Presentation Port or AIS Pilot Plug port.\n\r For any queries please email asm-support@example.com\n\rBuild Number: Build 23092024r1.1\n'
box=${E2E_OUT[1]}
e2e_eq "version caption" "VORNAK - ASM Integration Client" "$(jq -r .caption <<<"$box")"
# The dot keeps the text's final line feed through the command substitution.
e2e_eq "version text" "$version_text." "$(jq -j .text <<<"$box" && echo .)"
e2e_eq "version icon" "information" "$(jq -r .icon <<<"$box")"
e2e_eq "version buttons" '["OK"]' "$(jq -c .buttons <<<"$box")"
e2e_screenshot version >/dev/null
e2e_drive press "VORNAK - ASM Integration Client" ok -- title main
e2e_eq "title unchanged after the box" "$title" "${E2E_OUT[1]}"

e2e_drive close main
e2e_wait_client_exit 10 && e2e_eq "exit code" 0 "$E2E_CLIENT_EXIT"
e2e_finish
