# Harness for the end-to-end tests of asm-client.exe under Wine.
#
# A test script is run as `bash test_x.sh <win64 build dir> <source dir>` and
# starts with:
#
#   source "$(dirname "$0")/lib.sh"
#   e2e_begin "$@"                  # display, Wine prefix, clean-up trap
#   e2e_ports COM7 COM8             # pseudo-terminal COM ports (before the client)
#   e2e_start_client                # asm-client.exe, waits for its window
#   ...
#   e2e_finish                      # closes the client, reports the result
#
# Everything a test starts (Xvfb, socat, Wine, the client) is stopped by the
# EXIT trap, also when a check fails or the time is up. Every step is bounded:
# each driver call by E2E_STEP_TIMEOUT seconds, the whole test by
# E2E_DEADLINE seconds (default 200, below CTest's limit).
#
# Functions:
#   e2e_begin BUILD SOURCE    set up; exports E2E_BUILD, E2E_SOURCE, E2E_HOME
#                             (BUILD/e2e), E2E_SHOTS (screenshots), DISPLAY,
#                             WINEPREFIX; E2E_NAME is the test's name
#   e2e_ports COMn...         one socat pseudo-terminal pair per port: the
#                             client's end is registered as COMn in Wine, the
#                             test's end is e2e_peer COMn; what the client
#                             writes is collected in e2e_capture COMn; then
#                             e2e_list_ports
#   e2e_pty_pair COMn         the socat pair alone (a device that comes back)
#   e2e_sim_port COMn LOG ARGS...        asm-sim ARGS on a pseudo-terminal of
#                             its own, registered as COMn, its standard error
#                             in LOG; sets E2E_SIM_PID. Before the client, and
#                             followed by e2e_ports or e2e_list_ports
#   e2e_list_ports [COMn...]  restarts the wineserver, which then lists the
#                             registered ports, and waits until it lists these
#                             and every simulator's
#   e2e_native_tool VAR NAME  sets VAR (ASM_SIM, ASM_DECODE) to the native
#                             tool NAME unless it is set; ends the test when
#                             there is no such program
#   e2e_peer COMn             path of the test's end of the port
#   e2e_capture COMn          path of the file collecting the client's writes
#   e2e_send COMn TEXT...     writes the texts to the port, each followed by CR LF
#   e2e_send_file COMn FILE [DELAY]  writes a file's NMEA lines, DELAY s apart
#   e2e_start_client          starts the client; sets E2E_CLIENT_PID
#   e2e_wait_client_exit SECS waits for the client to end; sets E2E_CLIENT_EXIT
#   e2e_drive ACTION... [-- ACTION...]   runs asm-driver.exe (see its header
#                             for the actions); its output, one line per
#                             action, lands in the array E2E_OUT and on
#                             stdout; ends the test when the driver fails
#   e2e_drive_lines VAR ACTION...        the same, into the array VAR only
#   e2e_run_driver ACTION...  the driver alone: its output in driver.out and
#                             driver.err under E2E_HOME, its status returned
#   e2e_geometry              reads the main window's geometry into E2E_WIN_*,
#                             E2E_CLIENT_W/H, E2E_ORIGIN_X/Y, E2E_STYLE
#   e2e_status_top            E2E_STATUS_T, the client y where the status bar
#                             begins (the timeline lies above it)
#   e2e_plot_geometry         derives the timeline layout from them: E2E_PLOT_L/
#                             T/R/B, E2E_ROW_H, E2E_CLICK_Y (the plot's middle
#                             row); e2e_column_x I, e2e_row_y R print client
#                             coordinates of column I's marks and of row R
#   e2e_click_x I             the client x a click on column I aims at (the
#                             middle of its step)
#   e2e_cell DUMP ID          the text of control ID in a dump's JSON
#   e2e_screenshot NAME       screenshot of the screen to E2E_SHOTS/<test>-NAME.png;
#                             prints the path
#   e2e_screenshot_window NAME WINDOW    the same, cut to the window
#   e2e_view_titles           prints "template<TAB>title" for every view template
#                             of res/view_dialogs.rc
#   e2e_dpi N                 sets the prefix's screen resolution to N DPI (96
#                             is Windows' 100 %, 144 its 150 %) for the programs
#                             started from then on; e2e_begin resets it to 96
#   e2e_unmanaged_windows     no window manager for Wine's windows, also on a
#                             user's display: Wine then does not wait 2 s for
#                             one at every closing dialog
#   e2e_count_colour PNG X Y W H R G B   prints how many pixels of the box
#                             have exactly that colour
#   e2e_mark_at PNG CX CY R G B          true if a timeline mark of that
#                             colour lies around client point (CX, CY);
#                             e2e_no_mark_at the opposite
#   e2e_nmea SENTENCE         prints the sentence with its "*hh" checksum
#                             (tests/ais_pack.py, which packs whole AIS
#                             messages too)
#   e2e_connect MENU PORT BAUD [NAME]    connects a link through its settings
#                             dialog; the report box's JSON lands in E2E_REPORT
#   e2e_wait_for SECS CMD...  retries CMD every 0.2 s until it succeeds
#   e2e_check DESC CMD...     runs CMD; records a failure with DESC if it fails
#   e2e_eq DESC EXPECTED ACTUAL          records a failure unless equal
#   e2e_fail MSG              records a failure (the test goes on)
#   e2e_die MSG               records a failure and ends the test now
#   e2e_log MSG               prints a progress line
#
# The identifiers of menu commands, dialogs, controls and view templates
# come from ids.sh beside this file (made by scripts/gen_view_dialogs.py):
# ID_PRESENTATION_PORT, IDC_ACCEPT, MET_HYDRO_USER_ID, VIEW_ABK_TITLE, ...
#
# Environment: E2E_DISPLAY=:N uses that X display instead of starting Xvfb;
# E2E_HOME moves the prefix, ports and screenshots out of BUILD/e2e;
# E2E_DEADLINE=0 lifts the time limit; ASM_CLIENT and ASM_DRIVER override
# the programs' paths.

