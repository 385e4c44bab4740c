#!/usr/bin/env bash
# quillet-journal.exe under Wine, a console program: verify on a whole journal,
# on one with a line altered and on a missing file, show by port and seq, over
# two files, with --last and with no match, replay refused with exit status 2,
# /? as --help; its output in CR LF lines.
# usage: journal_tool_wine.sh JOURNAL_EXE   (WINEPREFIX: a prepared prefix)
set -euo pipefail
exe=$1 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
failed() { echo "FAIL: $*"; fail=1; }
entry() {  # seq, prev (JSON), port
    printf '{"seq":%s,"prev":%s,"locked":true,"start":"2026-12-10T14:3%s:00.000+01:00","port":"%s",' "$1" "$2" "$1" "$3"
    printf '"target":"1000 Ohms           ","result":"1234.5Ohms","outcome":"reading"}'
}
one=$(entry 1 null 'COM3 ')
two=$(entry 2 "\"$(printf '%s' "$one" | sha256sum | cut -c1-64)\"" 'COM5 ')
printf '%s\n%s\n' "$one" "$two" >"$work/journal-2026-12.jsonl"
printf '%s\n%s\n' "${one/1234.5/1234.6}" "$two" >"$work/altered.jsonl"
run() {  # expected exit status, arguments...
    local want=$1 status=0
    shift
    (cd "$work" && wine "$exe" "$@" >"$work/raw" 2>&1 </dev/null) || status=$?
    [[ ! -s $work/raw ]] || grep -q $'\r$' "$work/raw" || failed "$*: no CR LF lines"
    tr -d '\r' <"$work/raw" >"$work/out"
    ((status == want)) || failed "$*: exit status $status, expected $want: $(<"$work/out")"
}
run 0 verify journal-2026-12.jsonl
grep -qx 'journal-2026-12.jsonl: 2 entries, whole' "$work/out" || failed "verify: $(<"$work/out")"
run 1 verify altered.jsonl
grep -q '^altered.jsonl: not whole: line 2: an altered line' "$work/out" || failed "altered: $(<"$work/out")"
run 2 verify journal-2026-12.jsonl altered.jsonl missing.jsonl
[[ $(grep -c -e ', whole$' -e '^altered.jsonl: not whole' -e 'missing.jsonl: cannot be read' "$work/out") == 3 ]] ||
    failed "three files: $(<"$work/out")"
run 0 show journal-2026-12.jsonl altered.jsonl --seq 1
[[ $(cut -d' ' -f1 "$work/out" | tr '\n' /) == journal-2026-12.jsonl:/altered.jsonl:/ ]] || failed "two files: $(<"$work/out")"
run 0 show journal-2026-12.jsonl altered.jsonl --last
[[ $(wc -l <"$work/out") == 1 ]] && grep -qx 'altered.jsonl: .*  seq 2  .*' "$work/out" || failed "--last: $(<"$work/out")"
run 1 show journal-2026-12.jsonl --outcome no-reading
run 0 show journal-2026-12.jsonl --port 'COM 5' --seq 2
grep -qx '2026-12-10T14:32:00.000+01:00  seq 2  "COM5"  target "1000 Ohms"  result "1234.5Ohms"  reading' \
    "$work/out" || failed "show: $(<"$work/out")"
run 2 replay journal-2026-12.jsonl --seq 1
grep -q 'not available on Windows' "$work/out" || failed "replay: $(<"$work/out")"
run 0 /? && cp "$work/out" "$work/help"
run 0 --help
cmp -s "$work/help" "$work/out" || failed "/? is not --help"
grep -q -- '--help, /?' "$work/out" || failed "the help does not name /?"
exit $fail
