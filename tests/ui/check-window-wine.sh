#!/usr/bin/env bash
# Runs check-window.sh on a Windows program under Wine, in a Wine prefix of
# its own made on the present X display (the Wine desktop stays on the display
# its server started with), and removes the prefix afterwards.
#
# The first window of a fresh Wine server on a new display is at times mapped
# only after the program's last paint and then stays black, as the program
# handles no messages; a window program run once beforehand (WARM_UP, which
# must end by itself) gets past that.
#
# The window is centred by its outer size, and its label holds the status
# text of a job with the result 1234.5Ohms (the window probe's), as INSPECTOR
# (window_examine.exe) sees them.
#
# Usage: with-xvfb.sh check-window-wine.sh PREFIX KEEP_ALIVE WARM_UP INSPECTOR
#            [check-window.sh arguments...]   (KEEP_ALIVE: see wine_prefix.sh)
set -u
here=$(dirname "$0")
source "$here/../lib/job.sh"
require_commands "Debian packages wine, wine64" wine
prefix=$1 keep_alive=$2 warm_up=$3 inspector=$4
shift 4
export WINEPREFIX=$prefix WINEDEBUG=-all
# The server started here outlives the set-up; its output goes to a file.
if ! bash "$here/../win/wine_prefix.sh" setup "$prefix" "$keep_alive" </dev/null >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    exit 1
fi
trap 'bash "$here/../win/wine_prefix.sh" teardown "$prefix" >/dev/null 2>&1; rm -f "$prefix.log"' EXIT
wine "$warm_up" >/dev/null 2>&1 </dev/null
bash "$here/check-window.sh" --centred-by "wine '$inspector' '$(status_text 1234.5Ohms '\r\n')'" "$@"
