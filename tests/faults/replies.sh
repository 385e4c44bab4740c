#!/usr/bin/env bash
# Strange replies from the meter, through the real utility: each case ends in
# its time limit with exit status 0, the record intact, and exactly the result
# that the reply conversion gives for that reply (empty when it has none).
# What the conversion makes of a strange reply's text is a row of the
# conversion table; these are the replies that also try the line and the wait.
#
# usage: replies.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3

record '1 V' COM5 >"$job/ExtCtrl.dat"

# The meter answers every query with this reply; the job must end within the
# limit and give the result.
job_with_reply() {  # reply (meter-sim escapes), time limit, result
    start_meter meter 5 "$ports" --reading "$1"
    run_utility "$2"
    check_job "$3"
    expect_queries meter 2
}

case $case in
long_reply)
    # 10,000 characters: 9,990 letters in front of the reading.
    job_with_reply "$(printf 'x%.0s' $(seq 9990))+1.5 V DC\\r" 10 1.5V
    ;;
endless_reply)
    # Never asked, the meter sends its reading over and over at line rate: the
    # text collected holds several lines run together, which is not a reading.
    start_meter meter 5 "$ports" --silent --babble '5 V DC\r'
    run_utility 30
    check_job ''
    ;;
one_byte_every_90_ms)
    # 25 bytes take 2.2 s, beyond the 2 s time-out, yet a byte is waiting at
    # every look, so each query waits for the whole reply. (No leading "0" CR:
    # its CR would end the wait as a complete reply of its own.)
    reply='+000000000001.2345 kOhms\r'
    record '1000 Ohms' COM5 >"$job/ExtCtrl.dat"
    start_meter meter 5 "$ports" --reading "$reply" --pieces 25 --piece-gap 0.09
    run_utility 15
    check_job 1234.5Ohms
    expect_queries meter 2
    awk -v t="$job_seconds" 'BEGIN { exit !(t >= 4.4) }' ||
        failed "two 2.2 s replies took only $job_seconds s"
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
