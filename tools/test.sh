#!/usr/bin/env bash
# Builds QIMAPI and its tests, then runs every test under Wine on a headless display.
set -euo pipefail
cd "$(dirname "$0")/.."
tests=$(tools/build.sh)
. tools/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$PWD/$tests"
echo "Testing in $tests ($WINEARCH prefix)"
ctest --test-dir "$tests" -j2 --output-on-failure "$@"
