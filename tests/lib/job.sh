# The harness of the tests that run the utility as a whole program (sourced,
# not run; sourcing only defines what follows). job_init makes a work
# directory, a private port map and a job directory; then meters (meter-sim on
# pseudo terminals) are published for the Linux build and, for the Windows
# build, as COM ports of the Wine prefix; the utility is run in the job
# directory under a time limit: the Linux build directly or through host-sim,
# the Windows build (a name ending in .exe) under Wine. The checks a job makes:
#   - the utility ends within its time limit with exit status 0, or 1 where
#     the job expects the result not to be written (job_exit=1); through
#     host-sim, host-sim's status: 0 a reading came back, 1 none did;
#   - ExtCtrl.dat holds what it held before, apart from ResultText (the result
#     filled up with spaces) and Number14/Number15 (0), extended with zero
#     bytes to one whole record when it was shorter (a missing file counts as
#     empty), and bytes from offset 215 on untouched;
#   - nothing else in the job directory changed (listed before and after:
#     names, kinds, modes, owners, inodes, and size and time of everything but
#     the exchange file);
#   - the status lines on standard output: the reading, or "Settling...";
#   - the number of "QM" queries each meter received.
# It also holds the one rule for a test that lacks something it needs: missing.
# Bytes are written with bash printf and dd only.

# --- what a test needs ----------------------------------------------------

# Ends a test that cannot run because something is missing: a skip (exit
# status 77) on a developer's machine, a failure where every test must run
# (QUILLET_REQUIRE_ALL_TESTS=1, which scripts/test and so CI set).
missing() {  # what is missing, how to get it
    if [[ ${QUILLET_REQUIRE_ALL_TESTS:-} == 1 ]]; then
        echo "FAIL: $1 ($2); with QUILLET_REQUIRE_ALL_TESTS=1 no test may skip" >&2
        exit 1
    fi
    echo "skipped: $1 ($2)" >&2
    exit 77
}

require_commands() {  # how to get them, commands...
    local how=$1 command
    shift
    for command; do
        command -v "$command" >/dev/null || missing "$command is not installed" "$how"
    done
}

# --- the status text --------------------------------------------------------

reading_from='Reading from 189...'

# The status lines of a job with this result (empty: no reading), separated by
# BREAK (default a line feed): the standard output of a job without a window,
# and the label of its window.
status_text() {  # result [break]
    local b=${2-$'\n'}
    if [[ -n $1 ]]; then
        printf '%s' "$reading_from$b${b}Reading = $1$b${b}Passing reading to Vantor..."
    else
        printf '%s' "$reading_from$b${b}Settling..."
    fi
}

check_windows_help() {  # file: a Windows --help names the Windows places and no POSIX path
    grep -qF '%APPDATA%\Quillet\settings.ini' "$1" && grep -qF '%ProgramData%\Quillet\settings.ini' "$1" &&
        grep -qF '\\.\COM<N>' "$1" && ! grep -qE '/dev/|/etc/|XDG_|~/' "$1" || failed "not Windows help: $1"
}

# --- the work directory -------------------------------------------------------

job_init() {  # UTILITY METER_SIM (under Wine, WINEPREFIX names a prepared prefix)
    set -euo pipefail
    export LC_ALL=C WINEDEBUG=-all
    utility=$(realpath "$1") meter_sim=$(realpath "$2")
    work=$(mktemp -d)
    chmod 755 "$work"
    pids=() links=() run_as=() utility_args=() host_sim=()
    fail=0 job_exit=0 keep_display=0 dosdevices=''
    trap job_cleanup EXIT
    export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/station
    ports=$XDG_CONFIG_HOME/quillet/ports
    station_ports=$work/station/quillet/ports
    mkdir -p "$ports" "$station_ports"
    if [[ $utility == *.exe ]]; then
        dosdevices=${WINEPREFIX:?the Windows build\'s tests need WINEPREFIX}/dosdevices
    fi
    new_job "$work/job"
}

job_cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -f "${links[@]}"
    chmod -R u+rwX "$work" 2>/dev/null || true
    rm -rf "$work"
}

failed() {  # message: the test fails, the script goes on to show more
    echo "FAIL: $*"
    fail=1
}

job_end() {  # ends the test with its verdict
    [[ -z ${job_seconds:-} ]] || echo "last job ended after $job_seconds s"
    if ((fail)); then
        echo "--- status output"; cat "$job.out" 2>/dev/null || true
        echo "--- standard error"; cat "$job.err" 2>/dev/null || true
    fi
    exit "$fail"
}

new_job() {  # directory: the job that the next run works in
    job=$1
    mkdir -p "$job"
}

# --- meters -------------------------------------------------------------------

