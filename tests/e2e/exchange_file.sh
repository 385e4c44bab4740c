#!/usr/bin/env bash
# The whole job with an ExtCtrl.dat that is no ordinary writable record.
#
# usage: exchange_file.sh UTILITY METER_SIM CASE
#   fifo       a FIFO stands where the record should be: the job runs on the
#              zero record (stored port 1, base unit), ends at once with exit
#              status 0, and leaves the FIFO as the only entry of the directory
#   read_only  a record the user may read but not write: the job reads it,
#              queries the meter on the port it names and shows the reading;
#              the write-back fails and the record stays byte for byte as it was
#              (run as the unprivileged user nobody when the test runs as root)
set -euo pipefail
utility=$1 meter_sim=$2 case=$3

work=$(mktemp -d)
sim_pid=''
cleanup() {
    [[ -z $sim_pid ]] || kill "$sim_pid" 2>/dev/null || true
    [[ -z $sim_pid ]] || wait "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/station
ports=$XDG_CONFIG_HOME/quillet/ports
mkdir -p "$ports" "$work/job"

# Root may write any file: the job then runs as the unprivileged user, and so
# does the meter, so that its terminal is that user's to open.
as_user=()
if ((EUID == 0)) && [[ $case == read_only ]]; then
    command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 ||
        { echo "skipped: no setpriv or no user nobody"; exit 77; }
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    chmod 755 "$work"
    chown -R nobody "$work/config"
fi

start_meter() {  # COM number
    "${as_user[@]}" "$meter_sim" --port-dir "$ports" --port "$1" --log "$ports/meter.log" \
        --reading '0\r+1.2345 kOhms\r' >"$work/sim.out" &
    sim_pid=$!
    for _ in $(seq 100); do [[ -s $work/sim.out ]] && return; sleep 0.05; done
    echo "meter-sim did not start"; exit 1
}

status=0
run_job() {  # runs the utility in the job directory, at most 20 s
    (cd "$work/job" && timeout -k 2 20 "${as_user[@]}" env -u DISPLAY "$utility") \
        >"$work/out" || status=$?
}

fail=0
check() {  # expected status text
    if ((status != 0)); then echo "exit status $status, expected 0"; fail=1; fi
    if [[ $(cat "$work/out") != "$1" ]]; then
        echo "--- status text expected"; printf '%s\n' "$1"
        echo "--- got"; cat "$work/out"
        fail=1
    fi
}

case $case in
fifo)
    mkfifo "$work/job/ExtCtrl.dat"
    start_meter 1
    run_job
    check $'Reading from 189...\n\nReading = 1234.5\n\nPassing reading to Vantor...'
    [[ -p $work/job/ExtCtrl.dat ]] || { echo "ExtCtrl.dat is no longer a FIFO"; fail=1; }
    entries=$(ls -A "$work/job")
    [[ $entries == ExtCtrl.dat ]] || { echo "job directory holds: $entries"; fail=1; }
    ;;
read_only)
    # The host's record: target 1000 Ohms, port COM5, every other byte marked.
    {
        printf '%-20s' Text1 Text2 '1000 Ohms' Text4 Text5 Text6 Text7 '(no result yet)'
        printf '\x09\x00TX%-20s\x0c\x00%-20s\x0e\x00\x0f\x00COM5 ' Text11 Text13
    } >"$work/job/ExtCtrl.dat"
    chmod 444 "$work/job/ExtCtrl.dat"
    cp -p "$work/job/ExtCtrl.dat" "$work/before.dat"
    start_meter 5
    run_job
    check $'Reading from 189...\n\nReading = 1234.5Ohms\n\nPassing reading to Vantor...'
    queries=$(grep -c QM "$ports/meter.log" || true)
    ((queries == 2)) || { echo "the meter on COM5 got $queries queries, expected 2"; fail=1; }
    cmp "$work/before.dat" "$work/job/ExtCtrl.dat" || { echo "the record changed"; fail=1; }
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
exit $fail
