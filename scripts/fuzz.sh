#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) into build-fuzz/ and runs each
# one for a bounded time, starting from the seed corpus in fuzz/corpus and
# from what earlier runs found (kept in build-fuzz/corpus). Fails if any
# target finds a crash or a violated property; the input that did it is left
# in build-fuzz/artifacts.
#
# Usage: fuzz.sh [seconds per target, default 25] [target...]
#   targets: leading_number reading_record value_reply listing settings_file
#            parameter_file units (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRIN_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-25}
[[ $# -gt 0 ]] && shift
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    targets=(leading_number reading_record value_reply listing settings_file parameter_file units)
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIN_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

mkdir -p "$build/artifacts"
summary=()
status=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10
             -artifact_prefix="$build/artifacts/$target-")
    case $target in
        reading_record | value_reply | listing) options+=(-dict="$root/fuzz/replies.dict") ;;
    esac
    log=$build/artifacts/$target.log
    echo "== fuzz_$target for ${seconds}s"
    if ! "$build/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        status=1
        tail -n 40 "$log"
        summary+=("$(printf '%-16s FAILED, see %s' "$target" "$log")")
        continue
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    time=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    entries=$(find "$corpus" -type f | wc -l)
    summary+=("$(printf '%-16s %10s runs  %7s runs/s  %5s corpus entries' \
        "$target" "$runs" "$time" "$entries")")
done
printf '%s\n' "${summary[@]}"
exit $status
