#!/usr/bin/env bash
# Runs a command under a private Xvfb server on a free display number and stops
# the server afterwards. The command finds the server in DISPLAY and its
# process id in XVFB_PID; the exit status is the command's, or when Xvfb is not
# installed 77 (skipped; 1 with QUILLET_REQUIRE_ALL_TESTS=1).
#
# Usage: with-xvfb.sh [-s WIDTHxHEIGHTxDEPTH] [-a AUTHFILE] command [argument...]
#   -s  screen of the server (default 1024x768x24)
#   -a  authority file; the server then refuses clients without its cookie
set -u

usage() { echo "usage: $0 [-s WIDTHxHEIGHTxDEPTH] [-a AUTHFILE] command [argument...]" >&2; }
screen=1024x768x24
auth=()
while getopts s:a: option; do
    case $option in
        s) screen=$OPTARG ;;
        a) auth=(-auth "$OPTARG") ;;
        *) usage; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if (($# == 0)); then usage; exit 2; fi
source "$(dirname "$0")/../lib/job.sh"
require_commands "Debian package xvfb" Xvfb

work=$(mktemp -d)
: >"$work/display"
# -displayfd: the server picks a free display number and writes it, followed
# by a line feed, once it accepts connections. -noreset: a server that resets
# when its last client leaves refuses clients that connect meanwhile, so a
# probe such as xwininfo could make the command's own connection fail.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "${auth[@]}" \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
server=$!
stop() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

for ((tenths = 0; tenths < 100; tenths++)); do
    grep -qx '[0-9]\+' "$work/display" && break
    if ! kill -0 "$server" 2>/dev/null; then
        echo "$0: Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! grep -qx '[0-9]\+' "$work/display"; then
    echo "$0: Xvfb did not become ready within 10 s" >&2
    exit 1
fi

XVFB_PID=$server DISPLAY=:$(<"$work/display") "$@"
