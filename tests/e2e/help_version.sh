#!/usr/bin/env bash
# A lone help option (-h, -help, -?, --help) or --version prints and ends: no
# ExtCtrl.dat is read or made, and the meter on the default port COM1 receives
# nothing. The Windows build (EXE) runs under Wine and prints to a redirected
# standard output; there the slash forms in any case are help too, and the
# help names the Windows places only.
#
# usage: help_version.sh UTILITY|EXE METER_SIM
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"

start_meter meter 1 "$ports"
helps=(-h -help '-?') && [[ -z $dosdevices ]] || helps+=('/?' /h /HELP -H --Help)
for option in --help --version "${helps[@]}"; do
    utility_args=("$option")
    run_utility 20
    cp "$job.out" "$work/out${option//[\/?]/_}"
done
for option in "${helps[@]}"; do
    cmp -s "$work/out${option//[\/?]/_}" "$work/out--help" || failed "$option is not --help"
done
[[ -z $dosdevices ]] || check_windows_help "$work/out--help"
grep -q '^Usage: \(quillet-reading-utility\|"Quillet Reading Utility.exe"\)' "$work/out--help" || failed "no usage"
grep -qE '^quillet-reading-utility [0-9]+\.[0-9]+\.[0-9]+$' "$work/out--version" || failed "no version line"
sleep 0.3
[[ -z $(ls -A "$job") ]] || failed "job directory changed: $(ls -A "$job")"
[[ ! -s $work/meter.log ]] || failed "the meter received: $(<"$work/meter.log")"
job_end
