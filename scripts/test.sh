#!/usr/bin/env bash
# Checks the format of the sources, then builds and runs every test: unit
# tests natively and under the sanitizers, the tool tests, short fuzz runs,
# then the Win32 program end to end under Wine. Exits non-zero if any stage fails; later stages still run, so one
# run reports every failure.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
failed=()

stage() {
  local name=$1; shift
  echo "=== $name"
  if ! "$@"; then failed+=("$name"); echo "=== $name: FAILED"; return 1; fi
}
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"; }
run_ctest() { local preset=$1; shift; ctest --preset "$preset" -j "$jobs" "$@"; }

# Every tracked C++ source in the project's one style.
format_check() { git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; }

stage "format check" format_check
stage "native build" build native && stage "unit and tool tests" run_ctest native
stage "asan build" build asan && stage "unit tests (ASan, UBSan)" run_ctest asan
stage "tsan build" build tsan && stage "unit tests (TSan)" run_ctest tsan
stage "fuzz build" build fuzz && stage "fuzz (short)" run_ctest fuzz
stage "win64 build" build win64 && stage "end to end (Wine)" ctest --preset win64 -L e2e --no-tests=ignore

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "all stages passed"
