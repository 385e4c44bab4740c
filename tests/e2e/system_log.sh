#!/usr/bin/env bash
# The system log through the real program, against a real systemd-journald
# that runs in a private mount and network namespace (a tmpfs over /run), so
# that the machine's own logging sees nothing. With `system log = on` in the
# station's file each job leaves one entry whose level, id and fields follow
# its outcome and whose seq and hash are those of its journal line; without a
# journald, or with one that has stopped reading, the job is as without it.
# Run as root; where the namespace cannot be made, the test fails.
#
# usage: system_log.sh UTILITY METER_SIM PORT_CHECK CASE
if [[ -z ${QUILLET_PRIVATE_LOG:-} ]]; then
    unshare -m -n --propagation private true 2>/dev/null || {
        echo "FAIL: no private mount namespace (unshare -m -n needs root; Debian package util-linux)"
        exit 1
    }
    QUILLET_PRIVATE_LOG=1 exec unshare -m -n --propagation private "$0" "$@"
fi
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
port_check=$(realpath "$3") case=$4
require_commands 'Debian package jq' jq
journald=/lib/systemd/systemd-journald
[[ -x $journald ]] || { echo "FAIL: no $journald (Debian package systemd)"; exit 1; }
# Nothing of the machine's /run, nor its persistent journal, is seen or written.
mount -t tmpfs tmpfs /run || { echo "FAIL: no tmpfs over /run"; exit 1; }
[[ ! -d /var/log/journal ]] || mount -t tmpfs tmpfs /var/log/journal
mkdir -p /run/systemd/journal /run/log/journal
station_file=$work/station/quillet/settings journal=$work/journal.jsonl

start_journald() {
    "$journald" &
    pids+=($!) journald_pid=$!
    local _
    for _ in $(seq 100); do [[ -S /run/systemd/journal/socket ]] && return; sleep 0.05; done
    echo "FAIL: journald did not start"; exit 1
}
entries() {  # the utility's entries, one JSON object a line
    journalctl -D /run/log/journal -o json --no-pager SYSLOG_IDENTIFIER=quillet-reading-utility
}
wait_entries() {  # count: waits (up to 5 s) for that many, then checks there are no more
    local _
    for _ in $(seq 100); do (($(entries | wc -l) >= $1)) && break; sleep 0.05; done
    sleep 0.2
    [[ $(entries | wc -l) == "$1" ]] || failed "$(entries | wc -l) entries, expected $1"
}
job_with() {  # result, meter reply: a job on COM5, checked as the harness checks every job
    record '1000 Ohms' COM5 >"$job/ExtCtrl.dat"
    start_meter meter 5 "$ports" --reading "$2"
    run_utility 30
    stop_meter meter
    check_job "$1"
}
check_entry() {  # jq filter on the one entry, what it shows, more jq options
    entries | jq -e --arg version "$("$utility" --version)" --arg user "$(id -un)" \
        --arg dir "$(realpath "$job")" "${@:3}" "$1" >/dev/null || failed "the entry is not $2"
}
check_line_fields() {  # the entry's journal fields are the journal's last line
    local line seq
    line=$(tail -n 1 "$journal")
    seq=$(jq -r '.seq // empty' <<<"$line")
    check_entry ".QUILLET_JOURNAL == \"$journal\" and .QUILLET_LINE_SHA256 == \"$(printf '%s' "$line" |
        sha256sum | cut -c 1-64)\" and .QUILLET_SEQ == $([[ -n $seq ]] && echo "\"$seq\"" || echo null)" \
        "the journal line's"
}
port_check_says() {  # a line of the port check's report (a grep pattern)
    "$port_check" COM200 >"$work/check.out" 2>&1 || true
    grep -qE -- "$1" "$work/check.out" || { failed "the port check does not say: $1"; cat "$work/check.out"; }
}
station_settings() { mkdir -p "${station_file%/*}" && printf '%s\n' "$@" >"$station_file"; }
common='(.QUILLET_VERSION | "quillet-reading-utility " + .) == $version and .QUILLET_USER == $user
    and .QUILLET_DIRECTORY == $dir and ._TRANSPORT == "journal"'

