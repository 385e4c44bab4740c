#!/usr/bin/env bash
# The Windows program with a lone --help or --version under Wine: prints (to a
# redirected standard output) and ends; no ExtCtrl.dat is read or made, and
# the meter on COM1, the port of an empty job, receives nothing.
#
# usage: help_version_wine.sh EXE METER_SIM   (WINEPREFIX: a prepared prefix)
set -euo pipefail
exe=$(realpath "$1") meter_sim=$2
: "${WINEPREFIX:?help_version_wine.sh needs WINEPREFIX}"
export WINEDEBUG=-all
link=$WINEPREFIX/dosdevices/com1

work=$(mktemp -d)
sim_pid=''
trap '[[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null; rm -f "$link"; rm -rf "$work"' EXIT
mkdir "$work/job"
"$meter_sim" --port-dir "$work" --port 1 --log "$work/meter.log" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
[[ -s $work/sim.out ]] || { echo "meter-sim did not start"; exit 1; }
ln -s "$(head -n 1 "$work/sim.out")" "$link"
touch "$work/meter.log"

fail=0
for option in --help --version; do
    (cd "$work/job" && exec wine "$exe" "$option" >"$work/raw" 2>/dev/null </dev/null) ||
        { echo "$option failed"; fail=1; }
    tr -d '\r' <"$work/raw" >"$work/out$option"
done
grep -q '^Usage: quillet-reading-utility' "$work/out--help" || { echo "no usage line"; fail=1; }
grep -qE '^quillet-reading-utility [0-9]+\.[0-9]+\.[0-9]+$' "$work/out--version" ||
    { echo "no version line:"; cat "$work/out--version"; fail=1; }
sleep 0.3
[[ -z $(ls -A "$work/job") ]] || { echo "job directory changed:"; ls -A "$work/job"; fail=1; }
[[ ! -s $work/meter.log ]] || { echo "the meter was queried:"; cat "$work/meter.log"; fail=1; }
exit $fail
