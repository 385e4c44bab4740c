#!/usr/bin/env bash
# The job's journal through the real program (the Linux build, or the Windows
# build under Wine): switched on by the user's settings file, one JSON line a
# job whose bytes decode back to exactly what the meter sent, and that line
# replayed by meter-sim giving the same result. Off or unwritable, the job is
# the same as without it.
#
# usage: journal.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
journal_tool=$(dirname "$1")/quillet-journal
case=$3
require_commands 'Debian package jq' jq
journal=$work/journal.jsonl reply='0\r+1.2345 kOhms\r'

settings() {  # settings folder, journal file: the settings file naming that journal; for
    # Windows as Notepad saves it in "Unicode": UTF-16 with its byte order mark, CRLF
    mkdir -p "$1"
    printf '# where the jobs keep their evidence\r\n\r\nJournal = %s\r\n' "$2" |
        if [[ -n $dosdevices ]]; then iconv -f UTF-8 -t UTF-16; else cat; fi >"$1/$settings_file"
}
win() { [[ -z $dosdevices ]] && echo "$1" || echo "Z:${1//\//\\}"; }  # a path as the utility names it
if [[ -n $dosdevices ]]; then
    # %APPDATA% and %ProgramData% as Wine sets them, in the tests' shared prefix.
    user_settings=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*/AppData/Roaming' | head -n 1)/Quillet
    station_settings=$WINEPREFIX/drive_c/ProgramData/Quillet settings_file=settings.ini
    trap 'rm -rf "$user_settings" "$station_settings"; job_cleanup' EXIT
else
    user_settings=$XDG_CONFIG_HOME/quillet station_settings=$work/station/quillet settings_file=settings
fi
windows_journal=$(win "$journal")

through=() target='1000 Ohms'
job_with() {  # result, meter-sim options...: a job on COM5 with this meter, run "${through[@]}"
    local result=$1
    shift
    record "$target" COM5 >"$job/ExtCtrl.dat"
    start_meter meter 5 "$ports" "$@"
    run_utility 40 "${through[@]}"
    stop_meter meter
    if [[ -n $dosdevices ]]; then check_record "$result"; else check_job "$result"; fi
}

check_line() {  # outcome, attempts of the second query, the reply sent to each query[, the
    # line the file held before it, whose hash the line's prev holds]
    [[ $(wc -l <"$journal") == 1 ]] || failed "the journal does not hold one line"
    local seq=1 prev=null
    [[ -z ${4:-} ]] || seq=2 prev=\"$(printf '%s' "$4" | sha256sum | cut -c1-64)\"
    jq -e ".seq == $seq and .prev == $prev and .locked == true" "$journal" >/dev/null ||
        failed "the journal's line is not JSON leading a chain"
    [[ $(jq -r .outcome "$journal") == "$1" ]] || failed "outcome is not $1"
    [[ $(jq '.queries[1].attempts | length' "$journal") == "$2" ]] || failed "not $2 attempts"
    local q
    for q in 0 1; do
        # Every read of the query, decoded to bytes (\u00XX is byte XX).
        jq -j ".queries[$q].attempts | map(.reads | map(.bytes) | add // \"\") | add" "$journal" |
            iconv -f UTF-8 -t ISO-8859-1 >"$work/read$q"
        cmp -s "$work/read$q" <(printf '%b' "$3") || failed "query $q's bytes are not the meter's"
    done
}

replayed() {  # result: the journal's job again, its meter replaying the journal
    new_job "$work/replayed"
    job_with "$1" --replay "$journal"
}

case $case in
off)
    # No settings file anywhere: nothing is written but the record.
    listing() { find "$work/config" "$work/station" -name ports -prune -o -printf '%p %y %s %T@\n'; }
    listing >"$work/before"
    job_with 1234.5Ohms --reading "$reply"
    diff "$work/before" <(listing) || failed "the settings locations changed"
    ;;
