#!/usr/bin/env bash
# Retakes the README's pictures (docs/*.png): the program's window on the
# simulated transmitter, under a virtual X server, in real time (about three
# minutes: the trend and the zero run need their readings). Run it after a
# change to the window. Usage: screenshots.sh [folder]   (default: docs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/docs}" && cd "${1:-$root/docs}" && pwd)
build=${KESTRIN_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --tests
"$root/scripts/build.sh" kestrin-screenshots transmitter-sim

run=$(mktemp -d)
sim=
cleanup() {
    [[ -n "$sim" ]] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$run"
}
trap cleanup EXIT
cd "$run"
# A fixed seed: the same noise, so a retaken picture differs only where the
# window has changed.
"$build/tools/transmitter-sim/transmitter-sim" --seed 7 --calibrated --no-stdin \
    --control sim.ctl --log sim.log ttyKESTRIN >sim.out 2>&1 &
sim=$!
for _ in $(seq 50); do
    grep -q '^ready' sim.out 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^ready' sim.out; then
    echo "The simulated transmitter did not start:" >&2
    cat sim.out >&2
    exit 1
fi
# The settings file is named after the program that reads it.
printf 'COM1:9600,N,8,1' >kestrin-screenshots.ini
echo "Taking the pictures (about three minutes)..."
KESTRIN_COM1=$run/ttyKESTRIN QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s '-screen 0 1280x1024x24' \
    "$build/tools/screenshots/kestrin-screenshots" --control "$run/sim.ctl" --out "$out"
