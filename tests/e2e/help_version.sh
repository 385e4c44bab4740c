#!/usr/bin/env bash
# A lone --help or --version prints and ends: no ExtCtrl.dat is read or made,
# and the meter on the default port COM1 receives nothing.
set -euo pipefail
utility=$1 meter_sim=$2

work=$(mktemp -d)
sim_pid=''
trap '[[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/station
mkdir -p "$XDG_CONFIG_HOME/quillet/ports" "$work/job"
"$meter_sim" --port-dir "$XDG_CONFIG_HOME/quillet/ports" --port 1 --log "$work/meter.log" \
    >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
touch "$work/meter.log"

fail=0
(cd "$work/job" && env -u DISPLAY "$utility" --help) >"$work/help" || { echo "--help failed"; fail=1; }
(cd "$work/job" && env -u DISPLAY "$utility" --version) >"$work/version" || { echo "--version failed"; fail=1; }
grep -q '^Usage: quillet-reading-utility' "$work/help" || { echo "no usage line"; fail=1; }
grep -qE '^quillet-reading-utility [0-9]+\.[0-9]+\.[0-9]+$' "$work/version" || { echo "no version"; fail=1; }
sleep 0.3
[[ -z $(ls -A "$work/job") ]] || { echo "job directory changed:"; ls -A "$work/job"; fail=1; }
[[ ! -s $work/meter.log ]] || { echo "the meter was queried:"; cat "$work/meter.log"; fail=1; }
exit $fail
