#!/usr/bin/env bash
# Installs what building and testing QIMAPI needs on Debian, when it is missing. No prompts.
#   tools/setup.sh              what the build and the tests need
#   tools/setup.sh guest        also what the emulated 32-bit guest needs on this machine
#   tools/setup.sh screenshots  also what tools/screenshots.sh needs, which the tests do not
#   tools/setup.sh list         prints the packages the tests need, one a line, and installs
#                               nothing: the guest of tools/guest32.sh installs these too
set -euo pipefail

# What the tests need wherever they run, this machine or the emulated guest.
test_packages=(cmake make git googletest g++-mingw-w64-i686 binutils-mingw-w64-i686
               g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 wine wine32:i386 xvfb xauth
               # X libraries that 32-bit Wine loads at run time; without libxi6, ClipCursor
               # silently does nothing
               libxi6:i386 libxrandr2:i386 libxrender1:i386 libxcursor1:i386 libxfixes3:i386
               libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386 libgnutls30:i386
               libdbus-1-3:i386
               fontconfig fonts-dejavu-core fonts-dejavu-extra    # font families the tests look for
               cmark-gfm tidy)                    # the manual's renderer, and its page's validator
packages=("${test_packages[@]}"
          clang libclang-rt-14-dev                                 # tools/fuzz.sh: libFuzzer, sanitizers
          e2fsprogs procps)                     # the tests of the guest's image step (tests/tools)
case "${1:-}" in
    list) printf '%s\n' "${test_packages[@]}"; exit 0 ;;
    # debootstrap makes the guest's root, qemu-system-x86 runs it.
    guest) packages+=(debootstrap qemu-system-x86 e2fsprogs) ;;
    # netpbm turns captures into PNG files; fonts-wine draws the symbols of caption buttons;
    # chromium takes the pictures of the manual.
    screenshots) packages+=(netpbm fonts-wine chromium) ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get -o DPkg::Lock::Timeout=900 update -q </dev/null
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q \
    --no-install-recommends "${missing[@]}" </dev/null
