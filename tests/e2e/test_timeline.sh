# Received sentences on the timeline: real sentences written into the two
# ports' pseudo-terminals become marks in the right columns, rows and
# colours; hovering names row and slot in the title; Clear Logs asks first,
# keeps everything on No and empties the chart on Yes.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8
e2e_start_client
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 presentation
e2e_connect "$ID_NMEA2000_PORT" COM8 38400 nmea

# Slot 0: type 1 on channel A; slot 1: type 2 on B; slot 2: a two-sentence
# type 5 on A; slot 3: an ABK for a message 8 on B (all on link 1); slot 4:
# type 3 on A through link 2. Sentences from the recorded corpus.
e2e_send COM7 '!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A' \
  '!AIVDM,1,1,,B,25Cjtd0Oj;Jp7ilG7=UkKBoB0<06,0*60'
e2e_send COM7 '!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C' \
  '!AIVDM,2,2,1,A,88888888880,2*25' "$(e2e_nmea '$AIABK,211378120,B,8,3,3')"
sleep 0.5
e2e_send COM8 '!AIVDM,1,1,,A,38Id705000rRVJhE7cl9n;160000,0*40'

e2e_plot_geometry
e2e_log "client ${E2E_CLIENT_W}x$E2E_CLIENT_H at $E2E_ORIGIN_X,$E2E_ORIGIN_Y, row height $E2E_ROW_H"
red="255 0 0" blue="0 0 255" green="0 255 0"
# column row colour, one mark a line
expected_marks="0 29 $red
0 1 $blue
1 31 $blue
1 2 $blue
2 29 $red
2 5 $blue
3 31 $blue
3 8 $green
4 29 $red
4 3 $blue"

all_marks_there() {
  local shot=$1 col row r g b
  while read -r col row r g b; do
    e2e_mark_at "$shot" "$(e2e_column_x "$col")" "$(e2e_row_y "$row")" "$r" "$g" "$b" || return 1
  done <<<"$expected_marks"
}
shot_has_all_marks() { all_marks_there "$(e2e_screenshot marks)"; }
e2e_wait_for 10 shot_has_all_marks || e2e_fail "not every mark appeared"
shot=$E2E_SHOTS/$E2E_NAME-marks.png
while read -r col row r g b; do
  x=$(e2e_column_x "$col") y=$(e2e_row_y "$row")
  e2e_check "mark ($r,$g,$b) in column $col row $row" e2e_mark_at "$shot" "$x" "$y" "$r" "$g" "$b"
  # Nothing of that colour one row higher or lower, nor in the empty column 5.
  e2e_check "no mark above column $col row $row" \
    e2e_no_mark_at "$shot" "$x" $((y - E2E_ROW_H)) "$r" "$g" "$b"
  e2e_check "no mark below column $col row $row" \
    e2e_no_mark_at "$shot" "$x" $((y + E2E_ROW_H)) "$r" "$g" "$b"
  e2e_check "no mark in column 5 row $row" e2e_no_mark_at "$shot" "$(e2e_column_x 5)" "$y" "$r" "$g" "$b"
done <<<"$expected_marks"

# The hover read-out in the title: row label and slot, with a trailing space.
base="VORNAK - Application Specific Message - Integration Client: Timeline"
e2e_drive hover $(($(e2e_column_x 0) + 1)) "$(e2e_row_y 29)" -- title main \
  -- hover $(($(e2e_column_x 3) + 1)) "$(e2e_row_y 31)" -- title main \
  -- hover $(($(e2e_column_x 2) + 1)) "$(e2e_row_y 5)" -- title main \
  -- hover $(($(e2e_column_x 1) + 1)) "$(e2e_row_y 30)" -- title main \
  -- hover $((E2E_PLOT_R - 2)) "$(e2e_row_y 28)" -- title main
e2e_eq "hover over channel A of slot 0" "$base Channel AIS1 : Log 00 " "${E2E_OUT[1]}"
e2e_eq "hover over channel B of slot 3" "$base Channel AIS2 : Log 03 " "${E2E_OUT[3]}"
e2e_eq "hover over message row 5 of slot 2" "$base Message Number 05 : Log 02 " "${E2E_OUT[5]}"
e2e_eq "hover over row 30" "$base No Channel Data : Log 01 " "${E2E_OUT[7]}"
e2e_eq "hover right of the last column" "$base No Channel Data : Log 50 " "${E2E_OUT[9]}"
e2e_screenshot hover >/dev/null

# Clear Logs: the warning, then No keeps the chart and Yes empties it.
e2e_drive menu "$ID_CLEAR_LOGS" -- msgbox "Display Data Que"
box=${E2E_OUT[1]}
e2e_eq "clear logs text" "This action will delete display data." "$(jq -r .text <<<"$box")"
e2e_eq "clear logs icon" "warning" "$(jq -r .icon <<<"$box")"
e2e_eq "clear logs buttons" '["&Yes","&No"]' "$(jq -c .buttons <<<"$box")"
e2e_screenshot clear-question >/dev/null
e2e_drive press "Display Data Que" no -- sleep 300
e2e_check "No keeps the marks" all_marks_there "$(e2e_screenshot after-no)"

e2e_drive menu "$ID_CLEAR_LOGS" -- press "Display Data Que" yes -- sleep 300
shot=$(e2e_screenshot after-yes)
while read -r col row r g b; do
  e2e_check "Yes removes the mark in column $col row $row" \
    e2e_no_mark_at "$shot" "$(e2e_column_x "$col")" "$(e2e_row_y "$row")" "$r" "$g" "$b"
done <<<"$expected_marks"

# The log starts again in the first column.
e2e_send COM7 '!AIVDM,1,1,,B,13aDp<PP000IwSlN?Wm@0?wN2<1T,0*29'
first_mark_back() {
  local s
  s=$(e2e_screenshot refilled)
  e2e_mark_at "$s" "$(e2e_column_x 0)" "$(e2e_row_y 31)" 0 0 255 &&
    e2e_mark_at "$s" "$(e2e_column_x 0)" "$(e2e_row_y 1)" 0 0 255
}
e2e_check "a new message after clearing lands in column 0" e2e_wait_for 10 first_mark_back

e2e_finish
