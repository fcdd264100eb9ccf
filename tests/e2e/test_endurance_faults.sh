# Faults a client on a transponder's port meets over hours, each followed
# by good traffic that must still be taken in:
#  - a flood of random bytes on the Presentation Port and the Sensor Port;
#  - hostile sentences: 10 000 bytes, 100 fields, NUL bytes, cut short, each
#    followed at once by a good sentence, which must be stored (or shown and
#    counted, on the Sensor Port);
#    the client records its links from the flood's end on, and what a link
#    stored is read from the recording (asm-decode --link);
#  - the Presentation Port closed and opened again many times through its
#    settings dialog while traffic flows: no hang, no crash, no growth in
#    threads, handles or open files;
#  - the device end of the NMEA2000 Port's pseudo-terminal vanishing under
#    the open link: the client carries on, a broadcast to the dead port does
#    not hang it, and once the device is back the link opens again on it.
#
# SOAK_FLOOD_SECONDS (default 5) sets the flood's length, SOAK_REOPENS
# (default 15) the number of close-and-open rounds.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../soak/lib.sh"
e2e_begin "$@"
soak_begin

FLOOD=${SOAK_FLOOD_SECONDS:-5}
REOPENS=${SOAK_REOPENS:-15}
PRESENTATION="AIS Presentation Port Settings"
NMEA="AIS Nmea Port Settings"
SENSOR="Sensor Data Stream - Settings"
REPORT="Remote Connection Status"

e2e_ports COM30 COM31 COM32
e2e_start_client
e2e_connect "$ID_PRESENTATION_PORT" COM30 115200 presentation
e2e_connect "$ID_NMEA2000_PORT" COM31 115200 nmea
e2e_connect "$ID_SENSOR_ALPHA" COM32 4800 sensor
e2e_drive set-text "$SENSOR" "$IDC_FORMATTER" GGA >/dev/null
soak_find_pids

# The client's threads (Linux), handles and threads (Windows) and open
# files, as one line.
resources() {
  soak_drive process-info || e2e_die "process-info failed: $(tr -d '\r' <"$E2E_HOME/driver.err")"
  echo "tasks $(soak_threads "$SOAK_PID") ${SOAK_OUT[0]} files $(ls "/proc/$SOAK_PID/fd" | wc -l)"
}

# Fails when the resources of line AFTER exceed those of BEFORE. Handles
# move by one or two with what the driver's queries leave in flight; a leak
# per round grows with the rounds.
no_growth() {
  local -a b a
  read -ra b <<<"$1"
  read -ra a <<<"$2"
  [ "${a[1]}" -le "${b[1]}" ] && [ "${a[3]}" -le $((b[3] + 2)) ] && [ "${a[5]}" -le "${b[5]}" ] &&
    [ "${a[7]}" -le "${b[7]}" ]
}

counter() {
  soak_drive get-text "$SENSOR" "$IDC_COUNTER" || return 1
  echo "${SOAK_OUT[0]}"
}

# True once the sensor counter has not moved for a second.
counter_settled() {
  local now
  now=$(counter)
  [ "$now" = "${last_count:-}" ] && return 0
  last_count=$now
  sleep 1
  return 1
}

# Sends FILE to PORT and waits until the link on it has stored a message
# of KIND after the ones it had.
sent_and_stored() {
  local port=$1 kind=$2 file=$3 before
  before=$(soak_recorded "$port")
  cat "$file" >"$(e2e_peer "$port")"
  stored_after() { [ "$(soak_recorded "$port")" -gt "$before" ] && [ "$(soak_last_kind "$port")" = "$kind" ]; }
  e2e_wait_for 10 stored_after
}

# ---- Flood: random bytes, then good traffic ----
start_resources=$(resources)
ticks_start=$(soak_ticks "$SOAK_PID")
timeout "$FLOOD" cat /dev/urandom >"$(e2e_peer COM30)" 2>/dev/null &
flood1=$!
timeout "$FLOOD" cat /dev/urandom >"$(e2e_peer COM32)" 2>/dev/null &
flood3=$!
E2E_PIDS+=("$flood1" "$flood3")
sleep 1
kill -0 "$SOAK_PID" || e2e_die "the client ended in the flood"
e2e_check "the window answers during the flood" soak_drive title main
wait "$flood1" "$flood3"
ticks_end=$(soak_ticks "$SOAK_PID")
soak_result "flood" "$FLOOD s of random bytes on COM30 and COM32: client at $(soak_percent "$ticks_start" "$ticks_end" "$FLOOD") % of a core"
soak_record
python3 "$E2E_SOURCE/tests/soak/malformed.py" ais "$SOAK_DIR/ais" >"$SOAK_DIR/ais.cases"
python3 "$E2E_SOURCE/tests/soak/malformed.py" sensor "$SOAK_DIR/sensor" >"$SOAK_DIR/sensor.cases"
e2e_check "a good VDO after the flood is stored" sent_and_stored COM30 VDO "$SOAK_DIR/ais/06.bin"
printf '\r\n' >"$(e2e_peer COM32)"
e2e_check "the sensor counter settles after the flood" e2e_wait_for 30 counter_settled
before=$(counter)
printf '$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,*7B\r\n' >"$(e2e_peer COM32)"
counted() { [ "$(counter)" = "$((before + 1))" ]; }
e2e_check "a good GGA after the flood is shown and counted" e2e_wait_for 10 counted

