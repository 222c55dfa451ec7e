#!/usr/bin/env bash
# Builds QIMAPI and its tests, then runs every test under Wine on a headless display. Arguments
# go to ctest (tools/test.sh -R SendMsg runs a subset); without any, a one-round run of the
# benchmark follows, to show that it still runs (its figures mean little after one round), a
# soak of 100 calls of each export, and 20 seconds of fuzzing for each text routine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tests=$(tools/build.sh)
. tools/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/$tests"
echo "Testing in $tests ($WINEARCH prefix)"
ctest --test-dir "$tests" -j2 --output-on-failure "$@"
if [ $# -eq 0 ]; then
    echo "Benchmark smoke run (one round):"
    (cd "$tests/bin" && $WINE bench.exe --rounds 1 --product "Z:$root/build/bin/QIMAPI.dll" </dev/null)
    # Every unattended export 100 times: fails the run when one of them kept something.
    echo "Soak smoke run (100 calls of each export):"
    (cd "$tests/bin" && $WINE soak.exe --calls 100 </dev/null)
    echo "Fuzzing the text routines (20 s each):"
    tools/fuzz.sh 20
fi
