#!/usr/bin/env bash
# Installs what is missing, builds QIMAPI.dll and everything else into build/, and prints the
# folder whose programs this machine can run under Wine: build/ itself, or build/x64 where
# 32-bit code cannot run (see wine-session.sh and test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh >&2
. tools/wine-session.sh
# Where this machine runs no 32-bit code, build/ is tested in an emulated guest, which runs Wine
# up to 5 times slower: its CTest time limits are stretched as much, and each test program is
# one CTest test there, since every program start costs seconds.
guest=ON factor=5
[ "$WINEARCH" = win32 ] && guest=OFF factor=1
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DQIMAPI_TEST_TIME_FACTOR=$factor \
    -DQIMAPI_TEST_PER_PROGRAM=$guest >/dev/null
cmake --build build -j2 >&2
# The emulated guest tests build/ and may start as soon as it is built (tools/test.sh).
[ -z "${QIMAPI_BUILT_MARK:-}" ] || touch "$QIMAPI_BUILT_MARK"
if [ "$WINEARCH" = win32 ]; then
    echo build
else
    cmake -S . -B build/x64 -DCMAKE_TOOLCHAIN_FILE="$QIMAPI_TEST_TOOLCHAIN" \
        -DQIMAPI_PRODUCT_DLL="$PWD/build/bin/QIMAPI.dll" -DQIMAPI_TEST_TIME_FACTOR="$QIMAPI_TIME_FACTOR" >/dev/null
    cmake --build build/x64 -j2 >&2
    echo build/x64
fi
