#!/usr/bin/env bash
# host-sim in a directory that already holds a job: refused without --force,
# no default port, no job without a port in --port-dir, and --show prints
# every field of what is there.
set -euo pipefail
host_sim=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
status() { local s=0; "$@" >out 2>err || s=$?; echo "$s"; }

printf 'precious' >ExtCtrl.dat
[[ $(status "$host_sim" --port COM5 --utility /bin/true) == 2 ]] || { echo "overwrote without --force"; fail=1; }
[[ $(cat ExtCtrl.dat) == precious ]] || { echo "file changed"; fail=1; }
[[ $(status "$host_sim" --utility /bin/true --force) == 2 ]] || { echo "ran without --port"; fail=1; }
[[ $(cat ExtCtrl.dat) == precious ]] || { echo "file changed"; fail=1; }

# A utility that leaves the record untouched: no reading. One that cannot start: 4.
[[ $(status "$host_sim" --port COM5 --utility /bin/true --force) == 1 ]] || { echo "untouched record"; cat out; fail=1; }
grep -qx 'Number14: 14' out && grep -qx 'Other fields: unchanged' out || { echo "no report"; cat out; fail=1; }
[[ $(status "$host_sim" --port COM5 --utility "$work/none" --force) == 4 ]] || { echo "missing utility"; fail=1; }
# A utility killed by a signal (it did not end normally), or ending with 1 (no result written).
printf '#!/bin/sh\nkill -9 $$\n' >killed && chmod +x killed
[[ $(status "$host_sim" --port COM5 --utility "$work/killed" --force) == 4 ]] || { echo "killed utility"; fail=1; }
[[ $(status "$host_sim" --port COM5 --utility /bin/false --force) == 4 ]] || { echo "result not written"; fail=1; }
# A utility that cuts the record: damaged.
printf '#!/bin/sh\ntruncate -s 100 ExtCtrl.dat\n' >cut && chmod +x cut
[[ $(status "$host_sim" --port COM5 --utility "$work/cut" --force) == 3 ]] || { echo "cut record"; fail=1; }

# --port-dir's folder without an entry after 10 s: refused before the job is written.
[[ $(status "$host_sim" --port COM5 --port-dir none --dir new --utility /bin/true) == 2 && ! -e new/ExtCtrl.dat ]] ||
    { echo "ran without a port"; fail=1; }
# A station whose own folder (read whatever the environment says; here one
# mounted over /etc/xdg in a mount namespace of the test's own) keeps a journal:
# --port-dir refuses before the job is written.
mkdir -p ports xdg/quillet && touch ports/COM5 && echo 'journal = /nowhere.jsonl' >xdg/quillet/settings
[[ $(status unshare -m sh -c 'mount --bind xdg /etc/xdg && exec "$0" "$@"' "$host_sim" --port COM5 \
    --port-dir ports --dir apart --utility /bin/true) == 2 && ! -e apart/ExtCtrl.dat ]] &&
    grep -q 'cannot keep the job apart: /etc/xdg/quillet/settings keeps a journal' err || { echo "ran on the station"; cat err; fail=1; }
[[ $(status "$host_sim" --port COM12 --target 'a"b' --utility /bin/true --force) == 1 ]] || fail=1
[[ $(status "$host_sim" --show) == 0 ]] || { echo "--show failed"; cat out err; fail=1; }
grep -qx 'Text1: "HOST TEXT 1 \\xB5\\xB0      "' out || { echo "Text1 not shown"; cat out; fail=1; }
grep -qx 'TargetText: "a\\"b                 "' out || { echo "TargetText not shown"; fail=1; }
grep -qx 'Number12: -12' out || { echo "Number12 not shown"; fail=1; }
grep -qx 'PortName: "COM12"' out || { echo "PortName not shown"; fail=1; }
truncate -s 100 ExtCtrl.dat
[[ $(status "$host_sim" --show ExtCtrl.dat) == 3 ]] || { echo "short record not damaged"; fail=1; }
exit $fail
