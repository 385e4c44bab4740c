#!/usr/bin/env bash
# Runs check-window.sh on a Windows program under Wine, in a Wine prefix of
# its own made on the present X display (the Wine desktop stays on the display
# its server started with), and removes the prefix afterwards.
#
# Usage: with-xvfb.sh check-window-wine.sh PREFIX [check-window.sh arguments...]
set -u
if ! command -v wine >/dev/null; then
    echo "$0: wine is not installed (Debian package wine64)" >&2
    exit 77
fi
here=$(dirname "$0")
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all
# The server started here outlives the set-up; its output goes to a file.
if ! bash "$here/../win/wine_prefix.sh" setup "$prefix" </dev/null >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    exit 1
fi
trap 'bash "$here/../win/wine_prefix.sh" teardown "$prefix" >/dev/null 2>&1; rm -f "$prefix.log"' EXIT
bash "$here/check-window.sh" "$@"
