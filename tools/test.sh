#!/usr/bin/env bash
# Builds QIMAPI and its tests, then runs every test under Wine on a headless display. Arguments
# go to ctest (tools/test.sh -R SendMsg runs a subset); without any, each route also runs the
# benchmark for one round and a soak of 100 calls of each export, and 20 seconds of fuzzing for
# each text routine follow.
#
# Routes: where this machine runs 32-bit x86 code, everything runs in a win32 prefix from build/.
# Where it cannot, the 64-bit build of the same sources (build/x64) runs in a win64 prefix here,
# and then the shipped 32-bit build (build/) in a win32 prefix in an emulated guest
# (tools/guest32.sh). QIMAPI_ROUTE=guest takes both routes also where 32-bit code runs;
# QIMAPI_ROUTE=win64 takes the 64-bit route alone (a quick local run).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
. tools/wine-session.sh
guest=$QIMAPI_GUEST_ROUTE
args=""                                   # the arguments, quoted for the guest's command line
[ $# -eq 0 ] || args=$(printf ' %q' "$@")

# Every step is a job in a session of its own, waited for here: a stop (Ctrl-C, a time limit, a
# kill) ends each job whole, the guest and the Wine sessions included, before this script exits.
jobs_started=()
start_job() {                             # sets job
    setsid "$@" &
    job=$!
    jobs_started+=("$job")
}
run_job() {
    start_job "$@"
    wait "$job"
}
stop_jobs() {
    local started
    for started in "${jobs_started[@]}"; do kill -TERM -- "-$started" 2>/dev/null || true; done
    wait
}
trap stop_jobs EXIT
trap 'exit 130' INT; trap 'exit 143' TERM; trap 'exit 129' HUP

start=$SECONDS
mkdir -p build/x64
rm -f build/suite.summary build/x64/suite.summary
if [ -n "$guest" ]; then
    # The guest route runs beside this machine's: its image is made (once per machine) while
    # this machine builds, and its tests start as soon as the image and build/ are both ready.
    # Its output is shown when it ends.
    tools/setup.sh guest
    mkdir -p build/guest32
    rm -f build/guest32/built
    start_job bash -c 'tools/guest32.sh image && until [ -e build/guest32/built ]; do sleep 2; done &&
                       tools/guest32.sh run 2400 "$1"' guest "tools/suite.sh build$args" \
        > build/guest32/route.log 2>&1
    route=$job
fi

QIMAPI_BUILT_MARK=${guest:+build/guest32/built} run_job tools/build.sh > build/tests-folder
tests=$(cat build/tests-folder)
status=0
run_job tools/suite.sh "$tests" "$@" || status=1
if [ $# -eq 0 ]; then
    echo "== Fuzzing the text routines (20 s each):"
    run_job tools/fuzz.sh 20 || status=1
fi
here=$((SECONDS - start))

if [ -n "$guest" ]; then
    echo "== The shipped 32-bit build: win32 prefix, emulated guest"
    waited=$SECONDS
    wait "$route" || status=1
    cat build/guest32/route.log
    echo "guest32: waited $((SECONDS - waited)) s for the guest after the tests here"
fi
echo "== Summary"
for summary in "$tests/suite.summary" ${guest:+build/suite.summary}; do
    cat "$summary" 2>/dev/null || echo "$summary: the route ended before its summary"
done
echo "this machine's route: $here s; the whole run: $((SECONDS - start)) s"
exit $status
