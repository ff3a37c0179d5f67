#!/usr/bin/env bash
# Installs what is missing, builds, and starts Calibrator Kestrin.
#
# With no transmitter named, the program runs on the simulated transmitter:
# the simulator's link becomes COM1 and the program starts with COM1 open, in
# the folder build/run-sim (which holds its settings file and the simulator's
# log). To use a real transmitter, name its device as COM1, for example
#     KESTRIN_COM1=/dev/ttyUSB0 scripts/run.sh
# and the program runs in the current folder, with its own settings file.
#
# scripts/run.sh --bench N opens a bench of N simulated transmitters instead
# (in build/run-bench, each with its control pipe ctlK beside its link ttyK);
# scripts/run.sh --bench DEVICE... a bench on those devices.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRIN_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" kestrin transmitter-sim

if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found. Start this from a desktop session (or set QT_QPA_PLATFORM)." >&2
    exit 1
fi

if [[ "${1:-}" == --bench ]]; then
    shift
    if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
        run=$build/run-bench
        mkdir -p "$run"
        cd "$run"
        sims=()
        links=()
        trap 'kill "${sims[@]}" 2>/dev/null; wait 2>/dev/null' EXIT
        for i in $(seq "$1"); do
            rm -f "ctl$i"
            "$build/tools/transmitter-sim/transmitter-sim" --seed "$i" --no-stdin \
                --control "ctl$i" --log "sim$i.log" "tty$i" >"sim$i.out" 2>&1 &
            sims+=($!)
            links+=("$run/tty$i")
        done
        for i in $(seq "$1"); do
            for _ in $(seq 50); do grep -q '^ready' "sim$i.out" 2>/dev/null && break; sleep 0.1; done
        done
        echo "Simulated transmitters on $run/tty1 to tty$1."
        echo "Change the gas one sees with:  echo 'gas 2000' > $run/ctl1"
        "$build/src/kestrin" --bench "${links[@]}"
        exit
    fi
    exec "$build/src/kestrin" --bench "$@"
fi

if [[ -n "${KESTRIN_COM1:-}" ]]; then
    exec "$build/src/kestrin"
fi

run=$build/run-sim
mkdir -p "$run"
cd "$run"
# shellcheck source=simulator.sh
source "$root/scripts/simulator.sh"
sim=
trap '[[ -n "$sim" ]] && kill $sim 2>/dev/null; wait 2>/dev/null' EXIT
start_simulator "$build" --log-replies
printf 'COM1:9600,N,8,1' >kestrin.ini
echo "Simulated transmitter on $run/ttyKESTRIN."
echo "Change the gas it sees with:  echo 'gas 2000' > $run/sim.ctl  (see its --help)"
KESTRIN_COM1=$run/ttyKESTRIN "$build/src/kestrin"
