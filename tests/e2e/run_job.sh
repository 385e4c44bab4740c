#!/usr/bin/env bash
# Runs one whole job end to end: meter-sim on a pseudo terminal published as a
# COM port in a private port namespace, host-sim preparing ExtCtrl.dat and
# starting the real utility (headless), then checks what came back.
#
# usage: run_job.sh UTILITY METER_SIM HOST_SIM [options]
#   --reading TEXT        meter reply (C escapes such as \r allowed)
#   --silent              the meter never answers
#   --target TEXT         job's target text (--no-target: an empty one)
#   --port-name NAME      job's port name (default COM5)
#   --publish N           COM number meter-sim is published as (default 5)
#   --map COMn=PATH       extra entry in the port namespace
#   --expect-result TEXT  the result text; empty means no reading
#   --expect-queries N    number of "QM" commands the meter must have received
#   --delay SECONDS       the meter waits this long before each answer
#   --window              keep DISPLAY: the status window shows instead of the
#                         status lines on standard output
#   --lose-display-after SECONDS
#                         keep DISPLAY, and stop the X server (XVFB_PID, set by
#                         tests/ui/with-xvfb.sh) this long after the start: the
#                         job goes on headless, its status lines on standard
#                         output from the beginning
set -euo pipefail

utility=$1 meter_sim=$2 host_sim=$3
shift 3

reading='0\r+1.2345 kOhms\r' silent=0 target='1000 Ohms' port_name=COM5 publish=5
expect_result='' expect_queries='' maps=() delay=0 window=0 lose_display=''
while (($#)); do
    case $1 in
        --reading) reading=$2; shift 2 ;;
        --silent) silent=1; shift ;;
        --target) target=$2; shift 2 ;;
        --no-target) target=''; shift ;;
        --port-name) port_name=$2; shift 2 ;;
        --publish) publish=$2; shift 2 ;;
        --map) maps+=("$2"); shift 2 ;;
        --expect-result) expect_result=$2; shift 2 ;;
        --expect-queries) expect_queries=$2; shift 2 ;;
        --delay) delay=$2; shift 2 ;;
        --window) window=1; shift ;;
        --lose-display-after) lose_display=$2; shift 2 ;;
        *) echo "run_job.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

work=$(mktemp -d)
sim_pid='' killer_pid=''
cleanup() {
    [[ -z $killer_pid ]] || kill "$killer_pid" 2>/dev/null || true
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/station
ports=$XDG_CONFIG_HOME/quillet/ports
mkdir -p "$ports" "$work/job"
for map in "${maps[@]}"; do ln -s "${map#*=}" "$ports/${map%%=*}"; done

sim_args=(--port-dir "$ports" --port "$publish" --log "$work/meter.log" --delay "$delay")
if ((silent)); then sim_args+=(--silent); else sim_args+=(--reading "$reading"); fi
"$meter_sim" "${sim_args[@]}" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.05; done
[[ -s $work/sim.out ]] || { echo "meter-sim did not start"; exit 1; }

status=0
display=(-u DISPLAY)
((window)) && display=()
if [[ -n $lose_display ]]; then
    [[ -n ${DISPLAY:-} && -n ${XVFB_PID:-} ]] || { echo "no Xvfb to stop (run under with-xvfb.sh)"; exit 77; }
    display=()
    (sleep "$lose_display" && kill "$XVFB_PID") &
    killer_pid=$!
fi
env "${display[@]}" "$host_sim" --dir "$work/job" --target "$target" --port "$port_name" \
    --utility "$utility" >"$work/out" || status=$?

# The status text comes first (headless: CR shown as line feed, a final line
# feed at exit), then host-sim's report of the record.
if ((window)); then
    status_text=''
elif [[ -n $expect_result ]]; then
    status_text=$'Reading from 189...\n\nReading = '"$expect_result"$'\n\nPassing reading to Vantor...'
else
    status_text=$'Reading from 189...\n\nSettling...'
fi
stored=$(printf '%-20.20s' "$expect_result")
expected="${status_text:+$status_text
}ResultText: \"$stored\"
Number14: 0
Number15: 0
Other fields: unchanged"

fail=0
if [[ $(cat "$work/out") != "$expected" ]]; then
    echo "--- expected"; printf '%s\n' "$expected"
    echo "--- got"; cat "$work/out"
    fail=1
fi
# host-sim: 0 when a reading came back, 1 when none did.
want_status=0
[[ -z $expect_result ]] && want_status=1
if ((status != want_status)); then echo "host-sim exited with $status, expected $want_status"; fail=1; fi
if [[ -n $expect_queries ]]; then
    queries=$(grep -c 'QM' "$work/meter.log" || true)
    if ((queries != expect_queries)); then
        echo "meter received $queries queries, expected $expect_queries"; cat "$work/meter.log"; fail=1
    fi
fi
exit $fail
