# Sourced by the scripts that start the simulated transmitter beside the
# program. start_simulator BUILD [options...] starts it in the current folder
# on the link ./ttyKESTRIN, with its control pipe ./sim.ctl and its log
# ./sim.log, waits until the link is there, and leaves its process id in $sim.
start_simulator() {
    local build=$1
    shift
    rm -f sim.ctl
    "$build/tools/transmitter-sim/transmitter-sim" "$@" --no-stdin --control sim.ctl \
        --log sim.log ttyKESTRIN >sim.out 2>&1 &
    sim=$!
    for _ in $(seq 50); do
        grep -q '^ready' sim.out 2>/dev/null && return 0
        sleep 0.1
    done
    echo "The simulated transmitter did not start:" >&2
    cat sim.out >&2
    return 1
}
