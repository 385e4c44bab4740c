#!/usr/bin/env bash
# With no ExtCtrl.dat the job still runs: the empty port name selects no port,
# so the stored port 1 is used, the empty target gives the base unit, and the
# file is left holding one zero record with the result.
set -euo pipefail
utility=$1 meter_sim=$2

work=$(mktemp -d)
sim_pid=''
trap '[[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/station
mkdir -p "$XDG_CONFIG_HOME/quillet/ports" "$work/job"

"$meter_sim" --port-dir "$XDG_CONFIG_HOME/quillet/ports" --port 1 \
    --reading '0\r+1.2345 kOhms\r' >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done

(cd "$work/job" && env -u DISPLAY "$utility") >"$work/out"

fail=0
expected=$'Reading from 189...\n\nReading = 1234.5\n\nPassing reading to Vantor...'
if [[ $(cat "$work/out") != "$expected" ]]; then
    echo "status text:"; cat "$work/out"; fail=1
fi
{ head -c 140 /dev/zero; printf '%-20s' 1234.5; head -c 55 /dev/zero; } >"$work/expected.dat"
if ! cmp "$work/expected.dat" "$work/job/ExtCtrl.dat"; then
    od -A d -c "$work/job/ExtCtrl.dat"; fail=1
fi
exit $fail
