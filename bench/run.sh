#!/usr/bin/env bash
# Throughput side by side: asm-decode against gpsdecode -u on the same large
# NMEA file, in the same run, alternating rounds; then the core's own
# benchmarks. Run by `make bench` (never by `make test`).
#
# The file repeats the sentence lines of the recorded corpus (and, when the
# simulator is built, a few seconds of its traffic) with CR LF line ends to
# at least BENCH_MB megabytes. It is timed twice: as recorded (AIS sentences
# with a position sensor's sentences between them) and with the AIS
# sentences alone, where both decoders do the same work for every line.
#
# Environment: ASM_BUILD_DIR (default build/native), BENCH_ROUNDS (5),
# BENCH_MB (32).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ASM_BUILD_DIR:-$root/build/native}
corpus=$root/../shared/corpus
rounds=${BENCH_ROUNDS:-5}
megabytes=${BENCH_MB:-32}
work=$build/bench-work
tool=$build/asm-decode

[[ -x $tool ]] || { echo "bench: $tool is not built (make native)" >&2; exit 1; }
if ! command -v gpsdecode >/dev/null; then
  echo "bench: installing gpsd-clients for gpsdecode"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends gpsd-clients >/dev/null
fi
mkdir -p "$work"

# One block of traffic: sentence lines only (comments are not traffic).
block=$work/block.nmea
for file in "$corpus"/*; do
  [[ $file == *.md ]] && continue
  grep -a '^[!$]' "$file" | tr -d '\r' | sed 's/$/\r/'
done >"$block"
if [[ -x $build/asm-sim ]]; then
  echo "bench: recording 5 s of asm-sim traffic"
  "$build/asm-sim" --rate 1000 --duration 5 </dev/null 2>/dev/null | grep -a '^[!$]' | tr -d '\r' | sed 's/$/\r/' >>"$block"
fi
grep -a '^!' "$block" >"$work/block-ais.nmea"

# Repeats a block to at least $megabytes MB.
grow() {
  local from=$1 to=$2 size
  size=$(stat -c %s "$from")
  local times=$(((megabytes * 1000000 + size - 1) / size))
  : >"$to"
  for ((i = 0; i < times; i++)); do cat "$from"; done >>"$to"
}
grow "$block" "$work/recorded.nmea"
grow "$work/block-ais.nmea" "$work/ais.nmea"

seconds() {  # wall-clock seconds of one run, output thrown away
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo "$(((end - start) / 1000))" | awk '{ printf "%.4f\n", $1 / 1e6 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

compare() {
  local name=$1 file=$2 bytes ours theirs
  bytes=$(stat -c %s "$file")
  # Both must really decode the file, or the comparison means nothing.
  ours=$("$tool" "$file" | wc -l)
  theirs=$(gpsdecode -u <"$file" | grep -c '"class":"AIS"' || true)
  if ((ours == 0 || theirs * 10 < ours * 8)); then
    echo "bench: $name: gpsdecode decoded $theirs AIS messages, asm-decode $ours: not a fair comparison" >&2
    exit 1
  fi
  local -a a=() g=()
  for ((r = 0; r < rounds; r++)); do
    a+=("$(seconds "$tool" "$file")")
    g+=("$(seconds gpsdecode -u <"$file")")
  done
  local ta tg
  ta=$(printf '%s\n' "${a[@]}" | median)
  tg=$(printf '%s\n' "${g[@]}" | median)
  awk -v name="$name" -v bytes="$bytes" -v ours="$ours" -v theirs="$theirs" -v ta="$ta" -v tg="$tg" -v rounds="$rounds" 'BEGIN {
    printf "%s: %.1f MB, median of %d alternating rounds\n", name, bytes / 1e6, rounds
    printf "  asm-decode     %7.3f s  %8.1f MB/s  %10.0f messages/s  (%d messages)\n", ta, bytes / 1e6 / ta, ours / ta, ours
    printf "  gpsdecode -u   %7.3f s  %8.1f MB/s  %10.0f messages/s  (%d AIS messages)\n", tg, bytes / 1e6 / tg, theirs / tg, theirs
    printf "  asm-decode is %.1f times as fast\n", tg / ta
  }'
}

compare "recorded traffic (AIS and sensor sentences)" "$work/recorded.nmea"
compare "AIS sentences only" "$work/ais.nmea"

for program in intake_bench transmit_bench; do
  [[ -x $build/$program ]] && "$build/$program" --benchmark_min_time=0.5
done
exit 0