set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/ids.sh"

E2E_STEP_TIMEOUT=${E2E_STEP_TIMEOUT:-60}
# Room for the widest view whole, also at 150 % (144 DPI), the scale of a
# common 1920 by 1080 laptop screen, so that no screenshot cuts a view.
E2E_SCREEN=1920x1080
E2E_DEADLINE=${E2E_DEADLINE:-200}
E2E_FAILURES=0
E2E_PIDS=()
E2E_FDS=()
E2E_SIM_PORTS=()
E2E_CLIENT_PID=

e2e_log() { echo "[$(date +%T)] ${E2E_NAME:-e2e}: $*"; }
e2e_fail() {
  E2E_FAILURES=$((E2E_FAILURES + 1))
  echo "FAIL: $*" >&2
}
e2e_die() {
  e2e_fail "$@"
  exit 1
}

e2e_check() {
  local desc=$1
  shift
  if ! "$@"; then e2e_fail "$desc"; return 1; fi
}

e2e_eq() {
  if [ "$2" != "$3" ]; then
    e2e_fail "$1"$'\n'"  expected: $(printf '%q' "$2")"$'\n'"  actual:   $(printf '%q' "$3")"
    return 1
  fi
}

e2e_wait_for() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}

# Kills what this test started, newest first, and the prefix's wineserver
# (which takes the client and any driver with it).
e2e_cleanup() {
  local status=$?
  trap - EXIT INT TERM
  [ -n "${E2E_WATCHDOG:-}" ] && kill "$E2E_WATCHDOG" 2>/dev/null
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${E2E_WINE_STARTED:-}" ]; then
    timeout 20 wineserver -k 2>/dev/null
    timeout 20 wineserver -w 2>/dev/null
  fi
  local fd
  # Braces: a bare exec with 2>/dev/null would silence stderr for good.
  for fd in "${E2E_FDS[@]}"; do { exec {fd}>&-; } 2>/dev/null; done
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do kill "${E2E_PIDS[i]}" 2>/dev/null; done
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do wait "${E2E_PIDS[i]}" 2>/dev/null; done
  if [ $status -eq 0 ] && [ "$E2E_FAILURES" -ne 0 ]; then status=1; fi
  if [ $status -ne 0 ]; then
    if [ -s "${E2E_HOME:-/nonexistent}/client.out" ]; then
      echo "--- client output:" >&2
      tail -n 20 "$E2E_HOME/client.out" >&2
    fi
    echo "${E2E_NAME:-e2e}: FAILED ($E2E_FAILURES failed checks)" >&2
  fi
  exit $status
}