reading | pieces)
    # The station's file wins over the user's; the user's alone is read.
    if [[ $case == reading ]]; then
        settings "$station_settings" "$windows_journal"
        settings "$user_settings" "$(win "$work/user.jsonl")"
    else
        settings "$user_settings" "$windows_journal"
    fi
    pieces=() result=1234.5Ohms
    umask 077
    [[ -n $dosdevices ]] || pieces=(--unsolicited 'stale\r')
    if [[ $case == pieces ]]; then
        # Also a result longer than the record's field: the line holds what the host got.
        pieces+=(--pieces 3 --piece-gap 0.2) result=12344.999413644mVolts
        reply='12.345 V DC\r' target='1 mVolts'
    fi
    job_with $result --reading "$reply" "${pieces[@]}"
    check_line reading 1 "$reply"
    [[ $(jq -r .result "$journal") == "${result:0:20}" ]] || failed "result is not the record's"
    # The job's facts (on Linux, where stale bytes wait for the first query).
    [[ -n $dosdevices ]] || jq -e --arg version "$("$utility" --version)" --arg user "$(id -un)" \
        --arg host "$(uname -n)" --arg dir "$(realpath "$job")" --arg target "$(field 20 "$target")" \
        --arg reply "$(printf '%b' "$reply")" '(.start | test("^[0-9-]{10}T[0-9:.]{12}[+-][0-9]{2}:[0-9]{2}$"))
        and .seconds > 0.2 and "quillet-reading-utility " + .version == $version and .user == $user
        and .host == $host and .directory == $dir and .target == $target and .port == "COM5 "
        and (.device | startswith("/dev/pts/")) and .display == false and .queries[0].discarded == "stale\r"
        and .queries[1].attempts[0].at == 0 and .queries[1].attempts[0].written == "QM\r"
        and .queries[1].reply == $reply' "$journal" >/dev/null || failed "the line does not hold the job's facts"
    [[ $case == reading ]] || (($(jq '.queries[1].attempts[0].reads | length' "$journal") > 1)) ||
        failed "the reply did not come in pieces"
    [[ ! -e $work/user.jsonl ]] || failed "the user's journal was written"
    # Made under a umask that shuts out the group, the journal is still the group's.
    [[ -n $dosdevices || $case == pieces || $(stat -c %a "$journal") == 664 ]] ||
        failed "the new journal is not mode 0664"
    replayed $result
    ;;
monthly)
    # The station's monthly journal: this month's file, named by the station's
    # settings (on Windows through %ProgramData%, as Wine sets it).
    if [[ -n $dosdevices ]]; then
        settings "$station_settings" '%ProgramData%\Quillet\journal.jsonl'
        journal=$station_settings/journal-$(date +%Y-%m).jsonl
    else
        settings "$station_settings" "$journal"
        journal=$work/journal-$(date +%Y-%m).jsonl
    fi
    printf 'journal files = monthly\r\n' |
        if [[ -n $dosdevices ]]; then iconv -f UTF-8 -t UTF-16LE; else cat; fi >>"$station_settings/$settings_file"
    job_with 1234.5Ohms --reading "$reply"
    check_line reading 1 "$reply"
    [[ ! -e $work/journal.jsonl ]] || failed "the journal's own name was written"
    ;;
silent)
    settings "$user_settings" "$windows_journal"
    # Five attempts a little over 2 s apart per query: about 20 s a job.
    job_with '' --silent
    [[ -n $dosdevices ]] || expect_within 20 21.5
    check_line 'no reading' 5 ''
    # The replay of silence is meter-sim's, the same for both builds: shown on
    # Linux, while Windows replays its readings (reading, pieces).
    [[ -n $dosdevices ]] || replayed ''
    ;;
unwritable)
    # A journal in a folder that does not exist, or on a full disk: the job as
    # without one.
    settings "$user_settings" "$work/none/journal.jsonl"
    job_with 1234.5Ohms --reading "$reply"
    [[ ! -e $work/none ]] || failed "the journal's folder was made"
    new_job "$work/full"
    settings "$user_settings" /dev/full
    job_with 1234.5Ohms --reading "$reply"
    ;;
