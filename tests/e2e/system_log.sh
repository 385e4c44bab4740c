#!/usr/bin/env bash
# The system log through the real program, against a real systemd-journald in
# a private mount and network namespace (a tmpfs over /run), so that the
# machine's own logging sees nothing: with `system log = on` in the station's
# file each job leaves one entry whose level, id and fields follow its outcome
# and whose seq and hash are its journal line's; without a journald, or with
# one that has stopped reading, the job is as without it. Needs root; where
# the namespace cannot be made, the test fails.
#
# usage: system_log.sh UTILITY METER_SIM PORT_CHECK CASE
if [[ -z ${QUILLET_PRIVATE_LOG:-} ]]; then
    unshare -m -n --propagation private true 2>/dev/null ||
        { echo "FAIL: no private namespace (unshare -m -n needs root; Debian package util-linux)"; exit 1; }
    QUILLET_PRIVATE_LOG=1 exec unshare -m -n --propagation private "$0" "$@"
fi
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
port_check=$3 case=$4
require_commands 'Debian package jq' jq
mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/journal /run/log/journal ||
    { echo "FAIL: no tmpfs over /run"; exit 1; }
[[ ! -d /var/log/journal ]] || mount -t tmpfs tmpfs /var/log/journal  # nor the machine's journal
station_file=$work/station/quillet/settings journal=$work/journal.jsonl
mkdir -p "${station_file%/*}"

start_journald() {
    [[ -x /lib/systemd/systemd-journald ]] || { echo "FAIL: no systemd-journald (Debian package systemd)"; exit 1; }
    /lib/systemd/systemd-journald &
    pids+=($!) journald=$!
    for _ in $(seq 100); do [[ -S /run/systemd/journal/socket ]] && return; sleep 0.05; done
    echo "FAIL: journald did not start"; exit 1
}
entries() { journalctl -D /run/log/journal -o json --no-pager SYSLOG_IDENTIFIER=quillet-reading-utility; }
job_with() {  # result, meter reply, settings lines...: a job on COM5, checked as every job is
    local result=$1 reply=$2
    shift 2
    printf '%s\n' "$@" >"$station_file"
    record '1000 Ohms' COM5 >"$job/ExtCtrl.dat"
    start_meter meter 5 "$ports" --reading "$reply"
    run_utility 30
    stop_meter meter
    check_job "$result"
}
check_entry() {  # PRIORITY, MESSAGE_ID, MESSAGE, outcome, a jq test of the rest: the one entry
    for _ in $(seq 100); do [[ -n $(entries) ]] && break; sleep 0.05; done
    sleep 0.2
    [[ $(entries | wc -l) == 1 ]] || failed "$(entries | wc -l) entries, not one"
    entries | jq -e --arg p "$1" --arg id "$2" --arg m "$3" --arg o "$4" --arg v "$("$utility" --version)" \
        --arg user "$(id -un)" --arg dir "$(realpath "$job")" '.PRIORITY == $p and .MESSAGE_ID == $id
        and .MESSAGE == $m and .QUILLET_OUTCOME == $o and "quillet-reading-utility " + .QUILLET_VERSION == $v
        and .QUILLET_USER == $user and .QUILLET_DIRECTORY == $dir and ._TRANSPORT == "journal" and '"$5" \
        >/dev/null || { failed "not the entry of $4:"; entries | jq .; }
}
line_fields() {  # a jq test: the entry's journal fields are the journal's last line
    local line
    line=$(tail -n 1 "$journal")
    echo ".QUILLET_JOURNAL == \"$journal\" and .QUILLET_SEQ == \"$(jq .seq <<<"$line")\"
          and .QUILLET_LINE_SHA256 == \"$(printf '%s' "$line" | sha256sum | cut -c 1-64)\""
}
port_check_says() {  # a line of the port check's report (a grep pattern)
    "$port_check" COM98 >"$work/check.out" 2>&1 || true
    grep -qE -- "$1" "$work/check.out" || { failed "the port check does not say: $1"; cat "$work/check.out"; }
}

case $case in
reading)  # with the journal: the entry names its line
    start_journald
    job_with 1234.5Ohms '0\r+1.2345 kOhms\r' 'system log = on' "journal = $journal"
    check_entry 6 da976347e776495c929743bb1c285964 'COM5: reading 1234.5Ohms (target "1000 Ohms")' reading \
        '.QUILLET_RESULT == "1234.5Ohms" and .QUILLET_TARGET == "1000 Ohms" and .QUILLET_PORT == "COM5"
        and (.QUILLET_DEVICE | startswith("/dev/pts/")) and '"$(line_fields)"
    port_check_says "^System log: +on \\(set by $station_file\\)$"
    # The central log page's check of a line against the station's journal.
    [[ $("$(dirname "$utility")/quillet-journal" show "$journal" --seq 1 --json | tr -d '\n' | sha256sum |
        cut -c 1-64) == "$(entries | jq -r .QUILLET_LINE_SHA256)" ]] || failed "the page's check of the line"
    ;;
no_reading)  # a reply that does not convert, without the journal: no journal fields
    start_journald
    job_with '' '12.345\r' 'System Log = On'
    check_entry 4 724d7223e3034ddca2df6ab935fe759a 'COM5: no reading (target "1000 Ohms")' 'no reading' \
        '.QUILLET_RESULT == "" and .QUILLET_JOURNAL == null and .QUILLET_SEQ == null and .QUILLET_LINE_SHA256 == null'
    ;;
not_written)  # ExtCtrl.dat a directory: the job's own reason; the empty record's port as pictures
    start_journald
    printf 'system log = on\njournal = %s\n' "$journal" >"$station_file"
    map_port COM1 /dev/null
    mkdir "$job/ExtCtrl.dat"
    job_exit=1
    run_utility 30
    check_entry 3 c05c9c9fdbb64e93a774a04e031dadf0 \
        "result not written: $(sed 's/^quillet-reading-utility: the result was not written: //' "$job.err")" \
        'not written' '.QUILLET_PORT == "␀␀␀␀␀" and '"$(line_fields)"
    ;;
no_journald)  # the same job, and the port check says so; a user's line changes nothing
    job_with 1234.5Ohms '0\r+1.2345 kOhms\r' 'system log = on'
    expect_within 2
    port_check_says "^System log: +on, but no systemd journal on this station \\(set by $station_file\\)$"
    printf 'system log = off\n' >"$XDG_CONFIG_HOME/quillet/settings"
    port_check_says "^Settings: +$XDG_CONFIG_HOME/quillet/settings line 1: only the station's file sets this"
    ;;
stopped_journald)
    # A journald that has stopped reading, its queue (2 here) full: the jobs
    # end at once, and what the queue could not take is lost, not waited for.
    sysctl -q net.unix.max_dgram_qlen=2
    start_journald
    kill -STOP "$journald"
    printf 'system log = on\n' >"$station_file"
    map_port COM1 /dev/null
    for n in 1 2 3 4 5; do
        start=$EPOCHREALTIME
        (cd "$job" && timeout 5 env -u DISPLAY "$utility" >/dev/null 2>&1) || failed "job $n: status $?"
        awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { exit !(b - a < 1) }' || failed "job $n waited"
    done
    kill -CONT "$journald"
    sleep 0.5
    (($(entries | wc -l) < 5)) || failed "the queue was never full"
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
