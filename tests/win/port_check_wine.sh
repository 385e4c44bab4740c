#!/usr/bin/env bash
# quillet-port-check.exe under Wine against meter-sim on a pseudo terminal
# linked as a COM port of the prefix: a reading on a port above COM9, an
# unconvertible reply, a port that does not exist and a bad command line, each
# with its exit status and the report lines that name the outcome.
#
# usage: port_check_wine.sh METER_SIM PORT_CHECK_EXE   (WINEPREFIX: a prepared prefix)
set -euo pipefail
meter_sim=$1 check=$2
: "${WINEPREFIX:?port_check_wine.sh needs WINEPREFIX}"
export WINEDEBUG=-all
link=$WINEPREFIX/dosdevices/com12

work=$(mktemp -d)
sim_pid=''
stop_meter() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    sim_pid=''
    rm -f "$link"
}
trap 'stop_meter; rm -rf "$work"' EXIT

start_meter() {  # meter-sim options...
    : >"$work/sim.out"
    "$meter_sim" --port-dir "$work" --port 12 --log "$work/meter.log" "$@" >"$work/sim.out" &
    sim_pid=$!
    for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
    [[ -s $work/sim.out ]] || { echo "meter-sim did not start"; exit 1; }
    ln -s "$(head -n 1 "$work/sim.out")" "$link"
}

fail=0
run() {  # expected exit status, arguments...
    local want=$1 status=0
    shift
    # Output to a file, never a pipe (Wine's background services inherit it);
    # the console program's line ends are CR LF.
    wine "$check" "$@" >"$work/raw" 2>&1 </dev/null || status=$?
    tr -d '\r' <"$work/raw" >"$work/out"
    if ((status != want)); then echo "$*: exit status $status, expected $want"; fail=1; fi
}
expect() {  # a line the last report must hold (a grep pattern)
    grep -qE -- "$1" "$work/out" || { echo "missing: $1"; cat "$work/out"; fail=1; }
}

start_meter --reading '0\r+1.2345 kOhms\r'
run 0 COM12 --unit "1000 Ohms"
expect '^Port: +COM12 -> \\\\\.\\COM12$'
expect '^In use: +no other program holds it$'
expect '^Query 2: +sent "QM\\r", 1 attempt$'
expect '^Conversion: .* into "1000 Ohms" gives "1234\.5Ohms"$'
expect '^Result: +a reading$'
stop_meter

start_meter --reading '12.345\r'
run 3 COM12 --unit "1 V"
expect '^Conversion: +"12\.345\\r" into "1 V" fails: reply has no blank'
expect '^Result: +the reply cannot be converted'
stop_meter

run 4 COM9
expect '^Device: +no such port on this computer'
expect '^Result: +the port cannot be opened'

run 2
run 2 COM256
run 0 --version
expect '^quillet-port-check [0-9]+\.[0-9]+\.[0-9]+$'
exit $fail
