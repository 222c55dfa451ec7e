#!/usr/bin/env bash
# Builds QIMAPI and its benchmark, then measures under Wine on a headless display what the DLL
# costs its host: loading, reading the descriptors, calls, bytes. Prints a table of figures and a
# last line "k/n goals met". Arguments go to bench.exe: --rounds N (9 unless given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. tools/wine-session.sh
wine_session_for_build
cd "$bin"
# The size figure is that of the shipped 32-bit DLL, whichever build runs here.
$WINE bench.exe --product "Z:$root/build/bin/QIMAPI.dll" "$@" </dev/null
