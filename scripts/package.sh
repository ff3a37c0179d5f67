#!/usr/bin/env bash
# Builds the Debian package of the program (kestrin_VERSION_ARCH.deb) into
# build-package/, with the Debian packages it depends on worked out from the
# program itself. Install it with: sudo apt install ./build-package/kestrin_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRIN_PACKAGE_DIR:-$root/build-package}
"$root/scripts/install-deps.sh" --package
# CPack installs without building everything first: the package holds only
# the program, built just before.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRIN_BUILD_TESTS=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target kestrin
(cd "$build" && cpack -G DEB)
