# Endurance helpers on top of the end-to-end harness (tests/e2e/lib.sh,
# sourced first): the client's Linux process and its wineserver, their CPU
# time, memory and threads, traffic feeders on the pseudo-terminal ports,
# the client's own recording of what its links received, and result lines
# for the soak summary.
#
#   soak_begin                 after e2e_begin: tools, result file
#   soak_find_pids             sets SOAK_PID (client) and SOAK_SERVER (wineserver)
#   soak_ticks PID             utime + stime in clock ticks
#   soak_rss PID, soak_threads PID   VmRSS in kB, number of threads
#   soak_feed NAME PORT ARGS...      asm-sim ARGS on the standard streams into
#                              the port; what reached the pipe lands in
#                              $SOAK_DIR/NAME.sent; sets SOAK_FEEDER (the
#                              simulator's pid)
#   soak_record                starts the client's recording ("Record...") into
#                              $SOAK_RECORDING, unless SOAK_RECORD=0
#   soak_recorded PORT...      messages the recording's lines received on these
#                              ports hold, as the client's intake stores them
#                              (asm-decode --link)
#   soak_last_kind PORT        the kind (VDM, VDO, ABK) of the last of them
#   soak_wait_quiet SECS       waits until the recording has not grown for 2 s
#   soak_drive ACTION...       the driver without ending the test on failure;
#                              output in SOAK_OUT, status returned
#   soak_drive_said            the last soak_drive's status, output and errors
#                              and whether the client runs, as one line
#   soak_result KEY VALUE      records one figure of the test for the summary
#   soak_open_monitor          with SOAK_MONITOR=1: opens the sentence monitor
#                              (it then follows every row for the rest of the
#                              run) and records that it is open
#   soak_monitor_rows          with SOAK_MONITOR=1: records the monitor's rows
#                              and whether it shows the newest
#
# Environment: ASM_SIM and ASM_DECODE (default <source>/build/native/...),
# SOAK_RESULTS (a file that collects the result lines of every test),
# SOAK_RECORD=0 (no recording: for the client's figures without one; the
# checks that read the recording then fail).

SOAK_TICK_HZ=$(getconf CLK_TCK)

soak_begin() {
  e2e_native_tool ASM_SIM asm-sim
  e2e_native_tool ASM_DECODE asm-decode
  command -v python3 >/dev/null || e2e_die "missing python3"
  SOAK_DIR=$E2E_HOME/soak-$E2E_NAME
  rm -rf "$SOAK_DIR"
  mkdir -p "$SOAK_DIR"
  SOAK_RECORDING=$SOAK_DIR/session.nmea
  # The client's traces of links not opened and writes dropped.
  export WINEDEBUG=-all,+debugstr
}

soak_record() {
  [ "${SOAK_RECORD:-1}" = 0 ] && return 0
  local save="Record Session" file_name_box=1148 # the save dialog's file name box (cmb13)
  e2e_drive menu "$ID_RECORD" -- wait-window "$save" "#32770" \
    -- set-text "$save" "$file_name_box" "Z:${SOAK_RECORDING//\//\\}" -- click "$save" "$IDOK" -- wait-gone "$save" \
    >/dev/null
}

soak_recorded() {
  local port total=0
  [ -f "$SOAK_RECORDING" ] || { echo 0; return; }
  for port in "$@"; do total=$((total + $("$ASM_DECODE" --link "$port" "$SOAK_RECORDING" | wc -l))); done
  echo "$total"
}

soak_last_kind() {
  [ -f "$SOAK_RECORDING" ] || { echo none; return; }
  "$ASM_DECODE" --link "$1" "$SOAK_RECORDING" | tail -n 1 | jq -r '.kind // "none"'
}

# The launcher execs into the client, so its pid is the client's; the
# wineserver is the one whose prefix is this test's.
soak_find_pids() {
  SOAK_PID=$E2E_CLIENT_PID
  grep -qa 'asm-client.exe' "/proc/$SOAK_PID/cmdline" 2>/dev/null || e2e_die "pid $SOAK_PID is not the client"
  local pid
  SOAK_SERVER=
  for pid in $(pgrep '^wineserver'); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      SOAK_SERVER=$pid
      break
    fi
  done
  [ -n "$SOAK_SERVER" ] || e2e_die "no wineserver for $WINEPREFIX"
}

# Fields 14 and 15 of /proc/PID/stat, counted after the command name, which
# may hold blanks.
soak_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return 1; }
  stat=${stat##*) }
  awk '{ print $12 + $13 }' <<<"$stat"
}
soak_rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
soak_threads() { ls "/proc/$1/task" 2>/dev/null | wc -l; }

# Per cent of one core between two tick counts taken SECS apart.
soak_percent() { awk -v t="$(($2 - $1))" -v s="$3" -v hz="$SOAK_TICK_HZ" 'BEGIN { printf "%.2f\n", 100 * t / hz / s }'; }

soak_feed() {
  local name=$1 port=$2
  shift 2
  # tee keeps exactly what went into the pipe: the sent count of the run.
  # It ends with the simulator, whose pid is the feeder's.
  "$ASM_SIM" "$@" </dev/null 2>"$SOAK_DIR/$name.sim" > >(tee "$SOAK_DIR/$name.sent" >"$(e2e_peer "$port")") &
  SOAK_FEEDER=$!
  E2E_PIDS+=("$SOAK_FEEDER")
}

soak_wait_quiet() {
  local end=$((SECONDS + $1)) last=-1 now
  while [ $SECONDS -lt $end ]; do
    now=$(stat -c %s "$SOAK_RECORDING" 2>/dev/null || echo 0)
    [ "$now" = "$last" ] && return 0
    last=$now
    sleep 2
  done
  return 1
}

soak_drive() {
  e2e_run_driver "$@"
  SOAK_STATUS=$?
  mapfile -t SOAK_OUT < <(tr -d '\r' <"$E2E_HOME/driver.out")
  return $SOAK_STATUS
}

# What the last soak_drive left, for a failure's message: its status, its
# output and errors, and whether the client still runs.
soak_drive_said() {
  local client=running
  kill -0 "$SOAK_PID" 2>/dev/null || client=ended
  echo "driver status $SOAK_STATUS, client $client; output: ${SOAK_OUT[*]}; errors: $(tr -d '\r' <"$E2E_HOME/driver.err")"
}

soak_result() {
  local key=$1
  shift
  e2e_log "$key: $*"
  [ -n "${SOAK_RESULTS:-}" ] && printf '%s\t%s\t%s\n' "$E2E_NAME" "$key" "$*" >>"$SOAK_RESULTS"
  return 0
}

soak_open_monitor() {
  [ "${SOAK_MONITOR:-0}" = 1 ] || return 0
  e2e_drive menu "$ID_MONITOR" -- wait-window "Sentence Monitor" >/dev/null
  soak_result "sentence monitor" "open"
}

# The monitor's list: its rows and whether it shows the newest.
soak_monitor_rows() {
  [ "${SOAK_MONITOR:-0}" = 1 ] || return 0
  soak_drive list-rows "Sentence Monitor" "$IDC_MONITOR_LIST" || return 0
  soak_result "sentence monitor rows" "$(jq -r '"\(.count) rows, newest in sight: \(.top + .perPage >= .count)"' <<<"${SOAK_OUT[0]}")"
}
