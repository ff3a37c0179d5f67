#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: first as
# the program is normally built (build/), then built with AddressSanitizer
# and UndefinedBehaviorSanitizer (build-asan/), where any report fails its
# test and the full soak runs under LeakSanitizer, then every fuzz target
# for a short bounded time (build-fuzz/).
#
# Usage: test.sh [normal | sanitized | fuzz]...   (default: all three, in order)
# KESTRIN_FUZZ_SECONDS sets the time per fuzz target (default 20).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests

stages=("$@")
[[ ${#stages[@]} -eq 0 ]] && stages=(normal sanitized fuzz)
for stage in "${stages[@]}"; do
    echo "=== $stage"
    case $stage in
        normal)
            build=${KESTRIN_BUILD_DIR:-$root/build}
            # The benchmarks are built too, so that they keep up with the
            # test fixtures they share.
            KESTRIN_BUILD_DIR=$build \
                KESTRIN_CMAKE_ARGS="-DKESTRIN_BUILD_BENCHMARKS=ON ${KESTRIN_CMAKE_ARGS:-}" \
                "$root/scripts/build.sh"
            # The full soak runs in the sanitized stage, under LeakSanitizer.
            (cd "$build" && ctest --output-on-failure -j"$(nproc)" -LE soak)
            ;;
        sanitized)
            build=${KESTRIN_ASAN_BUILD_DIR:-$root/build-asan}
            KESTRIN_BUILD_DIR=$build KESTRIN_CMAKE_ARGS="-DKESTRIN_SANITIZE=ON ${KESTRIN_CMAKE_ARGS:-}" \
                "$root/scripts/build.sh"
            (cd "$build" && ctest --output-on-failure -j"$(nproc)" &&
                grep -h '^soak:' Testing/Temporary/LastTest.log)
            ;;
        fuzz)
            "$root/scripts/fuzz.sh" "${KESTRIN_FUZZ_SECONDS:-20}"
            ;;
        *)
            echo "unknown stage: $stage (normal, sanitized or fuzz)" >&2
            exit 2
            ;;
    esac
done
