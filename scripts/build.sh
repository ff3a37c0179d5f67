#!/usr/bin/env bash
# Configures and builds into build/ (or $KESTRIN_BUILD_DIR); builds only the
# targets named, or everything. Extra configure options come from
# $KESTRIN_CMAKE_ARGS, e.g. KESTRIN_CMAKE_ARGS=-DKESTRIN_SANITIZE=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRIN_BUILD_DIR:-$root/build}
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KESTRIN_CMAKE_ARGS:-} >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
