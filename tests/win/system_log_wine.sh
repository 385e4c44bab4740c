#!/usr/bin/env bash
# The system log of the Windows build under Wine, whose ReportEventW records
# each event in its debug output (WINEDEBUG=+eventlog): with `system log = on`
# in %ProgramData%\Quillet\settings.ini each job reports one event whose type,
# ID and text follow its outcome: a reading with the journal (its line's hash
# among the fields), a reply that does not convert, a result not written. The
# port check says that this prefix has no event source registered.
#
# usage: system_log_wine.sh UTILITY_EXE METER_SIM PORT_CHECK_EXE   (WINEPREFIX: a prepared prefix)
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
port_check=$3
station=$WINEPREFIX/drive_c/ProgramData/Quillet journal=$work/journal.jsonl
trap 'rm -rf "$station"; job_cleanup' EXIT
mkdir -p "$station"
printf 'system log = on\r\njournal = Z:%s\r\n' "${journal//\//\\}" >"$station/settings.ini"
export WINEDEBUG=+eventlog

events() {  # the job's ReportEventW calls: "type id" a line
    sed -n 's/.*ReportEventW ([0-9A-Fa-f]*,0x\([0-9a-f]*\),0x[0-9a-f]*,0x\([0-9a-f]*\),.*/\1 \2/p' "$job.err"
}
check_event() {  # type, event ID, Wine's debug class of its text, the text's start (a fixed string)
    local got
    got=$(events)
    [[ $got == "$(printf '%04x %08x' "$1" "$2")" ]] || failed "events \"$got\", expected type $1, ID $2"
    grep -qF "$3:eventlog:ReportEventW L\"$4" "$job.err" || failed "no $3 event text starting: $4"
}
job_on() {  # job folder, result, meter reply: a job on COM5 of this prefix
    new_job "$work/$1"
    shift
    record '1000 Ohms' COM5 >"$job/ExtCtrl.dat"
    start_meter meter 5 "$ports" --reading "$2"
    run_utility 40
    stop_meter meter
    check_record "$1"
}

job_on reading 1234.5Ohms '0\r+1.2345 kOhms\r'
check_event 4 1 trace 'COM5: reading 1234.5Ohms (target \"1000 Ohms\")\r\n\r\noutcome: reading\r\nresult: 1234.5Ohms\r\n'
job_on no-reading '' '12.345\r'
check_event 2 2 warn 'COM5: no reading (target \"1000 Ohms\")\r\n\r\noutcome: no reading\r\n'

new_job "$work/directory"
mkdir "$job/ExtCtrl.dat"
start_meter meter 1 "$ports" --reading '0\r+1.2345 kOhms\r'
job_exit=1
run_utility 40
stop_meter meter
check_event 1 3 err 'result not written: Z:'

wine "$port_check" COM200 >"$work/check" 2>/dev/null </dev/null || true
grep -q '^System log: *on, but the event source is not registered on this station' <(tr -d '\r' <"$work/check") ||
    failed "the port check does not say the source is missing: $(cat "$work/check")"
job_end
