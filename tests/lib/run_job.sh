#!/usr/bin/env bash
# Runs one whole job with the harness (job.sh): meter-sim on a pseudo terminal
# published as a COM port, ExtCtrl.dat prepared in a job directory, the
# utility started there (the Windows build, UTILITY ending in .exe, under
# Wine), then the checks of job.sh: exit status, the record byte for byte, the
# job directory, the status lines (Linux build) and the meter's queries.
#
# usage: run_job.sh UTILITY METER_SIM [options]
#   --host-sim HOST_SIM   host-sim writes its own record and starts the utility
#   --reading TEXT        meter reply (C escapes such as \r allowed)
#   --silent              the meter never answers
#   --delay SECONDS       the meter waits this long before each answer (not
#                         in the --linux job, which checks the record only)
#   --sim-arg ARG         one more argument for meter-sim (repeatable)
#   --target TEXT         job's target text (default "1000 Ohms")
#   --no-target           an empty target text
#   --port-name NAME      job's port name (default COM5)
#   --publish N           COM number meter-sim is published as (default 5)
#   --map COMn=PATH       another entry in the port map
#   --high-bytes          every field the utility does not write holds bytes
#                         above 127
#   --no-file             no ExtCtrl.dat: the job runs on an all-zero record
#   --directory           ExtCtrl.dat is a directory: the job runs on the zero
#                         record, ends with exit status 1 saying why on
#                         standard error, and leaves the directory as it was
#   --expect-result TEXT  the result text; empty (default) means no reading
#   --expect-queries N    number of "QM" commands the meter must have received
#   --expect-seconds A B  the job takes from A to B seconds
#   --check-window        a second after the start, while the meter takes its
#                         time over the first reply, check the window on the
#                         X display from outside (tests/ui/check-window.sh):
#                         caption, client size, centring, icons, one line of
#                         text drawn. Without a display the rest is checked
#                         and the test then counts as skipped.
#   --inspector EXE       (Wine) window_examine.exe judges the centring by the
#                         outer size and checks the label's text
#   --locale LANGUAGE ACP (Wine) the utility runs in the locale
#                         LANGUAGE.UTF-8, in which Wine's ANSI code page must
#                         be ACP (needs --inspector, which reports it)
#   --linux UTILITY       (Wine) the same job with the Linux utility as well:
#                         it must write the same bytes
#   --lose-display-at-query N
#                         keep DISPLAY, and stop the X server (XVFB_PID, set by
#                         tests/ui/with-xvfb.sh) once the meter has received N
#                         queries: the job goes on headless, its status lines
#                         on standard output from the beginning
here=$(dirname "$(realpath "$0")")
source "$here/job.sh"
job_init "$1" "$2"
shift 2

reading='0\r+1.2345 kOhms\r' silent=0 sim_args=() target='1000 Ohms' port_name=COM5 publish=5
maps=() file=record expect_result='' expect_queries='' expect_seconds=() window=0 inspector='' language=''
linux='' lose_display='' delay=()
while (($#)); do
    case $1 in
        --host-sim) host_sim=("$2"); shift 2 ;;
        --reading) reading=$2; shift 2 ;;
        --silent) silent=1; shift ;;
        --delay) delay=(--delay "$2"); shift 2 ;;
        --sim-arg) sim_args+=("$2"); shift 2 ;;
        --target) target=$2; shift 2 ;;
        --no-target) target=''; shift ;;
        --port-name) port_name=$2; shift 2 ;;
        --publish) publish=$2; shift 2 ;;
        --map) maps+=("$2"); shift 2 ;;
        --high-bytes) high_bytes=1; shift ;;
        --no-file) file=none; shift ;;
        --directory) file=directory job_exit=1; shift ;;
        --expect-result) expect_result=$2; shift 2 ;;
        --expect-queries) expect_queries=$2; shift 2 ;;
        --expect-seconds) expect_seconds=("$2" "$3"); shift 3 ;;
        --check-window) window=1 keep_display=1; shift ;;
        --inspector) inspector=$(realpath "$2"); shift 2 ;;
        --locale) language=$2 acp=$3; shift 3 ;;
        --linux) linux=$(realpath "$2"); shift 2 ;;
        --lose-display-at-query) lose_display=$2 keep_display=1; shift 2 ;;
        *) echo "run_job.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

