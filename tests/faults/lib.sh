# Shared by the fault scripts (sourced, not run): a private port map, job
# directories with a prepared ExtCtrl.dat, meters on pseudo terminals, the real
# utility run headless under a time limit, and the checks every fault case
# makes:
#   - the utility ends within the case's time limit with exit status 0, or 1
#     where the case expects the result not to be written (job_exit=1);
#   - ExtCtrl.dat holds what it held before, apart from ResultText (the result
#     filled up with spaces) and Number14/Number15 (0), extended with zero
#     bytes to one whole record when it was shorter, and bytes from offset 215
#     on untouched;
#   - nothing else in the job directory changed (listed before and after: names,
#     kinds, modes, owners, inodes, and size and time of everything but the
#     exchange file);
#   - the status lines on standard output: the reading, or "Settling...".
# Bytes are written with bash printf and dd only.
set -euo pipefail
export LC_ALL=C

fault_init() {  # UTILITY METER_SIM
    utility=$1 meter_sim=$2
    work=$(mktemp -d)
    chmod 755 "$work"
    pids=() run_as=()
    fail=0 job_exit=0
    trap fault_cleanup EXIT
    export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/station
    ports=$XDG_CONFIG_HOME/quillet/ports
    station_ports=$work/station/quillet/ports
    mkdir -p "$ports" "$station_ports"
    new_job "$work/job"
}

fault_cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    chmod -R u+rwX "$work" 2>/dev/null || true
    rm -rf "$work"
}

failed() {  # message: the case fails, the script goes on to show more
    echo "FAIL: $*"
    fail=1
}

fault_exit() {
    echo "last job ended after ${job_seconds:-?} s"
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

# --- meters -------------------------------------------------------------

start_meter() {  # name, port number, directory to publish in, meter-sim options...
    local name=$1 port=$2 dir=$3
    shift 3
    "${run_as[@]}" "$meter_sim" --port-dir "$dir" --port "$port" --log "$work/$name.log" "$@" \
        >"$work/$name.ready" &
    pids+=($!)
    declare -g "meter_pid_$name=$!"
    local _
    for _ in $(seq 100); do [[ -s $work/$name.ready ]] && return; sleep 0.05; done
    echo "meter-sim $name did not start"
    exit 1
}

queries() {  # meter name: how many "QM" it has received
    grep -c 'QM' "$work/$1.log" || true
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

# --- the exchange record -------------------------------------------------

field() {  # width, text: the text cut or filled up with spaces to the width
    printf '%-*.*s' "$1" "$1" "$2"
}

# A whole 215-byte record: recognisable values in every field, bytes above 127
# among them, nonzero integers, and the given target text and port name.
record() {  # target text, port name
    field 20 $'HOST TEXT 1 \xB5\xB0'
    field 20 $'HOST TEXT 2 \x80\x81'
    field 20 "$1"
    field 20 'HOST TEXT 4'
    field 20 $'\tHOST TEXT 5\r\n'
    field 20 'HOST TEXT 6'
    field 20 $'HOST TEXT 7 \xFF'
    field 20 'OLD RESULT TEXT'
    printf '\x34\x12'
    field 2 'T0'
    field 20 $'HOST TEXT 11 \xE9'
    printf '\xFF\x7F'
    field 20 'HOST TEXT 13'
    printf '\x01\x02'
    printf '\xFE\xFF'
    field 5 "$2"
}

patch_bytes() {  # file, offset: overwrites the file's bytes from offset with standard input
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

bytes_of() {  # file, offset, count
    dd if="$1" bs=1 skip="$2" count="$3" status=none
}

# The file that a job with this result must leave, given the file before it.
expected_file() {  # file before the job, result text
    local before=$1 result=$2 padded=$work/padded
    head -c 215 "$before" >"$padded"
    truncate -s 215 "$padded"
    bytes_of "$padded" 0 140
    field 20 "$result"
    bytes_of "$padded" 160 46
    printf '\0\0\0\0'
    bytes_of "$padded" 210 5
    tail -c +216 "$before"
}

check_record() {  # result text: ExtCtrl.dat against the copy saved before the run
    expected_file "$job.before" "$1" >"$job.expected"
    if ! cmp "$job.expected" "$job/ExtCtrl.dat"; then
        failed "ExtCtrl.dat is not the record before with result \"$1\""
        echo "--- expected (first 256 bytes)"; head -c 256 "$job.expected" | od -A d -c
        echo "--- got (first 256 bytes)"; head -c 256 "$job/ExtCtrl.dat" | od -A d -c
    fi
}

check_untouched() {  # ExtCtrl.dat byte for byte as before the run
    cmp "$job.before" "$job/ExtCtrl.dat" || failed "ExtCtrl.dat changed"
}

# --- the job directory -----------------------------------------------------

list_dir() {  # every entry: kind, mode, owner, inode; size and time but for ExtCtrl.dat
    (cd "$job" && {
        find . -mindepth 1 -printf '%P %y %m %u %i\n'
        find . -mindepth 1 ! -path ./ExtCtrl.dat -printf '%P %s %T@\n'
    } | sort)
}

# --- running the utility ---------------------------------------------------

start_utility() {  # time limit in seconds, then optionally a command to run it through
    local limit=$1
    shift
    [[ -f $job/ExtCtrl.dat ]] && cp "$job/ExtCtrl.dat" "$job.before"
    list_dir >"$job.listing"
    job_limit=$limit
    job_start=$EPOCHREALTIME
    (cd "$job" && exec timeout -k 2 "$limit" env -u DISPLAY "$@" "$utility") \
        >"$job.out" 2>"$job.err" &
    job_pid=$!
}

finish_utility() {  # [accepted exit statuses...]: checks status, time and directory; sets job_seconds
    local status=0 accepted=("${@:-$job_exit}")
    wait "$job_pid" || status=$?
    job_status=$status
    job_seconds=$(awk -v a="$job_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
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

expect_within() {  # seconds: the run just finished took no longer
    awk -v t="$job_seconds" -v limit="$1" 'BEGIN { exit !(t <= limit) }' ||
        failed "the job took $job_seconds s, more than $1 s"
}

check_status() {  # result text, empty for a failed reading
    local expected
    if [[ -n $1 ]]; then
        expected=$'Reading from 189...\n\nReading = '"$1"$'\n\nPassing reading to Vantor...'
    else
        expected=$'Reading from 189...\n\nSettling...'
    fi
    [[ $(cat "$job.out") == "$expected" ]] || failed "status output is not the one for result \"$1\""
}

check_not_written() {  # reason: the one line on standard error of a result not written
    local want
    want="quillet-reading-utility: the result was not written: $(realpath "$job")/ExtCtrl.dat: $1"
    [[ $(cat "$job.err") == "$want" ]] || failed "standard error is not: $want"
}

check_job() {  # result text: the status lines and the record of a job with that result
    check_status "$1"
    check_record "$1"
}