start_meter() {  # name, port number, directory to publish in, meter-sim options...
    local name=$1 port=$2 dir=$3 _
    shift 3
    "${run_as[@]}" "$meter_sim" --port-dir "$dir" --port "$port" --log "$work/$name.log" "$@" \
        >"$work/$name.ready" &
    pids+=($!)
    declare -g "meter_pid_$name=$!"
    for _ in $(seq 100); do [[ -s $work/$name.ready ]] && break; sleep 0.05; done
    [[ -s $work/$name.ready ]] || { echo "meter-sim $name did not start"; exit 1; }
    [[ -z $dosdevices ]] || map_port "COM$port" "$(head -n 1 "$work/$name.ready")"
}

stop_meter() {  # name [signal]
    local pid_of=meter_pid_$1
    kill "-${2:-TERM}" "${!pid_of}" 2>/dev/null || true
    { wait "${!pid_of}"; } 2>/dev/null || true
}

map_port() {  # COM name, path: an entry in the port map; under Wine a link in the prefix
    if [[ -z $dosdevices ]]; then
        ln -s "$2" "$ports/${1^^}"
        return
    fi
    local link=$dosdevices/${1,,}  # Wine finds a port only as a lower-case link
    rm -f "$link"
    ln -s "$2" "$link"
    links+=("$link")
}

queries() {  # meter name: how many "QM" it has received
    local count
    count=$(grep -c 'QM' "$work/$1.log" 2>/dev/null) || true
    echo "${count:-0}"
}

expect_queries() {  # meter name, count
    local got
    got=$(queries "$1")
    ((got == $2)) || failed "meter $1 received $got queries, expected $2"
}

wait_for_queries() {  # meter name, count: waits (up to 20 s) until it has that many
    local _
    for _ in $(seq 2000); do
        (($(queries "$1") >= $2)) && return
        sleep 0.01
    done
    failed "meter $1 never received $2 queries"
}

wait_until_locked() {  # file: waits (up to 5 s) until another process holds its lock
    local _
    for _ in $(seq 500); do
        flock -n "$1" true || return 0
        sleep 0.01
    done
    failed "nothing took the lock of $1"
}

# --- the exchange record ------------------------------------------------------

field() {  # width, text: the text cut or filled up with spaces to the width
    printf '%-*.*s' "$1" "$1" "$2"
}

host_field() {  # width, text, seed: the field, or with high_bytes=1 bytes above 127
    ((${high_bytes:-0})) || { field "$1" "$2"; return; }
    local i
    for ((i = 0; i < $1; i++)); do printf "\\$(printf '%03o' $((128 + ($3 + i) % 128)))"; done
}

# A whole 215-byte record: recognisable values in every field, bytes above 127
# and control characters among them, nonzero numbers, and the given target
# text and port name. With high_bytes=1 every field but those two holds bytes
# above 127 only, different from field to field.
record() {  # target text, port name
    host_field 20 $'HOST TEXT 1 \xB5\xB0' 1
    host_field 20 $'HOST TEXT 2 \x80\x81' 21
    field 20 "$1"
    host_field 20 'HOST TEXT 4' 41
    host_field 20 $'\tHOST TEXT 5\r\n' 61
    host_field 20 'HOST TEXT 6' 81
    host_field 20 $'HOST TEXT 7 \xFF' 101
    host_field 20 'OLD RESULT TEXT' 121
    host_field 2 $'\x34\x12' 3
    host_field 2 'T0' 7
    host_field 20 $'HOST TEXT 11 \xE9' 11
    host_field 2 $'\xFF\x7F' 13
    host_field 20 'HOST TEXT 13' 33
    host_field 2 $'\x01\x02' 17
    host_field 2 $'\xFE\xFF' 19
    field 5 "$2"
}

