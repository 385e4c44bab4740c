#!/usr/bin/env bash
# The Wine prefix the Windows tests share: made fresh once per test run and
# removed at its end.
#
# usage: wine_prefix.sh setup PREFIX KEEP_ALIVE [WARM_UP]
#        wine_prefix.sh teardown PREFIX
#   setup     creates PREFIX, sets the graphics driver to "x11,null" (windows
#             can be created with or without an X display), removes the serial
#             port links a new prefix makes, and starts the Wine server with a
#             keep-alive, and KEEP_ALIVE, which holds Wine's desktop: every
#             test finds both running and warm. With an X display, WARM_UP (a
#             window program that ends by itself) is run once: the first window
#             of a new Wine server on a display is at times mapped only after
#             its program's last paint, and a program that handles no messages
#             then stays black.
#   teardown  stops the server (and so KEEP_ALIVE) and removes PREFIX.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='

# Debian's wineserver wrapper always passes -p0 (end with the last client);
# the server binary itself takes the keep-alive.
server=/usr/lib/wine/wineserver64
[[ -x $server ]] || server=$(command -v wineserver)

case $action in
    setup)
        if [[ -e $WINEPREFIX ]]; then
            "$server" -k 2>/dev/null || true
            rm -rf "$WINEPREFIX"
        fi
        mkdir -p "$WINEPREFIX"
        # Keep-alive first: the prefix set-up and every test reuse this server.
        "$server" -p600 >/dev/null 2>&1 </dev/null
        # Background services started by the first process inherit its output:
        # never a pipe a test waits on.
        wine wineboot --init >/dev/null 2>&1 </dev/null
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d 'x11,null' /f \
            >/dev/null 2>&1 </dev/null
        # A new prefix maps com1 to /dev/ttyS0 and so on; the tests map their own.
        find "$WINEPREFIX/dosdevices" -maxdepth 1 -iname 'com*' -exec rm -f {} +
        # Warm-up: the next program starts like any later one.
        wine cmd /c exit >/dev/null 2>&1 </dev/null
        # Half an hour at most, should the teardown never come.
        wine "$3" 1800 >/dev/null 2>&1 </dev/null &
        if [[ -n ${4:-} && -n ${DISPLAY:-} ]]; then
            wine "$4" >/dev/null 2>&1 </dev/null
        fi
        echo "Wine prefix ready: $WINEPREFIX"
        ;;
    teardown)
        "$server" -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        ;;
    *)
        echo "wine_prefix.sh: unknown action $action" >&2
        exit 2
        ;;
esac
