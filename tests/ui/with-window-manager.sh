#!/usr/bin/env bash
# with-xvfb.sh with-window-manager.sh COMMAND...: runs COMMAND under the Openbox
# window manager on the display in DISPLAY; without Openbox, skipped (77; a
# failure with QUILLET_REQUIRE_ALL_TESTS=1).
set -u
source "$(dirname "$0")/../lib/job.sh"
require_commands 'Debian package openbox' openbox
openbox --sm-disable >/dev/null 2>&1 &
trap "kill $!; wait $!" EXIT
for ((tenths = 0; ; tenths++)); do
    xprop -root _OB_THEME | grep -q = && break  # set once its theme is loaded
    ((tenths < 100)) || { echo "$0: openbox did not start within 10 s" >&2; exit 1; }
    sleep 0.1
done
"$@"
