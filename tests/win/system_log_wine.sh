#!/usr/bin/env bash
# The system log of the Windows build under Wine, whose ReportEventW records
# each event in its debug output (WINEDEBUG=+eventlog): with `system log = on`
# in %ProgramData%\Quillet\settings.ini each job reports one event whose type,
# ID and text follow its outcome: a reading, a reply that does not convert, a
# result not written. The port check says that this prefix has no event source
# registered, and that it has one after the readme's two `reg add` lines.
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

new_job "$work/directory" && mkdir "$job/ExtCtrl.dat" && map_port com1 /dev/null
job_exit=1 && run_utility 40
check_event 1 3 err 'result not written: Z:'

check_port_check() {  # what the port check says of the system log (a grep pattern)
    wine "$port_check" COM98 >"$work/check" 2>/dev/null </dev/null || true
    grep -q "^System log: *$1" <(tr -d '\r' <"$work/check") || failed "the port check: $(<"$work/check")"
}
check_port_check 'on, but the event source is not registered on this station'
# The readme's two lines register the source. A command prompt hands reg each
# line's words with its ^ escapes taken away (so ^%SystemRoot^% stays as it
# is); Wine's cmd expands the variable all the same, so the test hands reg
# the words itself.
key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Quillet Reading Utility'
trap 'wine reg delete "$key" /f >/dev/null 2>&1 </dev/null; rm -rf "$station"; job_cleanup' EXIT
grep -E '^ +reg add ' "$(dirname "$0")/../../packaging/windows/README.txt" | tr -d '\r^' >"$work/lines"
[[ $(wc -l <"$work/lines") == 2 ]] || failed "not two reg add lines in the readme"
while read -r line; do
    [[ $line =~ ^reg\ add\ \"([^\"]+)\"\ ([^\"]+)$ ]] || { failed "not a reg add line: $line"; continue; }
    read -r -a words <<<"${BASH_REMATCH[2]}"
    wine reg add "${BASH_REMATCH[1]}" "${words[@]}" >/dev/null 2>&1 </dev/null || failed "$line: status $?"
done <"$work/lines"
[[ $(wine reg query "$key" </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ \{4\}//p') == \
    $'EventMessageFile    REG_EXPAND_SZ    %SystemRoot%\\System32\\EventCreate.exe\nTypesSupported    REG_DWORD    0x7' ]] ||
    failed "the readme's lines register: $(wine reg query "$key" </dev/null 2>&1)"
check_port_check 'on (set by C:.ProgramData.Quillet.settings\.ini)$'
job_end
