#!/usr/bin/env bash
# Builds QIMAPI and its benchmark, then measures under Wine on a headless display what the DLL
# costs its host: loading, reading the descriptors, calls, bytes. Prints a table of figures and a
# last line "k/n goals met". Where this machine cannot run the shipped 32-bit DLL, the table of
# the 64-bit build is followed by the shipped file's, measured in the emulated guest
# (tools/guest32.sh; QIMAPI_ROUTE=win64 leaves it out). Arguments go to bench.exe: --rounds N (9
# unless given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. tools/wine-session.sh
if [ "${1:-}" = --in ]; then      # --in BUILD: measure that build folder's programs, no build
    build=$2
    shift 2
    trap wine_session_stop EXIT
    wine_session_start "$root/$build"
    echo "== $build in a $WINEARCH prefix${QIMAPI_GUEST:+, emulated guest}"
    cd "$build/bin"
    # The size figure is that of the shipped 32-bit DLL, whichever build runs here.
    $WINE bench.exe --product "Z:$root/build/bin/QIMAPI.dll" "$@" </dev/null
    exit
fi
tests=$(tools/build.sh)
tools/bench.sh --in "$tests" "$@"
if [ -n "$QIMAPI_GUEST_ROUTE" ]; then
    tools/setup.sh guest
    tools/guest32.sh image
    args=""
    [ $# -eq 0 ] || args=$(printf ' %q' "$@")
    tools/guest32.sh run 3000 "tools/bench.sh --in build$args"
fi
