#!/usr/bin/env bash
# Runs one whole job of the Windows build under Wine: meter-sim on a pseudo
# terminal mapped as a COM port of the Wine prefix, ExtCtrl.dat prepared in a
# job directory, "Quillet Reading Utility.exe" started there, and the record
# it writes back compared byte for byte with the expected one.
#
# usage: run_job_wine.sh EXE METER_SIM [options]
#   WINEPREFIX must name a prepared prefix (wine_prefix.sh setup).
#   --reading TEXT        meter reply (C escapes such as \r allowed)
#   --silent              the meter never answers
#   --target TEXT         job's target text (default "1000 Ohms")
#   --port-name NAME      job's port name (default COM5)
#   --publish N           COM number meter-sim is mapped as (default 5)
#   --map comN=PATH       another port link in the prefix (lower case com)
#   --expect-result TEXT  the result text; empty (default) means no reading
#   --expect-queries N    number of "QM" commands the meter must have received
#   --delay SECONDS       the meter waits this long before each answer
#   --sim-arg ARG         one more argument for meter-sim (repeatable)
#   --high-bytes          every field the utility does not write holds bytes
#                         above 127
#   --no-file             no ExtCtrl.dat: the job runs on an all-zero record
#   --directory           ExtCtrl.dat is a directory: the job runs on the zero
#                         record and must end with exit status 1, say why on
#                         standard error and leave the directory as it was
#   --linux UTILITY       run the same job with the Linux utility as well and
#                         require byte-identical records
#   --during COMMAND      run COMMAND (through bash) while the utility runs,
#                         after --wait seconds; its failure fails the job. The
#                         utility's process id is in $QUILLET_PID
#   --wait SECONDS        (default 1)
#   --locale LANGUAGE ACP run the utility in the locale LANGUAGE.UTF-8
#                         (compiled with localedef for the test), in which
#                         Wine's ANSI code page must be ACP (needs
#                         --check-window, whose inspector reports it)
#   --check-window INSPECTOR
#                         while the utility waits for the first reply, check
#                         its window on the X display (DISPLAY must be set):
#                         caption, client size, centring by its outer size
#                         and the label's text (INSPECTOR: window_examine.exe),
#                         both icons, and the text drawn. Without a display the
#                         record is still checked and the test then reports a
#                         skip (77).
set -euo pipefail

exe=$(realpath "$1") meter_sim=$(realpath "$2")
shift 2
: "${WINEPREFIX:?run_job_wine.sh needs WINEPREFIX}"
export WINEDEBUG=-all

reading='0\r+1.2345 kOhms\r' silent=0 target='1000 Ohms' port_name=COM5 publish=5
expect_result='' expect_queries='' maps=() delay=0 high=0 no_file=0 directory=0 linux=''
during='' wait_s=1 sim_extra=() inspector='' language='' acp=''
here=$(dirname "$(realpath "$0")")
while (($#)); do
    case $1 in
        --reading) reading=$2; shift 2 ;;
        --silent) silent=1; shift ;;
        --target) target=$2; shift 2 ;;
        --port-name) port_name=$2; shift 2 ;;
        --publish) publish=$2; shift 2 ;;
        --map) maps+=("$2"); shift 2 ;;
        --expect-result) expect_result=$2; shift 2 ;;
        --expect-queries) expect_queries=$2; shift 2 ;;
        --delay) delay=$2; shift 2 ;;
        --sim-arg) sim_extra+=("$2"); shift 2 ;;
        --high-bytes) high=1; shift ;;
        --no-file) no_file=1; shift ;;
        --directory) directory=1; shift ;;
        --linux) linux=$(realpath "$2"); shift 2 ;;
        --during) during=$2; shift 2 ;;
        --wait) wait_s=$2; shift 2 ;;
        --check-window) inspector=$(realpath "$2"); shift 2 ;;
        --locale) language=$2 acp=$3; shift 3 ;;
        *) echo "run_job_wine.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

dosdevices=$WINEPREFIX/dosdevices
work=$(mktemp -d)
sim_pid='' links=()
cleanup() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    for link in "${links[@]}"; do rm -f "$link"; done
    rm -rf "$work"
}
trap cleanup EXIT

# Wine finds a port only as a lower-case link; links left by an earlier run of
# the same number are replaced.
map_port() {  # NAME TARGET
    local link=$dosdevices/${1,,}
    rm -f "$link"
    ln -s "$2" "$link"
    links+=("$link")
}
for map in "${maps[@]}"; do map_port "${map%%=*}" "${map#*=}"; done

# meter-sim also publishes its terminal as COM<N> for the Linux utility.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/quillet/ports" "$work/job"
sim_args=(--port-dir "$XDG_CONFIG_HOME/quillet/ports" --port "$publish" --log "$work/meter.log"
          --delay "$delay" "${sim_extra[@]}")
if ((silent)); then sim_args+=(--silent); else sim_args+=(--reading "$reading"); fi
"$meter_sim" "${sim_args[@]}" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
[[ -s $work/sim.out ]] || { echo "meter-sim did not start"; exit 1; }
map_port "com$publish" "$(head -n 1 "$work/sim.out")"

