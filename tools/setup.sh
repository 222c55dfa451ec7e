#!/usr/bin/env bash
# Installs what building and testing QIMAPI needs on Debian, when it is missing. No prompts.
set -euo pipefail

packages=(cmake make git googletest g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
          wine wine32:i386 libxi6:i386 xvfb xauth
          fonts-dejavu-core fonts-dejavu-extra    # font families the tests look for
          clang libclang-rt-14-dev                # tools/fuzz.sh: clang, libFuzzer, sanitizers
          cmark-gfm tidy)                         # the manual's renderer, and its HTML's validator
# "tools/setup.sh screenshots": also what tools/screenshots.sh needs, which the tests do not.
# netpbm turns captures into PNG files; fonts-wine draws the symbols of caption buttons;
# chromium takes the picture of the manual.
[ "${1:-}" = screenshots ] && packages+=(netpbm fonts-wine chromium)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -q </dev/null
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" </dev/null
