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
# shellcheck source=simulator.sh
source "$root/scripts/simulator.sh"
start_simulator "$build" --seed 7 --calibrated
# The settings file is named after the program that reads it.
printf 'COM1:9600,N,8,1' >kestrin-screenshots.ini
echo "Taking the pictures (about three minutes)..."
KESTRIN_COM1=$run/ttyKESTRIN QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s '-screen 0 1280x1024x24' \
    "$build/tools/screenshots/kestrin-screenshots" --control "$run/sim.ctl" --out "$out"

# The bench: six simulated transmitters in one chamber, each on its own link.
benchArgs=()
benchSims=()
for i in 1 2 3 4 5 6; do
    rm -f "ctl$i"
    "$build/tools/transmitter-sim/transmitter-sim" --seed "$i" --calibrated --baud 9600 \
        --no-stdin --control "ctl$i" --log "sim$i.log" "tty$i" >"sim$i.out" 2>&1 &
    benchSims+=($!)
    benchArgs+=(--bench "$run/tty$i:$run/ctl$i")
done
for i in 1 2 3 4 5 6; do
    for _ in $(seq 50); do grep -q '^ready' "sim$i.out" 2>/dev/null && break; sleep 0.1; done
done
echo "Taking the bench's picture (about a minute)..."
QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x1024x24' \
    "$build/tools/screenshots/kestrin-screenshots" "${benchArgs[@]}" --out "$out" || true
kill "${benchSims[@]}" 2>/dev/null || true
