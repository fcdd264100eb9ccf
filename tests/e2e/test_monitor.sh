# The "Sentence Monitor" window: one row per line received and per sentence
# written, with its link, direction and fate; rejected rows marked and
# coloured; the text filter, the link check boxes, "Rejected only", "Pause"
# and "Clear"; Ctrl+A and Ctrl+C copying the rows as tab-separated lines;
# a status bar part's command showing its link alone; the list following the
# newest row unless scrolled up.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8
e2e_start_client
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 presentation

MON="Sentence Monitor"
LIST=$IDC_MONITOR_LIST
e2e_drive menu "$ID_MONITOR" -- wait-window "$MON" -- exists "$MON" >/dev/null

payload='13aEOK?P00PD2wVMdLDRhgvL289?'
stored=$(e2e_nmea "!AIVDM,1,1,,A,$payload,0")
good_sum=${stored##*\*}
wrong_sum=$(printf '%02X' $(((16#$good_sum + 1) % 256)))
bad_sum="${stored%\**}*$wrong_sum"
bad_fragment=$(e2e_nmea "!AIVDM,2,3,4,A,$payload,0")
gga=$(e2e_nmea '$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,')
no_start=${stored#!}
e2e_send COM7 "$stored" "$bad_sum" "$bad_fragment" "$gga" "$no_start"
# A BBM on the connected link, then one on the closed NMEA2000 Port.
e2e_drive sleep 300 -- menu "$ID_BBM_PRESENTATION" -- sleep 300 -- menu "$ID_BBM_NMEA2000" >/dev/null

# The list as the driver reads it: {"count","top","perPage","selected","rows"}.
rows_json() { e2e_drive_lines ROWS list-rows "$MON" "$LIST" && printf '%s\n' "${ROWS[0]}"; }
row_count() { rows_json | jq -r .count; }
count_is() { [ "$(row_count)" = "$1" ]; }
e2e_check "nine rows: five in, four out" e2e_wait_for 10 count_is 9
json=$(rows_json)
mapfile -t rows < <(jq -r '.rows[] | [.[1], .[2], .[3], .[4]] | join("\t")' <<<"$json")
bad_times=$(jq -r '.rows[][0]' <<<"$json" | grep -cvE '^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}$')
e2e_eq "every time as hh:mm:ss.mmm" 0 "$bad_times"

P="Presentation Port" N="NMEA2000 Port" X=$'\u00d7 '
# link, direction, sentence (its text, or its start followed by .*), fate (a pattern); why
expected=(
  "$P	in	$stored	stored in column [0-9]+"                                        # a whole message
  "$P	in	$bad_sum	${X}checksum mismatch: received $wrong_sum, computed $good_sum" # one bit off
  "$P	in	$bad_fragment	${X}bad fragment number: \"3\" of \"2\""                   # fragment past the count
  "$P	in	$gga	ignored: GGA"                                                       # another talker's sentence
  "$P	in	$no_start	${X}line without a start character"                          # "!" lost on the line
  "$P	out	!AIBBM,2,1,0,1,8,.*	sent"                                               # the BBM's two sentences
  "$P	out	!AIBBM,2,2,0,1,8,.*	sent"
  "$N	out	!AIBBM,2,1,1,1,8,.*	${X}not sent: port not connected" # the closed link: dropped and why
  "$N	out	!AIBBM,2,2,1,1,8,.*	${X}not sent: port not connected"
)
for i in "${!expected[@]}"; do
  line=${rows[$i]:-}
  # Sentences carry "*" and "$": compared as text, fates as patterns.
  IFS=$'\t' read -r want_link want_dir want_sentence want_fate <<<"${expected[$i]}"
  IFS=$'\t' read -r link dir sentence fate <<<"$line"
  e2e_eq "row $i link" "$want_link" "$link"
  e2e_eq "row $i direction" "$want_dir" "$dir"
  case $want_sentence in
    *'.*') [[ $sentence == "${want_sentence%.\*}"* ]] || e2e_fail "row $i sentence: $sentence" ;;
    *) e2e_eq "row $i sentence" "$want_sentence" "$sentence" ;;
  esac
  [[ $fate =~ ^${want_fate}$ ]] || e2e_fail "row $i fate \"$fate\", wanted \"$want_fate\""
done

shot=$(e2e_screenshot_window rows "$MON")
e2e_log "screenshot $shot"
read -r w h < <(identify -format '%w %h' "$shot")
# Five rejected rows, each a band of the rejected colour across the list.
rejected_pixels=$(e2e_count_colour "$shot" 0 0 "$w" "$h" 255 218 218)
e2e_check "rejected rows stand out ($rejected_pixels pixels of their colour)" [ "$rejected_pixels" -gt 4000 ]

# The filter: rows whose sentence or fate contains the text, in any case.
e2e_drive set-text "$MON" "$IDC_MONITOR_FILTER" CHECKSUM >/dev/null
e2e_eq "filter \"CHECKSUM\"" 1 "$(row_count)"
e2e_drive set-text "$MON" "$IDC_MONITOR_FILTER" '!AIBBM,2,2' >/dev/null
e2e_eq "filter on a sentence's text" 2 "$(row_count)"
e2e_drive set-text "$MON" "$IDC_MONITOR_FILTER" '' -- click "$MON" "$IDC_MONITOR_REJECTED" -- sleep 200 >/dev/null
e2e_eq "Rejected only" 5 "$(row_count)"
e2e_drive click "$MON" "$IDC_MONITOR_LINK1" -- sleep 200 >/dev/null
e2e_eq "Rejected only, NMEA2000 Port alone" 2 "$(row_count)"
e2e_drive click "$MON" "$IDC_MONITOR_LINK1" -- click "$MON" "$IDC_MONITOR_REJECTED" -- sleep 200 >/dev/null
e2e_eq "every row again" 9 "$(row_count)"

# Ctrl+A, Ctrl+C: the rows as the copy gives them, without the marks.
e2e_drive key "$MON" "$LIST" ctrl+a -- key "$MON" "$LIST" ctrl+c -- clipboard >/dev/null
e2e_eq "Ctrl+A selects every row" 9 "$(rows_json | jq -r .selected)"
copied=${E2E_OUT[2]}
e2e_eq "nine copied lines" 9 "$(grep -o '\\r\\n' <<<"$copied" | wc -l)"
first_line=$(jq -r '.rows[1] | join("\t")' <<<"$json")
first_line=${first_line/$X/}
e2e_check "the copied checksum row is tab-separated, unmarked" grep -qF "$first_line\\r\\n" <<<"$copied"

# A status bar part's command: that link's rows alone, its box alone checked.
e2e_drive command "$ID_MONITOR" 2 -- sleep 200 >/dev/null
e2e_eq "link 2 alone" 2 "$(row_count)"
e2e_drive menu "$ID_MONITOR" -- sleep 200 >/dev/null
e2e_eq "the menu brings the open monitor to the front as it is" 2 "$(row_count)"
e2e_drive click "$MON" "$IDC_MONITOR_LINK1" -- click "$MON" "$IDC_MONITOR_LINK3" -- sleep 200 >/dev/null
e2e_eq "every link" 9 "$(row_count)"

# Pause: the view keeps still while rows are collected; resumed, they show.
e2e_drive click "$MON" "$IDC_MONITOR_PAUSE" >/dev/null
e2e_send COM7 "$stored" "$stored"
e2e_drive sleep 1000 >/dev/null
e2e_eq "paused: the view stands" 9 "$(row_count)"
e2e_drive click "$MON" "$IDC_MONITOR_PAUSE" >/dev/null
e2e_check "resumed: the rows collected meanwhile" e2e_wait_for 5 count_is 11

# Clear: every row goes; new ones arrive as before.
e2e_drive click "$MON" "$IDC_MONITOR_CLEAR" -- sleep 200 >/dev/null
e2e_eq "Clear" 0 "$(row_count)"

# Following: the newest row stays in sight until the user scrolls up.
burst=()
for i in $(seq 1 60); do burst+=("$stored"); done
e2e_send COM7 "${burst[@]}"
e2e_check "sixty rows" e2e_wait_for 10 count_is 60
json=$(rows_json)
e2e_eq "the newest row in sight" 60 "$(jq -r '.top + .perPage' <<<"$json")"
e2e_drive key "$MON" "$LIST" home >/dev/null
e2e_send COM7 "${burst[@]}"
e2e_check "120 rows" e2e_wait_for 10 count_is 120
e2e_eq "scrolled up: the list stays at the top" 0 "$(rows_json | jq -r .top)"
e2e_drive key "$MON" "$LIST" end >/dev/null
e2e_send COM7 "${burst[@]}"
e2e_check "180 rows" e2e_wait_for 10 count_is 180
e2e_eq "back at the end: following again" 180 "$(rows_json | jq -r '.top + .perPage')"

e2e_drive close "$MON" -- wait-gone "$MON" -- exists "$MON" >/dev/null
e2e_eq "closed" no "${E2E_OUT[2]}"
e2e_finish
