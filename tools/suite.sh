#!/usr/bin/env bash
# Runs the tests of one build folder under Wine on a headless display on this machine: every
# CTest test, then, without arguments, a one-round run of the benchmark, to show that it still
# runs (its figures mean little after one round), and a soak of 100 calls of each export.
# Used by tools/test.sh, here and in the emulated 32-bit guest. Arguments after the folder go to
# ctest. Leaves a line of summary in BUILD/suite.summary.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$1
shift
. tools/wine-session.sh
trap wine_session_stop EXIT
trap 'exit 130' INT; trap 'exit 143' TERM; trap 'exit 129' HUP   # the EXIT trap runs for these too
rm -f "$build/suite.summary"
start=$SECONDS
wine_session_start "$root/$build"
route="$build in a $WINEARCH prefix${QIMAPI_GUEST:+, emulated guest}, $($WINE --version)"
echo "== Testing $route (session up in $((SECONDS - start)) s)"
start=$SECONDS
status=0
ctest --test-dir "$build" -j2 --output-on-failure --no-tests=error "$@" 2>&1 | tee "$build/ctest.log" ||
    status=1
took=$((SECONDS - start))
echo "== ctest took $took s"
if [ $# -eq 0 ]; then
    echo "== Benchmark smoke run (one round):"
    (cd "$build/bin" && $WINE bench.exe --rounds 1 --product "Z:$root/build/bin/QIMAPI.dll" </dev/null) || status=1
    # Every unattended export 100 times: fails the run when one of them kept something.
    echo "== Soak smoke run (100 calls of each export):"
    (cd "$build/bin" && $WINE soak.exe --calls 100 </dev/null) || status=1
fi
result=$(grep -E 'tests passed|No tests were found' "$build/ctest.log" | tail -1)
echo "$route: ${result:-ctest ended early}; ctest $took s; status $status" > "$build/suite.summary"
exit $status
