#!/usr/bin/env bash
# Runs the window probe where no display can be opened (DISPLAY unset, empty,
# naming a display that does not exist, or one that refuses the connection)
# and checks that it ends normally with the status text on standard output,
# every CR as a line feed and a line feed at the end; also that it ends
# normally when nobody reads its standard output. Without Xvfb the other cases
# still run, and the test then counts as skipped.
#
# Usage: check-headless.sh WINDOW_PROBE
set -u
here=$(dirname "$0")
source "$here/../lib/job.sh"
if (($# == 0)); then
    echo "usage: $0 WINDOW_PROBE" >&2
    exit 2
fi
probe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{ status_text 1234.5Ohms; echo; } >"$work/expected"

failures=0
check() {
    local name=$1
    shift
    "$@" >"$work/stdout"
    local status=$?
    if ((status == 0)) && cmp -s "$work/expected" "$work/stdout"; then
        echo "ok: $name"
    else
        echo "FAIL: $name: exit status $status, standard output:" >&2
        cat -A "$work/stdout" >&2
        failures=$((failures + 1))
    fi
}

check "DISPLAY unset" env -u DISPLAY "$probe"
check "DISPLAY empty" env DISPLAY= "$probe"
check "no such display" env DISPLAY=:4093 "$probe"
if command -v Xvfb >/dev/null; then
    # A server that knows one cookie, and a client that has none.
    { printf '\xff\xff\0\0\0\0\0\x12MIT-MAGIC-COOKIE-1\0\x10'; head -c 16 /dev/urandom; } \
        >"$work/cookie"
    check "display refuses" bash "$here/with-xvfb.sh" -a "$work/cookie" \
        env XAUTHORITY=/dev/null "$probe"
fi
# Standard output a pipe without a reader: the job must still end normally.
# Opening the FIFO for reading and writing first lets the write end open
# without a reader; closing that leaves a pipe that nobody reads.
mkfifo "$work/pipe"
# shellcheck disable=SC2094
exec 4<>"$work/pipe" 5>"$work/pipe" 4<&-
env -u DISPLAY "$probe" >&5
status=$?
exec 5>&-
if ((status == 0)); then
    echo "ok: standard output a pipe without a reader"
else
    echo "FAIL: standard output a pipe without a reader: exit status $status" >&2
    failures=$((failures + 1))
fi
((failures == 0)) || exit 1
require_commands "Debian package xvfb" Xvfb
