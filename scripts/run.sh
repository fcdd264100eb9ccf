#!/usr/bin/env bash
# `make run`: builds the client and starts it under Wine with three
# pseudo-terminal COM ports, using the end-to-end harness (tests/e2e/lib.sh).
#
# With a reachable X display ($DISPLAY) the user drives the client; once the
# Presentation Port (COM7) is connected, recorded traffic plays into it in a
# loop, and the GPS sentences of the same feed into the Sensor Port (COM9)
# while that is connected. Close the window (or press Ctrl-C) to end.
#
# Without a display the client runs on Xvfb: the script connects the
# Presentation Port itself, plays the traffic once, saves a screenshot,
# prints its path and ends.
#
# Options: --no-build (use what is built), --build-dir DIR (the win64 build
# folder, default build/win64), --headless (Xvfb even with a display).
set -uo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=$source_dir/build/win64
build=1
headless=0
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=0 ;;
    --build-dir) build_dir=$(cd "$2" && pwd) || exit 2; shift ;;
    --headless) headless=1 ;;
    *) echo "usage: $0 [--no-build] [--build-dir DIR] [--headless]" >&2; exit 2 ;;
  esac
  shift
done

if [ $build -eq 1 ]; then
  echo "run: building (native and win64)"
  for preset in native win64; do
    { cmake --preset $preset >/dev/null && cmake --build --preset $preset; } || {
      echo "run: the $preset build failed" >&2
      exit 1
    }
  done
fi

traffic=$source_dir/tests/data/demo_traffic.nmea
if [ $headless -eq 0 ] && [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  export E2E_DISPLAY=$DISPLAY
else
  unset E2E_DISPLAY
fi

# Its own Wine prefix and ports, apart from the tests'; no time limit.
export E2E_HOME=$build_dir/run E2E_DEADLINE=0
source "$source_dir/tests/e2e/lib.sh"
e2e_begin "$build_dir" "$source_dir"
trap 'exit 0' INT TERM # Ctrl-C is the normal way out; the EXIT trap cleans up
E2E_NAME=run
e2e_ports COM7 COM8 COM9
e2e_start_client

[ -n "${E2E_DISPLAY:-}" ] && cat <<EOF

  asm-client.exe is running under Wine on display $DISPLAY.
  COM ports (pseudo-terminals; write NMEA into the other end to feed one):
    COM7  Presentation Port  - recorded AIS traffic plays here once connected
          (other end: $(e2e_peer COM7))
    COM8  NMEA2000 Port      - $(e2e_peer COM8)
    COM9  Sensor Port        - the feed's GPS sentences play here once connected
          (Sensor Port > Alpha; type GGA as the formatter; $(e2e_peer COM9))
  What the client writes (BBM sentences) is collected in $E2E_HOME/ports/COMn.out.

EOF

# Plays the traffic's lines that match PATTERN into PORT at a modest pace,
# over and over, while the link behind MENU_ID is connected.
play() {
  local port=$1 menu=$2 pattern=$3 line connected=0 checked_at=-10
  local peer
  peer=$(e2e_peer "$port")
  while kill -0 "$E2E_CLIENT_PID" 2>/dev/null; do
    while IFS= read -r line; do
      if [ $((SECONDS - checked_at)) -ge 2 ]; then
        checked_at=$SECONDS
        connected=0
        timeout 20 wine "$E2E_DRIVER" menu-state "$menu" 2>/dev/null | grep -q '^checked' && connected=1
      fi
      [ $connected -eq 1 ] || { sleep 1; continue; }
      [ -c "$peer" ] || return 0
      printf '%s\r\n' "$line" >"$peer"
      sleep 0.5 # about two sentences a second: easy to watch
    done < <(grep -E "$pattern" "$traffic")
  done
}

if [ -n "${E2E_DISPLAY:-}" ]; then
  play COM7 1060 '^!' &
  E2E_PIDS+=($!)
  play COM9 40706 '^\$' &
  E2E_PIDS+=($!)
  echo "run: close the client's window or press Ctrl-C to end"
  while kill -0 "$E2E_CLIENT_PID" 2>/dev/null; do sleep 1; done
  wait "$E2E_CLIENT_PID"
  echo "run: the client ended with exit code $?"
  exit 0
fi

# No display: show it working on Xvfb, keep a picture, and end. Forty
# messages fit the 50 columns without the chart wrapping round.
echo "run: no display; asm-client.exe runs on Xvfb ($DISPLAY)"
e2e_connect 1060 COM7 38400 demo
echo "run: Presentation Port (COM7) connected: $(jq -r .text <<<"$E2E_REPORT"); playing $traffic"
e2e_send_file COM7 <(awk -F, '/^!/ { print } /^!/ && $2 == $3 && ++n == 40 { exit }' "$traffic") 0.02
sleep 1
shot=$(e2e_screenshot "$(date +%Y%m%d-%H%M%S)")
echo "run: screenshot $shot"
e2e_drive close main >/dev/null
e2e_wait_client_exit 20 && echo "run: the client ended with exit code $E2E_CLIENT_EXIT"
exit 0