e2e_start_xvfb() {
  local fifo=$E2E_HOME/xvfb.display
  rm -f "$fifo"
  # -displayfd lets the server pick a free display itself, so tests of
  # several build folders can run side by side.
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait_for 20 test -s "$fifo" || e2e_die "Xvfb did not start"
  DISPLAY=:$(head -n 1 "$fifo")
  # A bare Xvfb has no resource database, and Xlib then looks for the files
  # of one (~/.Xdefaults, ~/.Xdefaults-<host>) at every XGetDefault: Wine
  # asks at every font it selects, hundreds of times a second under load,
  # which a desktop session (whose database is loaded) never pays. An empty
  # database stands in for it.
  export DISPLAY XENVIRONMENT=/dev/null
}

# Makes the Wine prefix once per build folder and reuses it after.
e2e_prepare_prefix() {
  export WINEPREFIX=$E2E_HOME/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  E2E_WINE_STARTED=1
  if [ ! -f "$WINEPREFIX/.e2e-ready" ]; then
    e2e_log "making the Wine prefix (once per build folder)"
    rm -rf "$WINEPREFIX"
    timeout 180 wineboot -i >/dev/null 2>&1 || e2e_die "wineboot -i failed"
    timeout 60 wineserver -w
    touch "$WINEPREFIX/.e2e-ready"
  fi
  # Xvfb has no window manager: there Wine must draw the frames and captions
  # itself, so that screenshots show the title bar as a user sees it. On a
  # user's display the window manager does it. Changed only when it must be.
  local frames=wm stamp=$WINEPREFIX/.e2e-own-frames
  [ -z "${E2E_DISPLAY:-}" ] && frames=own
  if [ $frames = own ] && [ ! -f "$stamp" ]; then
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
      timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 ||
      e2e_die "cannot set up the Wine prefix"
    touch "$stamp"
  elif [ $frames = wm ] && [ -f "$stamp" -o -f "$WINEPREFIX/.e2e-unmanaged" ]; then
    timeout 60 wine reg delete 'HKCU\Software\Wine\X11 Driver' /f >/dev/null 2>&1
    rm -f "$stamp" "$WINEPREFIX/.e2e-unmanaged"
  fi
  e2e_link_fonts "$WINEPREFIX"
  e2e_dpi 96
}

# The fonts the client's windows are drawn in, from Debian's fonts-wine:
# Tahoma (the message views, and bold for captions), Marlett (the glyphs of
# the caption buttons) and MS Sans Serif (the settings dialogs, the met/hydro
# and tidal window views) in its 96 DPI and 120 DPI cuts, which Wine picks
# by the screen's DPI. Debian's Wine does not find them unless they are in
# the prefix; without them it draws in a substitute font, so a missing file
# stops the run.
E2E_FONT_DIR=/usr/share/wine/fonts
E2E_FONTS=(tahoma.ttf tahomabd.ttf marlett.ttf sserife.fon sseriff.fon)
e2e_link_fonts() {
  local prefix=$1 font fonts=$1/drive_c/windows/Fonts
  for font in "${E2E_FONTS[@]}"; do
    [ -f "$E2E_FONT_DIR/$font" ] ||
      e2e_die "no $E2E_FONT_DIR/$font: install Debian's fonts-wine (scripts/setup.sh does)"
    [ "$(readlink "$fonts/$font")" = "$E2E_FONT_DIR/$font" ] || ln -sfn "$E2E_FONT_DIR/$font" "$fonts/$font" ||
      e2e_die "cannot link $font into $prefix"
  done
}