case $case in
reading)  # with the journal: the entry names its line
    start_journald
    station_settings 'system log = on' "journal = $journal"
    job_with 1234.5Ohms '0\r+1.2345 kOhms\r'
    wait_entries 1
    check_entry "$common and .PRIORITY == \"6\" and .MESSAGE_ID == \"da976347e776495c929743bb1c285964\"
        and .MESSAGE == \"COM5: reading 1234.5Ohms (target \\\"1000 Ohms\\\")\" and .QUILLET_OUTCOME == \"reading\"
        and .QUILLET_RESULT == \"1234.5Ohms\" and .QUILLET_TARGET == \"1000 Ohms\" and .QUILLET_PORT == \"COM5\"
        and (.QUILLET_DEVICE | startswith(\"/dev/pts/\"))" "a reading's"
    check_line_fields
    port_check_says "^System log: +on \\(set by $station_file\\)$"
    ;;
no_reading)  # a reply that does not convert, without the journal: no journal fields
    start_journald
    station_settings 'System Log = On'
    job_with '' '12.345\r'
    wait_entries 1
    check_entry "$common and .PRIORITY == \"4\" and .MESSAGE_ID == \"724d7223e3034ddca2df6ab935fe759a\"
        and .MESSAGE == \"COM5: no reading (target \\\"1000 Ohms\\\")\" and .QUILLET_OUTCOME == \"no reading\"
        and .QUILLET_RESULT == \"\" and .QUILLET_JOURNAL == null and .QUILLET_SEQ == null
        and .QUILLET_LINE_SHA256 == null" "a no reading's"
    ;;
not_written)  # ExtCtrl.dat a directory: the reason as the job gave it on standard error
    start_journald
    station_settings 'system log = on' "journal = $journal"
    map_port COM1 /dev/null  # the port of the empty record's port name
    mkdir "$job/ExtCtrl.dat"
    job_exit=1
    run_utility 30
    reason=$(sed 's/^quillet-reading-utility: the result was not written: //' "$job.err")
    wait_entries 1
    check_entry "$common and .PRIORITY == \"3\" and .MESSAGE_ID == \"c05c9c9fdbb64e93a774a04e031dadf0\"
        and .MESSAGE == \"result not written: \" + \$reason and .QUILLET_OUTCOME == \"not written\"" \
        "a result not written's" --arg reason "$reason"
    check_line_fields
    ;;
no_journald)  # no journald: the same job, and the port check says so; a user's line changes nothing
    station_settings 'system log = on'
    job_with 1234.5Ohms '0\r+1.2345 kOhms\r'
    expect_within 2
    port_check_says "^System log: +on, but no systemd journal on this station \\(set by $station_file\\)$"
    printf 'system log = off\n' >"$XDG_CONFIG_HOME/quillet/settings"
    port_check_says "^Settings: +$XDG_CONFIG_HOME/quillet/settings line 1: only the station's file sets this"
    port_check_says "^System log: +on, but"
    ;;
stopped_journald)
    # A journald that has stopped reading, its queue full: jobs end at once,
    # and what the queue could not take is lost, not waited for.
    sysctl -q net.unix.max_dgram_qlen=2
    start_journald
    kill -STOP "$journald_pid"
    station_settings 'system log = on'
    map_port COM1 /dev/null
    for n in 1 2 3 4 5; do
        start=$EPOCHREALTIME
        (cd "$job" && timeout 5 env -u DISPLAY "$utility" >/dev/null 2>&1) || failed "job $n: status $?"
        awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { exit !(b - a < 1) }' || failed "job $n waited"
    done
    kill -CONT "$journald_pid"
    sleep 0.5
    (($(entries | wc -l) < 5)) || failed "the queue was never full"
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
