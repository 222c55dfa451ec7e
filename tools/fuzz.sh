#!/usr/bin/env bash
# Fuzzes the library's text routines: builds their fuzz targets natively with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz, and runs each for SECONDS
# seconds (default 60) from its seed corpus in tests/. Exits non-zero on any finding; the input
# that caused it is left in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tools/setup.sh >&2
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None >/dev/null
cmake --build build/fuzz -j2 >/dev/null

targets=(frame/keyword launch/help_number launch/browser_command sysinfo/version_text
         sysinfo/wanted_style files/drive_path)
mkdir -p build/fuzz/findings
status=0
for target in "${targets[@]}"; do
    name=${target#*/}
    corpus=build/fuzz/corpus/$name          # grows as the fuzzer finds new paths; the seeds stay
    mkdir -p "$corpus"
    log=build/fuzz/$name.log
    if build/fuzz/${name}_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
           -artifact_prefix=build/fuzz/findings/"$name"- "$corpus" "tests/${target%/*}/corpus/$name" \
           >"$log" 2>&1; then
        echo "$name: $(grep -o 'Done [0-9]* runs' "$log" | tail -1 | grep -o '[0-9]*') runs in ${seconds} s, nothing found"
    else
        echo "$name: FINDING (see $log and build/fuzz/findings/)"
        tail -20 "$log" >&2
        status=1
    fi
done
exit $status
