#!/usr/bin/env bash
# quillet-port-check.exe under Wine against meter-sim on a pseudo terminal
# linked as a COM port of the prefix: a reading on a port above COM9, an
# unconvertible reply, a port that does not exist and a bad command line, each
# with its exit status and the report lines that name the outcome; /?, /H
# and -Help as help.
#
# usage: port_check_wine.sh METER_SIM PORT_CHECK_EXE   (WINEPREFIX: a prepared prefix)
source "$(dirname "$0")/../lib/job.sh"
job_init "$2" "$1"

run() {  # expected exit status, arguments...
    local want=$1 status=0
    shift
    # Output to a file, never a pipe (Wine's background services inherit it);
    # the console program's line ends are CR LF.
    wine "$utility" "$@" >"$work/raw" 2>&1 </dev/null || status=$?
    tr -d '\r' <"$work/raw" >"$job.out"
    ((status == want)) || failed "$*: exit status $status, expected $want"
}
expect() {  # a line the last report must hold (a grep pattern)
    grep -qE -- "$1" "$job.out" || { failed "missing: $1"; cat "$job.out"; }
}

start_meter reading 12 "$ports" --reading '0\r+1.2345 kOhms\r'
run 0 COM12 --unit "1000 Ohms"
expect '^Port: +COM12 -> \\\\\.\\COM12$'
expect '^In use: +no other program holds it$'
expect '^Query 2: +sent "QM\\r", 1 attempt$'
expect '^Conversion: .* into "1000 Ohms" gives "1234\.5Ohms"$'
expect '^Result: +a reading$'
stop_meter reading

start_meter unconvertible 12 "$ports" --reading '12.345\r'
run 3 COM12 --unit "1 V"
expect '^Conversion: +"12\.345\\r" into "1 V" fails: reply has no blank'
expect '^Result: +the reply cannot be converted'
stop_meter unconvertible

run 4 COM9
expect '^Device: +no such port on this computer'
expect '^Result: +the port cannot be opened'

run 2
run 2 COM100
run 0 --version
expect '^quillet-port-check [0-9]+\.[0-9]+\.[0-9]+$'
for help in '/?' /H -Help; do
    run 0 "$help"
    check_windows_help "$job.out"
done
job_end
