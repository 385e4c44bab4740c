#!/usr/bin/env bash
# The meter's port fails under the real utility: the meter goes away, the
# port is held by someone else, or the port's mapping leads to no terminal.
# Every case ends with no reading ("Settling...", an empty result), exit
# status 0, the record intact and nothing else touched.
#
# usage: port_faults.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3

reading='0\r+1.2345 kOhms\r'
record '1000 Ohms' COM5 >"$job/ExtCtrl.dat"

# A map entry for COM5 that leads to no terminal: the open fails at once, and
# the meter behind the user's own COM5 entry (which the station's entry holds
# over) is never asked.
map_elsewhere() {  # what the station's COM5 entry points at
    start_meter user 5 "$ports" --reading "$reading"
    ln -s "$1" "$station_ports/COM5"
    run_utility 5
    expect_within 2
    check_job ''
    expect_queries user 0
}

case $case in
vanish_mid_reply)
    # The second reply comes in two pieces 0.6 s apart; the meter is killed
    # (its end of the pseudo terminal closed) after the first piece.
    start_meter meter 5 "$ports" --reading "$reading" --pieces 2 --piece-gap 0.6
    start_utility 10
    wait_for_queries meter 2
    sleep 0.3
    stop_meter meter KILL
    finish_utility
    expect_within 4
    check_job ''
    ;;
mapping_removed)
    # COM99 falls back to /dev/ttyS98, which no machine has, once its entry
    # has gone; the entry is removed while the first reply is on its way.
    record '1000 Ohms' COM99 >"$job/ExtCtrl.dat"
    start_meter meter 99 "$ports" --reading "$reading" --delay 0.3
    start_utility 10
    wait_for_queries meter 1
    rm "$ports/COM99"
    finish_utility
    check_job ''
    expect_queries meter 1
    ;;
flock_held)
    start_meter meter 5 "$ports" --reading "$reading"
    flock --no-fork "$ports/COM5" sleep 30 &
    pids+=($!)
    wait_until_locked "$ports/COM5"
    run_utility 5
    expect_within 2
    check_job ''
    expect_queries meter 0
    ;;
second_copy)
    # The first copy waits 0.6 s for each reply; a second copy on the same
    # port meanwhile is refused at once, and the first still gets its reading.
    start_meter meter 5 "$ports" --reading "$reading" --delay 0.6
    first=$job
    start_utility 15
    first_pid=$job_pid first_start=$job_start
    wait_for_queries meter 1
    new_job "$work/job2"
    record '1 V' COM5 >"$job/ExtCtrl.dat"
    run_utility 5
    expect_within 2
    check_job ''
    job=$first job_pid=$first_pid job_start=$first_start job_limit=15
    finish_utility
    check_job 1234.5Ohms
    expect_queries meter 2
    ;;
map_regular_file)
    printf 'a plain file, not a port\n' >"$work/plain"
    cp "$work/plain" "$work/plain.before"
    map_elsewhere "$work/plain"
    cmp "$work/plain.before" "$work/plain" || failed "the mapped file changed"
    ;;
map_fifo)
    mkfifo "$work/fifo"
    map_elsewhere "$work/fifo"
    [[ -p $work/fifo ]] || failed "the mapped FIFO is gone"
    ;;
map_dev_null)
    map_elsewhere /dev/null
    ;;
map_directory)
    mkdir "$work/dir" && printf 'x' >"$work/dir/inside"
    map_elsewhere "$work/dir"
    [[ $(ls -A "$work/dir") == inside ]] || failed "the mapped directory changed"
    ;;
map_nowhere)
    map_elsewhere "$work/unplugged"
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
