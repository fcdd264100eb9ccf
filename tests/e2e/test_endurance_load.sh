# Sustained load: asm-sim plays dense traffic into the Presentation Port and
# the NMEA2000 Port at about 11 kB/s each (115200 baud's worth) while the
# Sensor Port carries a sensor's sentences, and the client records its links.
# Every line sent must be in the recording, in order per link, and give the
# same messages there as sent; the client's memory stays flat. Meanwhile the
# window must stay responsive: the hover read-out follows the real pointer
# and a click opens its view. The latencies are reported, not judged against
# the clock, except for a bound no healthy client comes near.
#
# SOAK_LOAD_SECONDS (default 30) sets the length, SOAK_RATE (default 205)
# the sentences per second per port, SOAK_PROBES (default 5) the number of
# hover and click probes; SOAK_MONITOR=1 keeps the sentence monitor open;
# SOAK_RECORD=0 runs without the recording (and without its check), for the
# client's figures without one.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../soak/lib.sh"
e2e_begin "$@"
soak_begin

SECONDS_OF_LOAD=${SOAK_LOAD_SECONDS:-30}
RATE=${SOAK_RATE:-205}
PROBES=${SOAK_PROBES:-5}
PROBE_LIMIT_MS=5000 # a hang, not a slow answer
BASE="VORNAK - Application Specific Message - Integration Client: Timeline"

e2e_ports COM30 COM31 COM32
e2e_start_client
e2e_connect "$ID_PRESENTATION_PORT" COM30 115200 presentation
e2e_connect "$ID_NMEA2000_PORT" COM31 115200 nmea
e2e_connect "$ID_SENSOR_ALPHA" COM32 4800 sensor
e2e_drive click "Sensor Data Stream - Settings" "$IDCANCEL" -- wait-gone "Sensor Data Stream - Settings" >/dev/null
soak_open_monitor
soak_find_pids
e2e_plot_geometry
soak_record

rss_start=$(soak_rss "$SOAK_PID")
threads_start=$(soak_threads "$SOAK_PID")
ticks_start=$(soak_ticks "$SOAK_PID")
server_start=$(soak_ticks "$SOAK_SERVER")
started=$SECONDS

soak_feed link1 COM30 --rate "$RATE" --seed 1 --duration "$SECONDS_OF_LOAD"
feed1=$SOAK_FEEDER
soak_feed link2 COM31 --rate "$RATE" --seed 2 --own-mmsi 244999001 --duration "$SECONDS_OF_LOAD"
feed2=$SOAK_FEEDER
soak_feed sensor COM32 --role sensor --duration "$SECONDS_OF_LOAD"

