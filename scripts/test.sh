#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
"$root/scripts/build.sh"
cd "${KESTRIN_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j"$(nproc)"
