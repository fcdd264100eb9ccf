#!/usr/bin/env bash
# Endurance runs of asm-client.exe under Wine (`make soak`): the long
# versions of the endurance tests that `make test` runs briefly.
#   idle    30 s with no link, then with all three links open and nothing
#           arriving, then after a burst: the client under 2 % of a core
#   load    5 minutes of dense traffic (about 11 kB/s) on the Presentation
#           and NMEA2000 Ports: every message stored once, in order, in its
#           own slot; memory flat; hover and click latencies under load
#   faults  a minute of random bytes, hostile sentences, 100 closes and
#           opens under traffic, the device vanishing under an open link
# Every run is bounded and stops by itself; a table of the figures follows.
# Exits non-zero when a run failed.
#
# Environment: SOAK_IDLE_SECONDS, SOAK_LOAD_SECONDS, SOAK_RATE, SOAK_PROBES,
# SOAK_FLOOD_SECONDS, SOAK_REOPENS change the lengths (see the tests);
# SOAK_MONITOR=1 keeps the sentence monitor open in the idle and load runs;
# SOAK_NATIVE_BUILD and SOAK_WIN_BUILD take programs already built there
# instead of building the native and win64 presets.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source=$PWD

export SOAK_IDLE_SECONDS=${SOAK_IDLE_SECONDS:-30}
export SOAK_LOAD_SECONDS=${SOAK_LOAD_SECONDS:-300}
export SOAK_RATE=${SOAK_RATE:-205}
export SOAK_PROBES=${SOAK_PROBES:-20}
export SOAK_FLOOD_SECONDS=${SOAK_FLOOD_SECONDS:-60}
export SOAK_REOPENS=${SOAK_REOPENS:-100}
export SOAK_MONITOR=${SOAK_MONITOR:-0}

jobs=$(nproc)
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs" --target "${@:2}"; }
native=${SOAK_NATIVE_BUILD:-}
if [ -z "$native" ]; then
  build native asm-sim asm-decode || { echo "soak: native build failed" >&2; exit 1; }
  native=build/native
fi
win=${SOAK_WIN_BUILD:-}
if [ -z "$win" ]; then
  build win64 e2e || { echo "soak: win64 build failed" >&2; exit 1; }
  win=build/win64
fi
native=$(cd "$native" && pwd) || exit 1
export ASM_SIM=$native/asm-sim ASM_DECODE=$native/asm-decode

out=$(cd "$win" && pwd)/soak || exit 1
mkdir -p "$out"
export SOAK_RESULTS=$out/results.tsv
: >"$SOAK_RESULTS"

# Each run's own limit: its measured spans plus the set-up around them.
declare -A deadline=(
  [idle]=$((3 * SOAK_IDLE_SECONDS + 180))
  [load]=$((SOAK_LOAD_SECONDS + 300))
  [faults]=$((SOAK_FLOOD_SECONDS + 3 * SOAK_REOPENS + 300))
)
declare -A status
failed=0
for name in idle load faults; do
  echo "=== soak: $name (at most ${deadline[$name]} s), log $out/$name.log"
  start=$SECONDS
  E2E_DEADLINE=${deadline[$name]} bash tests/e2e/test_endurance_$name.sh "$win" "$source" \
    2>&1 | grep -av 'OutputDebugStringA' >"$out/$name.log"
  if [ "${PIPESTATUS[0]}" -eq 0 ]; then
    status[$name]="passed in $((SECONDS - start)) s"
  else
    status[$name]="FAILED after $((SECONDS - start)) s"
    failed=1
    grep -a '^FAIL' "$out/$name.log" | head -n 20
  fi
done

echo
echo "=== soak summary (figures in $SOAK_RESULTS)"
awk -F '\t' '{ sub(/^endurance_/, "", $1); printf "%-7s %-28s %s\n", $1, $2, $3 }' "$SOAK_RESULTS"
echo
for name in idle load faults; do printf '%-7s %s\n' "$name" "${status[$name]}"; done
exit $failed
