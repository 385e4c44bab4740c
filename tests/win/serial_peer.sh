#!/usr/bin/env bash
# Runs the Win32 serial control's tests under Wine against meter-sim, whose
# reply holds every byte value 0 to 255, on a pseudo terminal mapped as COM7.
# A second step runs the hang-up test: meter-sim is stopped once the query
# has arrived; a third the discarding of bytes sent before the open.
# usage: serial_peer.sh METER_SIM TEST_EXE      (WINEPREFIX: a prepared prefix)
set -euo pipefail
meter_sim=$1 test_exe=$2
: "${WINEPREFIX:?serial_peer.sh needs WINEPREFIX}"
export WINEDEBUG=-all
port=7 link=$WINEPREFIX/dosdevices/com7

work=$(mktemp -d)
sim_pid=''
trap '[[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null; rm -f "$link"; rm -rf "$work"' EXIT

start_sim() {  # meter-sim options...
    "$meter_sim" --port-dir "$work/ports" --port "$port" --log "$work/meter.log" "$@" \
        >"$work/sim.out" &
    sim_pid=$!
    for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
    [[ -s $work/sim.out ]] || { echo "meter-sim did not start"; exit 1; }
    rm -f "$link"
    ln -s "$(head -n 1 "$work/sim.out")" "$link"
}

reply=''
for ((value = 0; value < 256; value++)); do reply+=$(printf '\\x%02X' "$value"); done
mkdir "$work/ports"
start_sim --reading "$reply"
status=0
QUILLET_TEST_PORT=$port wine "$test_exe" >"$work/out" 2>&1 || status=$?
cat "$work/out"
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true
sim_pid=''

: >"$work/sim.out" && rm -f "$work/meter.log"
start_sim --silent
QUILLET_TEST_PORT=$port QUILLET_HANGUP_TEST=1 wine "$test_exe" --gtest_filter='*HungUp*' \
    >"$work/out" 2>&1 &
test_pid=$!
for _ in $(seq 200); do grep -q QM "$work/meter.log" 2>/dev/null && break; sleep 0.05; done
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true
sim_pid=''
wait "$test_pid" || status=$?
cat "$work/out"

# Bytes sent before the port is opened, given time to arrive.
: >"$work/sim.out"
start_sim --silent --unsolicited 'stale reply\r'
sleep 0.3
QUILLET_TEST_PORT=$port QUILLET_STALE_TEST=1 wine "$test_exe" --gtest_filter='*Discards*' \
    >"$work/out" 2>&1 || status=$?
cat "$work/out"
exit $status