if ((silent)); then sim_args+=(--silent); else sim_args+=(--reading "$reading"); fi
start_meter meter "$publish" "$ports" "${sim_args[@]}" "${delay[@]}"
for map in "${maps[@]}"; do map_port "${map%%=*}" "${map#*=}"; done
if ((${#host_sim[@]})); then
    # host-sim: 0 when a reading came back, 1 when none did.
    host_sim+=(--target "$target" --port "$port_name")
    [[ -n $expect_result ]] || job_exit=1
elif [[ $file == record ]]; then
    record "$target" "$port_name" >"$job/ExtCtrl.dat"
elif [[ $file == directory ]]; then
    mkdir "$job/ExtCtrl.dat"
    printf 'inside' >"$job/ExtCtrl.dat/kept"
fi

locale=()
if [[ -n $language ]]; then
    [[ -n $inspector ]] || { echo "--locale needs --inspector"; exit 2; }
    locale=(env LOCPATH="$work/locale" LC_ALL="$language.UTF-8")
    mkdir "$work/locale"
    localedef -i "$language" -f UTF-8 "$work/locale/$language.UTF-8" ||
        missing "the locale $language.UTF-8 cannot be made" "Debian package locales"
    "${locale[@]}" wine "$inspector" --acp >"$work/acp" 2>/dev/null </dev/null
    [[ $(tr -d '\r' <"$work/acp") == "$acp" ]] ||
        { echo "ANSI code page $(<"$work/acp") under $language.UTF-8, expected $acp"; exit 1; }
fi
if [[ -n $lose_display ]]; then
    [[ -n ${DISPLAY:-} && -n ${XVFB_PID:-} ]] ||
        missing "no X server to stop" "run the test under tests/ui/with-xvfb.sh, as CTest does"
fi

start_utility 30 "${locale[@]}"
if [[ -n $lose_display ]]; then
    wait_for_queries meter "$lose_display"
    kill "$XVFB_PID"
fi
if ((window)) && [[ -n ${DISPLAY:-} ]]; then
    # While the meter takes its time over the first reply, the label holds the
    # first status line and its two line breaks.
    centred=()
    [[ -z $inspector ]] ||
        centred=(--centred-by "${locale[*]} wine '$inspector' '$reading_from\\r\\n\\r\\n'")
    sleep 1
    bash "$here/../ui/check-window.sh" --watch "$job_pid" "${centred[@]}" 1 ||
        failed "the window check failed"
fi
finish_utility
if [[ $file == directory ]]; then
    check_not_written 'not a regular file'
else
    check_record "$expect_result"
fi
# The Linux build's status lines: printed, or with its window shown there
# only. (Under Wine the window shows even without an X display, on Wine's
# null graphics driver.)
if [[ -z $dosdevices ]]; then
    if ((window)); then [[ ! -s $job.out ]] || failed "status lines printed beside the window"
    else check_status "$expect_result"; fi
fi
[[ -z $expect_queries ]] || expect_queries meter "$expect_queries"
((${#expect_seconds[@]} == 0)) || expect_within "${expect_seconds[@]}"

# The same job with the Linux utility: the same record must come back.
if [[ -n $linux ]]; then
    before=$job.before
    new_job "$work/linux"
    if ((${#delay[@]})); then
        stop_meter meter
        start_meter linux_meter "$publish" "$ports" "${sim_args[@]}"
    fi
    [[ ! -f $before ]] || cp "$before" "$job/ExtCtrl.dat"
    utility=$linux dosdevices='' keep_display=0
    run_utility 30
    check_job "$expect_result"
fi
((fail)) || ((!window)) || [[ -n ${DISPLAY:-} ]] ||
    missing "no X display: the window was not checked" "run the test under tests/ui/with-xvfb.sh"
job_end