# Each program reads the resolution as it starts. Written only when it
# changes, since a write costs a Wine start; the registry file on disk is
# current only until this run writes, so the run remembers what it wrote.
E2E_DPI=
e2e_dpi() {
  if [ -z "$E2E_DPI" ]; then
    E2E_DPI=$(sed -n '/^\[Control Panel\\\\Desktop\]/,/^\[/s/^"LogPixels"=dword:\([0-9a-f]*\)/\1/p' \
      "$WINEPREFIX/user.reg" 2>/dev/null)
    E2E_DPI=$((16#${E2E_DPI:-60})) # 96 when a new prefix has no value
  fi
  [ "$E2E_DPI" -eq "$1" ] && return 0
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
    e2e_die "cannot set the resolution to $1 DPI"
  E2E_DPI=$1
}

# Wine's own frames include unmanaged windows (e2e_prepare_prefix); on a
# user's display they are asked for here, and undone by the next run there.
e2e_unmanaged_windows() {
  [ -f "$WINEPREFIX/.e2e-own-frames" ] && return 0
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    e2e_die "cannot set the X11 driver's Managed option"
  touch "$WINEPREFIX/.e2e-unmanaged"
}

e2e_begin() {
  [ $# -ge 2 ] || { echo "usage: $0 <win64 build dir> <source dir>" >&2; exit 2; }
  E2E_BUILD=$(cd "$1" && pwd) || exit 2
  E2E_SOURCE=$(cd "$2" && pwd) || exit 2
  E2E_NAME=$(basename "$0" .sh)
  E2E_NAME=${E2E_NAME#test_}
  E2E_HOME=${E2E_HOME:-$E2E_BUILD/e2e}
  E2E_SHOTS=$E2E_HOME/screenshots
  E2E_CLIENT=${ASM_CLIENT:-$E2E_BUILD/asm-client.exe}
  E2E_DRIVER=${ASM_DRIVER:-$E2E_BUILD/e2e/asm-driver.exe}
  export E2E_BUILD E2E_SOURCE E2E_HOME E2E_SHOTS
  export LC_ALL=C.UTF-8
  mkdir -p "$E2E_SHOTS" "$E2E_HOME/ports"
  [ -f "$E2E_CLIENT" ] || { echo "no client at $E2E_CLIENT: build the win64 preset" >&2; exit 1; }
  [ -f "$E2E_DRIVER" ] || { echo "no driver at $E2E_DRIVER: build the win64 preset" >&2; exit 1; }
  local tool
  for tool in wine wineserver wineboot socat Xvfb jq /usr/bin/import /usr/bin/convert; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
  done

  # One test at a time per build folder: they share the prefix and port paths.
  exec {E2E_LOCK}>"$E2E_HOME/lock"
  flock -w 600 "$E2E_LOCK" || { echo "another e2e test holds $E2E_HOME/lock" >&2; exit 1; }

  trap e2e_cleanup EXIT
  trap 'e2e_fail "interrupted or out of time"; exit 1' INT TERM
  if [ "$E2E_DEADLINE" -gt 0 ]; then
    (
      trap 'kill $nap 2>/dev/null; exit 0' TERM
      sleep "$E2E_DEADLINE" &
      nap=$!
      wait $nap && kill -TERM $$
    ) >/dev/null 2>&1 &
    E2E_WATCHDOG=$!
  fi

  if [ -n "${E2E_DISPLAY:-}" ]; then
    export DISPLAY=$E2E_DISPLAY
  else
    e2e_start_xvfb
  fi
  e2e_prepare_prefix
  rm -f "$E2E_HOME/client.out"
  e2e_log "display $DISPLAY, prefix $WINEPREFIX"
}

e2e_peer() { echo "$E2E_HOME/ports/$1-peer"; }
e2e_capture() { echo "$E2E_HOME/ports/$1.out"; }

e2e_native_tool() {
  local -n e2e_tool_path=$1
  e2e_tool_path=${e2e_tool_path:-$E2E_SOURCE/build/native/$2}
  [ -x "$e2e_tool_path" ] || e2e_die "no $2 at $e2e_tool_path: build the native preset"
}

# The link paths are the same on every run, so the registry is written only
# the first time.
e2e_register_port() {
  local port=$1 link=$2
  grep -qF "\"$port\"=\"$link\"" "$WINEPREFIX/system.reg" 2>/dev/null && return 0
  timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$link" /f >/dev/null 2>&1 ||
    e2e_die "cannot register $port"
}

e2e_pty_pair() {
  local port=$1 link=$E2E_HOME/ports/$1 peer
  peer=$(e2e_peer "$port")
  rm -f "$link" "$peer"
  socat "pty,raw,echo=0,link=$link" "pty,raw,echo=0,link=$peer" 2>>"$E2E_HOME/ports/socat.log" &
  E2E_PIDS+=($!)
  e2e_wait_for 10 test -e "$link" -a -e "$peer" || e2e_die "socat made no pty pair for $port"
}

# Starts one pseudo-terminal pair per port and registers the client's ends
# as Wine COM ports. Must come before the client starts: Wine lists serial
# ports in SERIALCOMM when its server starts.
e2e_ports() {
  local port link fd
  for port in "$@"; do
    link=$E2E_HOME/ports/$port
    rm -f "$(e2e_capture "$port")"
    e2e_pty_pair "$port"
    # Holding the client's end open keeps socat alive when the client closes
    # the port (a pty pair ends at its last close); this end reads nothing.
    exec {fd}<"$link"
    E2E_FDS+=("$fd")
    cat "$(e2e_peer "$port")" >"$(e2e_capture "$port")" &
    E2E_PIDS+=($!)
    e2e_register_port "$port" "$link"
  done
  e2e_list_ports "$@"
}

# The simulator first, so that its link exists when Wine lists the ports.
e2e_sim_port() {
  local port=$1 log=$2 link=$E2E_HOME/ports/$1-sim
  shift 2
  rm -f "$link"
  "$ASM_SIM" --pty "$link" "$@" 2>"$log" &
  E2E_SIM_PID=$!
  E2E_PIDS+=("$E2E_SIM_PID")
  e2e_wait_for 10 test -L "$link" || e2e_die "asm-sim for $port made no link: $(cat "$log")"
  e2e_register_port "$port" "$link"
  E2E_SIM_PORTS+=("$port")
}

e2e_list_ports() {
  local port
  timeout 20 wineserver -k 2>/dev/null
  timeout 20 wineserver -w 2>/dev/null
  # Wine fills SERIALCOMM from a service that starts beside the first
  # program, so a query right after the server's start can come too early;
  # ask again a few times before calling the set-up broken.
  local listed missing try
  for try in 1 2 3 4 5; do
    listed=$(timeout 60 wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>"$E2E_HOME/reg.err" | tr -d '\r')
    missing=
    for port in "$@" "${E2E_SIM_PORTS[@]}"; do grep -qw "$port" <<<"$listed" || missing+=" $port"; done
    [ -z "$missing" ] && return 0
    e2e_log "SERIALCOMM lacks$missing; asking again"
    sleep 1
  done
  e2e_die "Wine does not list$missing in SERIALCOMM: $listed $(tr -d '\r' <"$E2E_HOME/reg.err")"
}

e2e_send() {
  local port=$1
  shift
  local line
  for line in "$@"; do printf '%s\r\n' "$line"; done >"$(e2e_peer "$port")"
}

e2e_send_file() {
  local port=$1 file=$2 delay=${3:-0} line
  grep -E '^[!$]' "$file" | tr -d '\r' | while IFS= read -r line; do
    printf '%s\r\n' "$line"
    [ "$delay" != 0 ] && sleep "$delay"
  done >"$(e2e_peer "$port")"
}

e2e_start_client() {
  # Xvfb starts with the pointer in the middle of the screen, over the
  # timeline, where it would put a hover read-out into the title. A user's
  # pointer is left alone.
  [ -z "${E2E_DISPLAY:-}" ] && e2e_drive pointer 1023 767 >/dev/null
  (cd "$E2E_HOME" && exec wine "$E2E_CLIENT") >>"$E2E_HOME/client.out" 2>&1 &
  E2E_CLIENT_PID=$!
  E2E_PIDS+=("$E2E_CLIENT_PID")
  # A busy machine can take a while to start a Wine program.
  e2e_drive timeout 30000 -- wait-main >/dev/null
}

# Waits up to SECS for the client to end and sets E2E_CLIENT_EXIT to its
# exit code; fails (and leaves it empty) when it does not end in time.
e2e_wait_client_exit() {
  local end=$((SECONDS + $1))
  E2E_CLIENT_EXIT=
  while kill -0 "$E2E_CLIENT_PID" 2>/dev/null; do
    if [ $SECONDS -ge $end ]; then
      e2e_fail "the client did not end within $1 s"
      return 1
    fi
    sleep 0.1
  done
  wait "$E2E_CLIENT_PID"
  E2E_CLIENT_EXIT=$?
}

# Runs the driver into driver.out and driver.err, returns its status. A
# driver that ends at once with neither output nor a reason was not started
# by Wine (seen once on a loaded machine, never reproduced): it is started
# again once, and the log says so. A driver that fails gives its reason.
e2e_run_driver() {
  local status attempt
  for attempt in 1 2; do
    timeout "$E2E_STEP_TIMEOUT" wine "$E2E_DRIVER" "$@" >"$E2E_HOME/driver.out" 2>"$E2E_HOME/driver.err"
    status=$?
    if [ $status -eq 0 ] || [ $status -eq 124 ] || [ -s "$E2E_HOME/driver.out" ] || [ -s "$E2E_HOME/driver.err" ] ||
      [ $attempt -eq 2 ]; then
      break
    fi
    e2e_log "the driver ended without a word (status $status); starting it again: $*" >&2
  done
  return $status
}

# Runs the driver; its output lines land in the array E2E_OUT and are also
# printed. Called as a plain command (not in "$(...)") a failing driver ends
# the test with its reason.
e2e_drive() {
  local status
  e2e_run_driver "$@"
  status=$?
  mapfile -t E2E_OUT < <(tr -d '\r' <"$E2E_HOME/driver.out")
  if [ $status -ne 0 ]; then
    e2e_die "driver failed ($status): $* :: $(tr -d '\r' <"$E2E_HOME/driver.err")"
  fi
  [ ${#E2E_OUT[@]} -eq 0 ] || printf '%s\n' "${E2E_OUT[@]}"
}

# The same, the output lines going into the array VAR instead of stdout.
e2e_drive_lines() {
  local -n e2e_lines_out=$1
  shift
  e2e_drive "$@" >/dev/null
  e2e_lines_out=("${E2E_OUT[@]}")
}

e2e_geometry() {
  e2e_drive geometry main >/dev/null
  # window L T R B client W H origin X Y style S exstyle E
  read -r _ E2E_WIN_L E2E_WIN_T E2E_WIN_R E2E_WIN_B _ E2E_CLIENT_W E2E_CLIENT_H _ E2E_ORIGIN_X E2E_ORIGIN_Y \
    _ E2E_STYLE _ E2E_EXSTYLE <<<"${E2E_OUT[0]}"
}

# Where the status bar begins: the client y of its top, E2E_STATUS_T (the
# client height when there is none).
e2e_status_top() {
  e2e_drive status-bar >/dev/null
  E2E_STATUS_T=$(jq '[.bars[][1]] | min // .client[1]' <<<"${E2E_OUT[0]}")
}

# The timeline's layout, from the client area above the status bar: the
# plot is inset by 5, rows are a 33rd of its height (whole pixels), columns
# a 50th of its width.
e2e_plot_geometry() {
  e2e_geometry
  e2e_status_top
  E2E_PLOT_L=5 E2E_PLOT_T=5
  E2E_PLOT_R=$((E2E_CLIENT_W - 5)) E2E_PLOT_B=$((E2E_STATUS_T - 5))
  E2E_ROW_H=$(((E2E_PLOT_B - E2E_PLOT_T) / 33))
  E2E_CLICK_Y=$(((E2E_PLOT_T + E2E_PLOT_B) / 2))
}
e2e_column_x() {
  # Summed step by step in double precision, as the client does.
  awk -v l="$E2E_PLOT_L" -v r="$E2E_PLOT_R" -v i="$1" \
    'BEGIN { w = (r - l) / 50; x = 0; for (k = 0; k < i; k++) x += w; printf "%d\n", l + int(x) }'
}
e2e_row_y() { echo $((E2E_PLOT_B - $1 * E2E_ROW_H)); }
# A click picks the column from the client x alone, in steps of a 50th of
# the plot's width.
e2e_click_x() { echo $(((2 * $1 + 1) * (E2E_PLOT_R - E2E_PLOT_L) / 100)); }

e2e_cell() { jq -r --argjson id "$2" '[.[] | select(.id == $id)][0].text' <<<"$1"; }

e2e_screenshot() {
  local file=$E2E_SHOTS/$E2E_NAME-$1.png
  timeout 30 /usr/bin/import -display "$DISPLAY" -window root "$file" || e2e_die "screenshot failed"
  echo "$file"
}

e2e_screenshot_window() {
  local file l t r b
  file=$(e2e_screenshot "$1") || exit 1
  e2e_drive geometry "$2" >/dev/null
  read -r _ l t r b _ <<<"${E2E_OUT[0]}"
  timeout 30 /usr/bin/convert "$file" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$file" ||
    e2e_die "cannot cut the screenshot to \"$2\""
  echo "$file"
}

e2e_view_titles() {
  python3 - "$E2E_SOURCE/res/view_dialogs.rc" <<'EOF'
import re, sys
current = None
for line in open(sys.argv[1]):
    m = re.match(r"(\d+) DIALOGEX", line)
    if m: current = m.group(1)
    m = re.match(r'CAPTION "(.*)"$', line.strip())
    if m and current: print(current + "\t" + m.group(1).replace('""', '"'))
EOF
}

e2e_count_colour() {
  local png=$1 x=$2 y=$3 w=$4 h=$5 r=$6 g=$7 b=$8
  timeout 30 /usr/bin/convert "$png" -crop "${w}x${h}+$x+$y" +repage -depth 8 txt:- |
    awk -v want="($r,$g,$b" 'NR > 1 && index($2, want) == 1 { n++ } END { print n + 0 }'
}

# A mark is a square outline of half-size 2 drawn with a 2-pixel pen around
# its point. Look for its colour in the 9 by 9 box there, leaving out the
# box's middle line, where a green grid row of the same colour may run.
e2e_mark_pixels() {
  local png=$1 cx=$2 cy=$3 r=$4 g=$5 b=$6 all line
  local sx=$((E2E_ORIGIN_X + cx)) sy=$((E2E_ORIGIN_Y + cy))
  all=$(e2e_count_colour "$png" $((sx - 4)) $((sy - 4)) 9 9 "$r" "$g" "$b")
  line=$(e2e_count_colour "$png" $((sx - 4)) "$sy" 9 1 "$r" "$g" "$b")
  echo $((all - line))
}
e2e_mark_at() { [ "$(e2e_mark_pixels "$@")" -ge 6 ]; }
e2e_no_mark_at() { [ "$(e2e_mark_pixels "$@")" -eq 0 ]; }

# NMEA sentence with its checksum: e2e_nmea '$AIABK,...' prints '$AIABK,...*hh'.
e2e_nmea() {
  PYTHONPATH=$E2E_SOURCE/tests python3 -c 'import sys; from ais_pack import frame; print(frame(sys.argv[1]))' "$1"
}

# Connects a link through its settings dialog as a user would: opens the
# dialog from the menu, types the name, picks the port, types the baud rate,
# presses Accept and reads the report box into E2E_REPORT (JSON), then closes
# the box. MENU is ID_PRESENTATION_PORT, ID_NMEA2000_PORT or ID_SENSOR_ALPHA;
# the Sensor Port's dialog stays open.
e2e_connect() {
  local menu=$1 port=$2 baud=$3 name=${4:-e2e} dialog
  case $menu in
    "$ID_PRESENTATION_PORT") dialog="AIS Presentation Port Settings" ;;
    "$ID_NMEA2000_PORT") dialog="AIS Nmea Port Settings" ;;
    "$ID_SENSOR_ALPHA") dialog="Sensor Data Stream - Settings" ;;
    *) e2e_die "e2e_connect: no settings dialog for menu item $menu" ;;
  esac
  e2e_drive menu "$menu" -- wait-window "$dialog" "#32770" -- set-text "$dialog" "$IDC_CONNECTION_NAME" "$name" \
    -- select "$dialog" "$IDC_PORT_LIST" "$port" -- set-text "$dialog" "$IDC_BAUD_RATE" "$baud" \
    -- click "$dialog" "$IDC_ACCEPT" -- msgbox "Remote Connection Status" -- press "Remote Connection Status" ok >/dev/null
  E2E_REPORT=${E2E_OUT[6]}
  [ "$(jq -r .icon <<<"$E2E_REPORT")" = information ] || e2e_die "cannot connect $port: $E2E_REPORT"
  if [ "$menu" != "$ID_SENSOR_ALPHA" ]; then e2e_drive wait-gone "$dialog" >/dev/null; fi
}

e2e_finish() {
  if [ -n "$E2E_CLIENT_PID" ] && kill -0 "$E2E_CLIENT_PID" 2>/dev/null; then
    e2e_drive close main >/dev/null
    e2e_wait_client_exit 20 && e2e_eq "client exit code" 0 "$E2E_CLIENT_EXIT"
  fi
  if [ "$E2E_FAILURES" -ne 0 ]; then exit 1; fi
  e2e_log "passed"
  exit 0
}
