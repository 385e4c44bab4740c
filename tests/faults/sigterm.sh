#!/usr/bin/env bash
# SIGTERM to the real utility in the middle of a job: whenever it comes, the
# record is either untouched or completely written with the result, never
# half-written, and nothing else in the directory changes.
#
# usage: sigterm.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3
file=$job/ExtCtrl.dat
reading='0\r+1.2345 kOhms\r'

record '1000 Ohms' COM5 >"$file"
cp "$file" "$work/original"

utility_pid() {  # the utility itself: the child of the timeout that runs it
    local children _
    for _ in $(seq 500); do
        children=$(cat "/proc/$job_pid/task/$job_pid/children" 2>/dev/null || true)
        [[ -n $children ]] && { echo "${children%% *}"; return; }
        sleep 0.01
    done
}

terminate() {  # sends SIGTERM to the running utility, if it still runs
    kill -TERM "$1" 2>/dev/null || true
}

case $case in
first_query | second_query)
    # The meter takes 0.6 s over each reply; the signal comes while the
    # utility waits for it.
    start_meter meter 5 "$ports" --reading "$reading" --delay 0.6
    start_utility 10
    pid=$(utility_pid)
    wait_for_queries meter "$([[ $case == first_query ]] && echo 1 || echo 2)"
    sleep 0.2
    terminate "$pid"
    finish_utility 143
    ((job_status == 143)) || failed "the utility was not ended by the signal"
    check_untouched
    ;;
around_write_back)
    # The meter answers at once. A first job measures how long a job takes;
    # then each signal comes later than the last after an untouched record and
    # earlier after a written one, by 16 ms halving at each turn down to 2 ms,
    # so the signals close in on the write-back however long jobs take here.
    start_meter meter 5 "$ports" --reading "$reading"
    run_utility 10
    check_job 1234.5Ohms
    cp "$file" "$work/written"
    mkfifo "$work/never"
    exec {never}<>"$work/never"  # read -t on it: a pause without a new process
    at=$(awk -v w="$job_seconds" 'BEGIN { printf "%d", w * 1000 - 40 }') step=16 last=0 untouched=0 written=0
    for _ in $(seq 12); do
        cp "$work/original" "$file"
        start_utility 10
        pid=$(utility_pid)
        left=$(awk -v at="$at" -v a="$job_start" -v b="$EPOCHREALTIME" 'BEGIN { d = at / 1000 - (b - a); printf "%.3f", (d > 0 ? d : 0) }')
        read -t "$left" -u "$never" || true
        terminate "$pid"
        finish_utility 0 143
        if cmp -s "$file" "$work/original"; then
            untouched=$((untouched + 1)) now=1
        elif cmp -s "$file" "$work/written"; then
            written=$((written + 1)) now=-1
        else
            failed "signal at $at ms left a record that is neither the old nor the new one"
            od -A d -c "$file" | head -20
            now=$last
        fi
        ((last == 0 || now == last)) || step=$((step > 3 ? step / 2 : 2))
        at=$((at + now * step)) last=$now
    done
    echo "after the signal: $untouched records untouched, $written written (the last signal at $at ms)"
    ((untouched && written)) || failed "the signals did not fall on both sides of the write-back"
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