patch_bytes() {  # file, offset: overwrites the file's bytes from offset with standard input
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

bytes_of() {  # file, offset, count
    dd if="$1" bs=1 skip="$2" count="$3" status=none
}

# The file that a job with this result must leave, given the file before it.
expected_file() {  # file before the job (none: no file), result text
    local before=$1 padded=$work/padded
    if [[ -f $before ]]; then head -c 215 "$before"; fi >"$padded"
    truncate -s 215 "$padded"
    bytes_of "$padded" 0 140
    field 20 "$2"
    bytes_of "$padded" 160 46
    printf '\0\0\0\0'
    bytes_of "$padded" 210 5
    if [[ -f $before ]]; then tail -c +216 "$before"; fi
}

check_record() {  # result text: ExtCtrl.dat against the file before the run
    expected_file "$job.before" "$1" >"$job.expected"
    if ! cmp "$job.expected" "$job/ExtCtrl.dat"; then
        failed "ExtCtrl.dat is not the record before with result \"$1\""
        echo "--- expected (first 256 bytes)"; head -c 256 "$job.expected" | od -A d -c
        echo "--- got (first 256 bytes)"; head -c 256 "$job/ExtCtrl.dat" 2>/dev/null | od -A d -c
    fi
}

check_untouched() {  # ExtCtrl.dat byte for byte as before the run
    cmp "$job.before" "$job/ExtCtrl.dat" || failed "ExtCtrl.dat changed"
}

# --- the job directory --------------------------------------------------------

# Every entry: kind, mode, owner, inode; size and time but for ExtCtrl.dat,
# which is left out altogether when the run made it.
list_dir() {
    local made=()
    ((made_file)) && made=(! -path ./ExtCtrl.dat)
    (cd "$job" && {
        find . -mindepth 1 "${made[@]}" -printf '%P %y %m %u %i\n'
        find . -mindepth 1 ! -path ./ExtCtrl.dat -printf '%P %s %T@\n'
    } | sort)
}

# --- running the utility ------------------------------------------------------

# Starts the utility in the job directory, its output in files (a pipe would
# keep a test waiting for Wine's background services), with DISPLAY removed
# unless keep_display=1 or under Wine (a program of the shared Wine server
# without the display among programs with it at times keeps the next one's
# window from being mapped). With host_sim set (host-sim and its options),
# host-sim writes the record and starts the utility.
start_utility() {  # time limit in seconds, then optionally a command to run it through
    local limit=$1 display=(-u DISPLAY) run=("$utility" "${utility_args[@]}")
    shift
    rm -f "$job.before"
    made_file=1
    if [[ -e $job/ExtCtrl.dat ]]; then
        made_file=0
        [[ -f $job/ExtCtrl.dat ]] && cp "$job/ExtCtrl.dat" "$job.before"
    fi
    list_dir >"$job.listing"
    [[ -n $dosdevices ]] && run=(wine "${run[@]}")
    if ((${#host_sim[@]})); then
        # The utility through a script that keeps the record host-sim wrote.
        printf '#!/bin/sh\ncp ExtCtrl.dat "%s"\nexec "%s"\n' "$job.before" "$utility" >"$work/keep"
        chmod +x "$work/keep"
        run=("${host_sim[@]}" --dir "$job" --utility "$work/keep")
    fi
    ((keep_display)) || [[ -n $dosdevices ]] && display=()
    job_limit=$limit
    job_start=$EPOCHREALTIME
    (cd "$job" && exec timeout -k 2 "$limit" env "${display[@]}" "$@" "${run[@]}") \
        >"$job.out" 2>"$job.err" </dev/null &
    job_pid=$!
}

finish_utility() {  # [accepted exit statuses...]: checks status, time and directory; sets job_seconds
    local status=0 accepted=("${@:-$job_exit}")
    wait "$job_pid" || status=$?
    job_status=$status
    job_seconds=$(awk -v a="$job_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
    # Windows line ends; host-sim's report after the status lines.
    [[ -z $dosdevices ]] || sed -i 's/\r$//' "$job.out" "$job.err"
    ((${#host_sim[@]} == 0)) || sed -i '/^ResultText: /,$d' "$job.out"
    if ((status == 124 || status == 137)); then
        failed "the utility did not end within $job_limit s"
    elif [[ " ${accepted[*]} " != *" $status "* ]]; then
        failed "the utility ended with exit status $status"
    fi
    if ! diff <(cat "$job.listing") <(list_dir) >"$job.dirdiff"; then
        failed "the job directory changed:"
        cat "$job.dirdiff"
    fi
}

run_utility() {  # time limit, then optionally a command to run it through
    start_utility "$@"
    finish_utility
}

expect_within() {  # [least] seconds: the run just finished took no longer (and no less)
    local least=0
    (($# == 2)) && { least=$1; shift; }
    awk -v t="$job_seconds" -v a="$least" -v b="$1" 'BEGIN { exit !(t >= a && t <= b) }' ||
        failed "the job took $job_seconds s, not between $least and $1 s"
}

check_status() {  # result text, empty for a failed reading
    [[ $(cat "$job.out") == "$(status_text "$1")" ]] ||
        failed "status output is not the one for result \"$1\""
}

check_not_written() {  # reason: the one line on standard error of a result not written
    local want file
    file=$(realpath "$job")/ExtCtrl.dat
    [[ -z $dosdevices ]] || file=Z:${file//\//\\}  # as Wine names it
    want="quillet-reading-utility: the result was not written: $file: $1"
    [[ $(cat "$job.err") == "$want" ]] || failed "standard error is not: $want"
}

check_job() {  # result text: the status lines and the record of a job with that result
    check_status "$1"
    check_record "$1"
}
