#!/usr/bin/env bash
# The rows of the conversion table marked "job", each a whole job through the
# real programs (run_job.sh): the result in the record and the status text, or
# no reading for a reply that cannot be converted.
#
# usage: conversions.sh TABLE UTILITY METER_SIM [run_job.sh options]...
set -uo pipefail
table=$1
shift
run_job=$(dirname "$(realpath "$0")")/../lib/run_job.sh
failures=0 jobs=0
while IFS= read -r line; do
    # Tabs as a separator that is no blank, so that an empty column stays one.
    IFS=$'\x1f' read -r reply target result mark <<<"${line//$'\t'/$'\x1f'}"
    [[ -z $reply || $reply == '#'* || $mark != job ]] && continue
    jobs=$((jobs + 1))
    args=(--reading "$reply" --expect-queries 2)
    # The target as its bytes; an empty one is the record's empty field.
    if [[ -n $target ]]; then args+=(--target "$(printf '%b' "$target")"); else args+=(--no-target); fi
    [[ $result == fails ]] || args+=(--expect-result "$(printf '%b' "$result")")
    if ! "$run_job" "$@" "${args[@]}"; then
        echo "FAIL: reply $reply, target '$target'" >&2
        failures=$((failures + 1))
    fi
done <"$table"
((jobs > 0)) || { echo "FAIL: no row of $table is marked job" >&2; exit 1; }
echo "$jobs jobs, $failures failed"
((failures == 0))
