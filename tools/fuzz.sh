#!/usr/bin/env bash
# Fuzzes the library's text routines: builds their fuzz targets natively with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz, and runs each for SECONDS
# seconds (default 60), all at once, from its seed corpus in tests/. Exits non-zero on any
# finding; the input that caused it is left in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tools/setup.sh >&2
cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None >/dev/null
cmake --build build/fuzz -j2 >/dev/null

targets=(frame/keyword launch/help_number launch/browser_command sysinfo/version_text
         sysinfo/wanted_style files/drive_path files/file_version_text)
mkdir -p build/fuzz/findings

# Runs one target; its corpus in build/fuzz grows as the fuzzer finds new paths, the seeds stay.
fuzz_target() {
    local target=$1 name=${1#*/}
    local corpus=build/fuzz/corpus/$name log=build/fuzz/$name.log
    mkdir -p "$corpus"
    if build/fuzz/${name}_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
           -artifact_prefix=build/fuzz/findings/"$name"- "$corpus" "tests/${target%/*}/corpus/$name" \
           >"$log" 2>&1; then
        echo "$name: $(grep -o 'Done [0-9]* runs' "$log" | tail -1 | grep -o '[0-9]*') runs in ${seconds} s, nothing found"
    else
        echo "$name: FINDING (see $log and build/fuzz/findings/)"
        tail -20 "$log" >&2
        return 1
    fi
}

# All targets at once, sharing the processors: the wall time is SECONDS, whatever their number.
pids=()
for target in "${targets[@]}"; do
    fuzz_target "$target" &
    pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