# ---- Hostile sentences, each followed by a good one ----
while read -r name kind what; do
  e2e_check "link 1, $what: the next good $kind is stored" sent_and_stored COM30 "$kind" "$SOAK_DIR/ais/$name.bin"
  e2e_check "link 2, $what: the next good $kind is stored" sent_and_stored COM31 "$kind" "$SOAK_DIR/ais/$name.bin"
done <"$SOAK_DIR/ais.cases"
soak_result "hostile sentences" "$(wc -l <"$SOAK_DIR/ais.cases") cases on links 1 and 2, each followed by a good sentence"
while read -r name kind what; do
  before=$(counter)
  cat "$SOAK_DIR/sensor/$name.bin" >"$(e2e_peer COM32)"
  e2e_check "sensor port, $what: the next good GGA is counted" e2e_wait_for 10 counted
done <"$SOAK_DIR/sensor.cases"
soak_result "hostile sensor lines" "$(wc -l <"$SOAK_DIR/sensor.cases") cases, each followed by a good GGA"
e2e_drive click "$SENSOR" "$IDCANCEL" -- wait-gone "$SENSOR" >/dev/null

# ---- Close and open links again and again under traffic ----
# One round through a link's settings dialog as a user makes it: Clear,
# then name, port and rate, Accept, the report box. The menu state read
# after Clear also waits until the Clear has been handled: the dialog
# handles posted clicks after the texts sent to it. The Sensor Port's
# dialog is open already and stays open.
reopen_link() {
  local menu=$1 dialog=$2 port=$3 name=$4 open=(menu "$1" -- wait-window "$2" "#32770" --) gone=(wait-gone "$2")
  if [ "$menu" = "$ID_SENSOR_ALPHA" ]; then open=() gone=(sleep 0); fi
  soak_drive "${open[@]}" click "$dialog" "$IDC_CLEAR" -- menu-state "$menu" \
    -- set-text "$dialog" "$IDC_CONNECTION_NAME" "$name" -- select "$dialog" "$IDC_PORT_LIST" "$port" \
    -- set-text "$dialog" "$IDC_BAUD_RATE" 115200 -- click "$dialog" "$IDC_ACCEPT" -- msgbox "$REPORT" \
    -- press "$REPORT" ok -- "${gone[@]}" -- menu-state "$menu" || return 1
  local at=$((${#open[@]} > 0 ? 2 : 0))
  [ "${SOAK_OUT[at + 1]} ${SOAK_OUT[at + 9]}" = "unchecked checked" ] &&
    [ "$(jq -r .icon <<<"${SOAK_OUT[at + 6]}")" = information ]
}

# ROUNDS rounds of reopen_link MENU DIALOG PORT; the first few load what
# the client and the driver's hook keep for the run (the hook's library, a
# dialog's resources), and growth is counted after them.
WARM_UP=3
rounds() {
  local rounds=$1 menu=$2 dialog=$3 port=$4 round failed=0 started
  for ((round = 0; round < WARM_UP; round++)); do
    reopen_link "$menu" "$dialog" "$port" "round $round" ||
      e2e_die "$port round $round failed: $(soak_drive_said)"
  done
  ROUNDS_BEFORE=$(resources)
  started=$SECONDS
  for ((round = WARM_UP; round < rounds; round++)); do
    if ! reopen_link "$menu" "$dialog" "$port" "round $round"; then
      failed=$((failed + 1))
      e2e_fail "$port round $round: $(soak_drive_said)"
      [ $failed -ge 3 ] && e2e_die "the client no longer reopens $port"
    fi
  done
  ROUNDS_SECONDS=$((SECONDS - started))
  ROUNDS_AFTER=$(resources)
}

# The Presentation Port, while both it and the NMEA2000 Port are busy.
soak_feed reopen1 COM30 --rate 200 --seed 3
feeder1=$SOAK_FEEDER
soak_feed reopen2 COM31 --rate 200 --seed 4
feeder2=$SOAK_FEEDER
stored_before=$(soak_recorded COM30 COM31)
rounds "$REOPENS" "$ID_PRESENTATION_PORT" "$PRESENTATION" COM30
kill "$feeder1" "$feeder2" 2>/dev/null
wait "$feeder1" "$feeder2" 2>/dev/null
soak_result "reopen rounds" "$((REOPENS - WARM_UP)) of the Presentation Port in $ROUNDS_SECONDS s with 200 sentences/s on it and on the NMEA2000 Port, $(($(soak_recorded COM30 COM31) - stored_before)) messages stored meanwhile"
soak_result "resources" "start: $start_resources; after round $WARM_UP: $ROUNDS_BEFORE; after round $REOPENS: $ROUNDS_AFTER"
e2e_check "no growth over the rounds: $ROUNDS_BEFORE -> $ROUNDS_AFTER" no_growth "$ROUNDS_BEFORE" "$ROUNDS_AFTER"
soak_wait_quiet 10
e2e_check "a good VDO after the rounds is stored" sent_and_stored COM30 VDO "$SOAK_DIR/ais/06.bin"

# The Sensor Port from its open dialog, under a flood of GGA sentences that
# keeps its reader sending lines to that very dialog.
e2e_drive menu "$ID_SENSOR_ALPHA" -- wait-window "$SENSOR" "#32770" -- set-text "$SENSOR" "$IDC_FORMATTER" GGA >/dev/null
gga='$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,*7B'
timeout $((REOPENS + 60)) yes "$gga"$'\r' >"$(e2e_peer COM32)" 2>/dev/null &
flood=$!
E2E_PIDS+=("$flood")
rounds $((REOPENS / 2 > WARM_UP ? REOPENS / 2 : WARM_UP + 1)) "$ID_SENSOR_ALPHA" "$SENSOR" COM32
kill "$flood" 2>/dev/null
wait "$flood" 2>/dev/null
soak_result "sensor reopen rounds" "$((REOPENS / 2 > WARM_UP ? REOPENS / 2 - WARM_UP : 1)) in $ROUNDS_SECONDS s under a flood of GGA lines, dialog open"
soak_result "sensor resources" "after round $WARM_UP: $ROUNDS_BEFORE; after the last: $ROUNDS_AFTER"
e2e_check "no growth over the Sensor Port's rounds: $ROUNDS_BEFORE -> $ROUNDS_AFTER" \
  no_growth "$ROUNDS_BEFORE" "$ROUNDS_AFTER"
# The flood's last line, cut short, may hold a GGA of its own: it is ended
# first, and counted or not, before the count is taken.
printf '\r\n' >"$(e2e_peer COM32)"
e2e_check "the sensor counter settles after the flood" e2e_wait_for 30 counter_settled
before=$(counter)
printf '%s\r\n' "$gga" >"$(e2e_peer COM32)"
e2e_check "a GGA after the rounds is counted" e2e_wait_for 10 counted
e2e_drive click "$SENSOR" "$IDCANCEL" -- wait-gone "$SENSOR" >/dev/null

# ---- The NMEA2000 Port's device vanishes and comes back ----
socat_of() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | grep -qxF "pty,raw,echo=0,link=$E2E_HOME/ports/$1" &&
      echo "$pid" && return 0
  done
  return 1
}
soak_feed unplug COM31 --rate 200 --seed 4
sleep 2
pid=$(socat_of COM31) || e2e_die "no socat for COM31"
kill "$pid"
wait "$pid" 2>/dev/null
ticks_start=$(soak_ticks "$SOAK_PID")
sleep 5
ticks_end=$(soak_ticks "$SOAK_PID")
kill -0 "$SOAK_PID" || e2e_die "the client ended when the device vanished"
soak_result "device gone" "client at $(soak_percent "$ticks_start" "$ticks_end" 5) % of a core over 5 s with the link open on it"
e2e_check "a broadcast to the vanished device does not hang the client" \
  soak_drive menu "$ID_BBM_NMEA2000" -- sleep 1000 -- title main -- menu-state "$ID_NMEA2000_PORT"
e2e_eq "the link stays open on the vanished device" checked "${SOAK_OUT[3]:-}"

# The device returns on the same path; the user opens the link again.
e2e_pty_pair COM31
reopen_link "$ID_NMEA2000_PORT" "$NMEA" COM31 back ||
  e2e_fail "the link does not open again on the returned device: $(soak_drive_said)"
e2e_check "a good ABK on the returned device is stored" sent_and_stored COM31 ABK "$SOAK_DIR/ais/00.bin"
soak_result "device back" "link 2 reopened on the new pseudo-terminal and stores again"

soak_result "resources at the end" "$(resources)"
e2e_finish
