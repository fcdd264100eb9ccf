#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once: packages
# already installed are not touched, and nothing is fetched when all are.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # The JSON writer of the tools (header only).
  rapidjson-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils xdotool imagemagick socat procps jq python3
  # Wine's own Tahoma, MS Sans Serif and Marlett, which the client's windows
  # are drawn in: a recommendation of wine that --no-install-recommends skips.
  fonts-wine
  # gpsdecode, the independent decoder asm-decode is compared with.
  gpsd-clients
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