concurrent)
    # As many jobs at once as ports, six, ending together, ten times, each line
    # over 4 KiB (replies padded to the size of the port's buffer), while busy loops load every
    # core: exactly one line a job, and the chain whole.
    settings "$user_settings" "$windows_journal"
    long="$(printf '%1000s')+1.2345 kOhms\\r"
    for port in 5 6 7 8 9 10; do start_meter "m$port" $port "$ports" --reading "$long"; done
    load=()
    for _ in $(seq "$(nproc)"); do (while :; do :; done) & load+=($!); done
    for _ in $(seq 10); do
        all=()
        for port in 5 6 7 8 9 10; do
            mkdir -p "$work/$port" && record '1000 Ohms' "COM$port" >"$work/$port/ExtCtrl.dat"
            (cd "$work/$port" && env -u DISPLAY "$utility" >/dev/null) &
            all+=($!)
        done
        wait "${all[@]}"
    done
    kill "${load[@]}"
    [[ $(wc -l <"$journal") == 60 ]] || failed "not 60 lines"
    (($(head -c 5000 "$journal" | head -n 1 | wc -c) > 4096)) || failed "the lines are not over 4 KiB"
    "$journal_tool" verify "$journal" || failed "the journal is not whole"
    [[ $(jq -c 'select(.outcome == "reading" and .locked)' "$journal" | wc -l) == 60 ]] ||
        failed "not 60 locked lines with a reading"
    ;;
torn | size_limit)
    # A line cut short by a crash stays, and the next one starts a line of its
    # own. Under a file size limit that the journal has reached, or that the
    # line would pass, the job ends as without a journal, and the part of the
    # line that went in is taken back.
    settings "$user_settings" "$windows_journal"
    old='{"start":"2026-12-09T03:00:00.000+01:00","seconds":0.4'
    [[ $case == torn ]] || { old=$(printf '{"note":"%0300d"}' 0) && old+=$'\n'; }
    printf '%s' "$old" >"$journal"
    cp "$journal" "$work/journal.before"
    [[ $case == torn ]] || through=(prlimit --fsize=${#old})
    job_with 1234.5Ohms --reading "$reply"
    if [[ $case == torn ]]; then
        [[ $(head -n 1 "$journal") == "$old" ]] || failed "the torn line changed"
        tail -n +2 "$journal" >"$journal.new" && mv "$journal.new" "$journal"
        check_line reading 1 "$reply" "$old"
    else
        new_job "$work/job2"
        through=(prlimit --fsize=$((${#old} + 100)))
        job_with 1234.5Ohms --reading "$reply"
        cmp "$journal" "$work/journal.before" || failed "the journal changed"
    fi
    ;;
desk)
    # The docs' replay loop, typed as it stands in the journal's folder, on a
    # station whose COM5 is mapped to an unplugged adapter (the user's and the
    # station's map) and whose user keeps the journal: job 7 replays to its
    # journalled result, and the maps and the journal stay as they were.
    settings "$user_settings" "$journal"
    job_with 1234.5Ohms --reading "$reply"
    for _ in 1 2 3 4 5; do head -n 1 "$journal" >>"$journal"; done
    new_job "$work/seventh"
    job_with 1500Ohms --reading '0\r+1.5 kOhms\r'
    ln -s /dev/serial/by-id/usb-unplugged "$ports/COM5"
    ln -s /dev/serial/by-id/usb-unplugged "$station_ports/COM5"
    maps() { find "$work/config" "$work/station" -printf '%p %y %l %s %T@ %i\n' | sort; }
    maps >"$work/maps" && cp "$journal" "$work/journal.before" && mkdir "$work/tmp"
    awk '/^## Replaying a job at a desk/ {s = 1} s && b && /^```$/ {exit} s && b; s && /^```sh$/ {b = 1}' \
        "$(dirname "$0")/../../docs/journal.md" >"$work/loop.sh"
    (cd "$work" && PATH=$(dirname "$meter_sim"):$PATH TMPDIR=$work/tmp HOME=$work bash loop.sh) \
        >"$work/loop.out" 2>&1 || failed "the loop ended with status $?"
    cat "$work/loop.out"
    grep -qxF "ResultText: \"$(field 20 "$(jq -r -s '.[6].result' "$journal")")\"" "$work/loop.out" &&
        [[ $(jq -r -s '.[6].result' "$journal") == 1500Ohms ]] || failed "job 7 did not replay to its result"
    diff "$work/maps" <(maps) || failed "the port maps changed"
    cmp "$work/journal.before" "$journal" || failed "the journal changed"
    [[ -z $(ls -A "$work/tmp") ]] || failed "the loop left $(ls -A "$work/tmp")"
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