# One field of N bytes: the text, blank-filled or cut.
field() { printf '%-*.*s' "$1" "$1" "$2"; }
# N bytes above 127, different from field to field.
high_field() {
    local n=$1 first=$2 i
    for ((i = 0; i < n; i++)); do printf "\\$(printf '%03o' $((128 + (first + i) % 128)))"; done
}
text_field() {  # N TEXT SEED
    if ((high)); then high_field "$1" "$3"; else field "$1" "$2"; fi
}
number_field() {  # little-endian 16-bit VALUE (0..255 suffices), or high bytes
    if ((high)); then high_field 2 "$2"; else printf "\\$(printf '%03o' "$1")\\000"; fi
}

# The record as the host leaves it, and as it must come back.
make_record() {
    text_field 20 'HOST TEXT 1' 1
    text_field 20 'HOST TEXT 2' 21
    field 20 "$target"
    text_field 20 'HOST TEXT 4' 41
    text_field 20 'HOST TEXT 5' 61
    text_field 20 'HOST TEXT 6' 81
    text_field 20 'HOST TEXT 7' 101
    text_field 20 '(no result yet)' 121
    number_field 123 3
    text_field 2 '10' 7
    text_field 20 'HOST TEXT 11' 11
    number_field 12 13
    text_field 20 'HOST TEXT 13' 33
    number_field 14 17
    number_field 15 19
    field 5 "$port_name"
}
if ((no_file || directory)); then
    head -c 215 /dev/zero >"$work/sent.dat"
    ((directory)) && mkdir "$work/job/ExtCtrl.dat" && : >"$work/job/ExtCtrl.dat/kept"
else
    make_record >"$work/sent.dat"
    cp "$work/sent.dat" "$work/job/ExtCtrl.dat"
fi
{
    head -c 140 "$work/sent.dat"
    field 20 "$expect_result"
    tail -c +161 "$work/sent.dat" | head -c 46
    head -c 4 /dev/zero
    tail -c 5 "$work/sent.dat"
} >"$work/expected.dat"

# The utility, with its output in files: a pipe would keep the test waiting
# for Wine's background services.
no_display=0
if [[ -n $inspector ]]; then
    if [[ -z ${DISPLAY:-} ]]; then
        echo "no X display: the window is not checked"
        no_display=1 inspector=''
    else
        # While the meter takes its time over the first reply, the label holds
        # the first status line and its two line breaks.
        during="bash '$here/../ui/check-window.sh' --watch \$QUILLET_PID --centred-by \"wine '$inspector' 'Reading from 189...\\r\\n\\r\\n'\" 1"
    fi
fi
# With an X display the window shows on it, checked or not: every program of
# the shared Wine server then uses the same graphics driver. (A program run
# without the display among programs run with it at times keeps the next
# program's window from being mapped until that program ends.)
if [[ -n $language ]]; then
    [[ -n $inspector ]] || { echo "--locale needs --check-window"; exit 2; }
    export LOCPATH=$work/locale LC_ALL=$language.UTF-8
    mkdir "$LOCPATH"
    localedef -i "$language" -f UTF-8 "$LOCPATH/$LC_ALL" ||
        { echo "localedef cannot make $LC_ALL"; exit 1; }
    wine "$inspector" --acp >"$work/acp" 2>/dev/null </dev/null
    [[ $(tr -d '\r' <"$work/acp") == "$acp" ]] ||
        { echo "ANSI code page $(<"$work/acp") under $LC_ALL, expected $acp"; exit 1; }
fi
status=0
(cd "$work/job" && exec wine "$exe" >"$work/wine.out" 2>"$work/wine.err") &
utility_pid=$!
fail=0
if [[ -n $during ]]; then
    sleep "$wait_s"
    QUILLET_PID=$utility_pid bash -c "$during" || { echo "check during the job failed"; fail=1; }
fi
wait "$utility_pid" || status=$?

if ((status != directory)); then echo "the utility exited with $status"; cat "$work/wine.err"; fail=1; fi
if ((directory)); then
    [[ -f $work/job/ExtCtrl.dat/kept ]] || { echo "the directory changed"; fail=1; }
    grep -q 'the result was not written: .*ExtCtrl.dat: not a regular file' "$work/wine.err" ||
        { echo "standard error does not say why the result was not written"; fail=1; }
elif ! cmp "$work/expected.dat" "$work/job/ExtCtrl.dat"; then
    echo "--- expected"; od -A d -c "$work/expected.dat"
    echo "--- got"; od -A d -c "$work/job/ExtCtrl.dat" 2>/dev/null || echo "(no file)"
    fail=1
fi
if [[ -n $expect_queries ]]; then
    queries=$(grep -c 'QM' "$work/meter.log" || true)
    if ((queries != expect_queries)); then
        echo "meter received $queries queries, expected $expect_queries"; cat "$work/meter.log"
        fail=1
    fi
fi

# The same job with the Linux utility: the same bytes must come back.
if [[ -n $linux ]]; then
    mkdir "$work/linux"
    ((no_file)) || cp "$work/sent.dat" "$work/linux/ExtCtrl.dat"
    (cd "$work/linux" && env -u DISPLAY -u LC_ALL "$linux" >"$work/linux.out" 2>&1) ||
        { echo "the Linux utility failed"; cat "$work/linux.out"; fail=1; }
    if ! cmp "$work/job/ExtCtrl.dat" "$work/linux/ExtCtrl.dat"; then
        echo "--- Linux wrote"; od -A d -c "$work/linux/ExtCtrl.dat"
        fail=1
    fi
fi
((fail == 0 && no_display)) && exit 77
exit $fail
