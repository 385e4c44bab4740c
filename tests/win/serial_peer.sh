#!/usr/bin/env bash
# Runs the Win32 serial control's tests under Wine against meter-sim, whose
# reply holds every byte value 0 to 255, on a pseudo terminal mapped as COM7.
# A second step runs the hang-up test: meter-sim is stopped once the query
# has arrived; a third the discarding of bytes sent before the open.
# usage: serial_peer.sh METER_SIM TEST_EXE      (WINEPREFIX: a prepared prefix)
source "$(dirname "$0")/../lib/job.sh"
job_init "$2" "$1"
export QUILLET_TEST_PORT=7

reply=''
for ((value = 0; value < 256; value++)); do reply+=$(printf '\\x%02X' "$value"); done
start_meter every_byte 7 "$ports" --reading "$reply"
status=0
wine "$utility" >"$work/out" 2>&1 || status=$?
cat "$work/out"
stop_meter every_byte

start_meter hang_up 7 "$ports" --silent
QUILLET_HANGUP_TEST=1 wine "$utility" --gtest_filter='*HungUp*' >"$work/out" 2>&1 &
test_pid=$!
for _ in $(seq 200); do (($(queries hang_up))) && break; sleep 0.05; done
stop_meter hang_up
wait "$test_pid" || status=$?
cat "$work/out"

# Bytes sent before the port is opened, given time to arrive.
start_meter stale 7 "$ports" --silent --unsolicited 'stale reply\r'
sleep 0.3
QUILLET_STALE_TEST=1 wine "$utility" --gtest_filter='*Discards*' >"$work/out" 2>&1 || status=$?
cat "$work/out"
exit $status