# Probes spread over the run: the real pointer over a column and row, until
# the title names them; then a click on a column, until its view exists.
# Under load the log wraps several times a second and the timeline starts
# afresh at each wrap, so a column may be empty when clicked, or hold a
# message without a view (a message 8 of another application): then, once
# the window has shown that it still answers, the next column is tried. The
# first columns are the ones most often filled.
hover_ms=() click_ms=()
probe() {
  local k=$1 column row x y expected try
  column=$(((k * 17 + 3) % 50))
  row=$((k % 27 + 1))
  x=$(($(e2e_column_x "$column") + 2))
  y=$(e2e_row_y "$row")
  printf -v expected '%s Message Number %02d : Log %02d ' "$BASE" "$row" "$column"
  if soak_drive timeout "$PROBE_LIMIT_MS" -- stopwatch -- pointer $((E2E_ORIGIN_X + x)) $((E2E_ORIGIN_Y + y)) \
    -- wait-title main "$expected" -- stopwatch; then
    hover_ms+=("${SOAK_OUT[4]}")
  else
    e2e_fail "probe $k: the title did not follow the pointer: $(tr -d '\r' <"$E2E_HOME/driver.err")"
  fi
  # Away from the plot, so that the title goes back and the click is the
  # driver's alone.
  soak_drive pointer 1023 767 >/dev/null
  local why=
  for try in 0 1 2 3 4 5; do
    x=$(($(e2e_column_x $(((k + try) % 10))) + 2))
    if soak_drive timeout 2000 -- click-view "$x" "$y"; then
      local ms=${SOAK_OUT[1]%% *} title=${SOAK_OUT[1]#* }
      click_ms+=("$ms")
      soak_drive close "$title" -- wait-gone "$title" || e2e_fail "probe $k: view \"$title\" did not close"
      return
    fi
    why+=" [$(tr -d '\r' <"$E2E_HOME/driver.err")]"
    soak_drive title main || break
  done
  e2e_fail "probe $k: no view opened:$why $(tr -d '\r' <"$E2E_HOME/driver.err")"
}

# Memory every few seconds; the probes at even steps through the run.
rss_samples=("$rss_start")
sample_every=$((SECONDS_OF_LOAD / 10))
[ "$sample_every" -ge 1 ] || sample_every=1
probe_every=$((SECONDS_OF_LOAD / (PROBES + 1)))
[ "$probe_every" -ge 1 ] || probe_every=1
probes_done=0
while kill -0 "$feed1" 2>/dev/null || kill -0 "$feed2" 2>/dev/null; do
  sleep 1
  kill -0 "$SOAK_PID" 2>/dev/null || e2e_die "the client ended under load"
  elapsed=$((SECONDS - started))
  [ $((elapsed % sample_every)) -eq 0 ] && rss_samples+=("$(soak_rss "$SOAK_PID")")
  if [ "$probes_done" -lt "$PROBES" ] && [ "$elapsed" -ge $(((probes_done + 1) * probe_every)) ]; then
    probe "$probes_done"
    probes_done=$((probes_done + 1))
  fi
done
wait "$feed1" "$feed2"
load_seconds=$((SECONDS - started))
e2e_check "the client records the last lines" soak_wait_quiet 30
soak_monitor_rows
ticks_end=$(soak_ticks "$SOAK_PID")
server_end=$(soak_ticks "$SOAK_SERVER")
rss_end=$(soak_rss "$SOAK_PID")
threads_end=$(soak_threads "$SOAK_PID")

recording=on
if [ "${SOAK_RECORD:-1}" = 0 ]; then
  recording=off
else
  e2e_drive menu "$ID_RECORD" >/dev/null # stops: flushed and closed
  python3 "$E2E_SOURCE/tests/soak/check_recording.py" --decode "$ASM_DECODE" --recording "$SOAK_RECORDING" \
    --port COM30 "$SOAK_DIR/link1.sent" --port COM31 "$SOAK_DIR/link2.sent" >"$SOAK_DIR/check.txt"
  checked=$?
  while IFS= read -r line; do soak_result "${line%%:*}" "${line#*: }"; done <"$SOAK_DIR/check.txt"
  [ $checked -eq 0 ] || e2e_fail "the recording differs from what was sent (see above)"
fi

bytes1=$(stat -c %s "$SOAK_DIR/link1.sent")
bytes2=$(stat -c %s "$SOAK_DIR/link2.sent")
soak_result "traffic" "$load_seconds s at $((bytes1 / load_seconds)) and $((bytes2 / load_seconds)) bytes/s"
soak_result "client CPU under load" "$(soak_percent "$ticks_start" "$ticks_end" "$load_seconds") % of a core, recording $recording"
soak_result "wineserver CPU under load" "$(soak_percent "$server_start" "$server_end" "$load_seconds") % of a core"
soak_result "VmRSS" "start $rss_start kB, end $rss_end kB (samples ${rss_samples[*]} kB)"
soak_result "threads" "start $threads_start, end $threads_end"
stats() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "median %s ms, max %s ms (%d probes)\n", v[int((NR + 1) / 2)], v[NR], NR }'; }
soak_result "hover latency" "$(stats "${hover_ms[@]}")"
slowest=$(printf '%s\n' "${click_ms[@]}" | sort -n | tail -n 1)
aim=$(awk -v m="${slowest:-0}" 'BEGIN { print (m <= 200 ? "within" : "ABOVE") }')
soak_result "click-to-view latency" "$(stats "${click_ms[@]}"), $aim the 200 ms aim"

# Memory may settle after start-up, but must not grow with the traffic.
e2e_check "VmRSS flat: $rss_start -> $rss_end kB" [ "$rss_end" -le $((rss_start + rss_start / 10 + 2048)) ]
e2e_eq "threads" "$threads_start" "$threads_end"
e2e_finish
