#!/usr/bin/env bash
# Starts a command that shows the status window on a private Xvfb server and
# checks the window from outside: title, client size, centring, both icon
# images, and the status text drawn in the label as LINES lines with an empty
# line between each. The command is stopped afterwards, or with --wait awaited,
# and its exit status becomes the check's. With --watch, the window of a
# process already running (PID) is checked instead, and the process is left
# alone.
#
# Usage: with-xvfb.sh [-s SCREEN] check-window.sh [--wait] [--centred-by CHECK] LINES COMMAND [ARGUMENT...]
#        check-window.sh --watch PID [--centred-by CHECK] LINES      (DISPLAY set)
# The label must lie on the screen vertically. With --centred-by, the shell
# command CHECK judges the centring instead (a window whose frame is drawn by
# the program itself, not by a window manager, is centred by its outer size,
# which X does not see).
set -u

wait_for_command=0
centred_by=''
watch=''
while [[ ${1-} == --* ]]; do
    case $1 in
        --wait) wait_for_command=1; shift ;;
        --centred-by) centred_by=$2; shift 2 ;;
        --watch) watch=$2; shift 2 ;;
        *) break ;;
    esac
done
if (($# < 2)) && [[ -z $watch || $# -lt 1 ]]; then
    echo "usage: with-xvfb.sh $0 [--wait] [--centred-by CHECK] LINES COMMAND [ARGUMENT...]" >&2
    exit 2
fi
lines=$1
shift
source "$(dirname "$0")/../lib/job.sh"
require_commands "Debian packages x11-utils, imagemagick" xwininfo xprop import convert

title="Quillet Readback Utility"
work=$(mktemp -d)
if [[ -n $watch ]]; then
    pid=$watch
    : >"$work/stdout"
    trap 'rm -rf "$work"' EXIT
else
    "$@" >"$work/stdout" &
    pid=$!
    trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
field() { awk -F: -v name="$1" '$1 ~ name { gsub(/ /, "", $2); print $2 }' "$work/$2"; }

# A program under Wine on a busy machine may take several seconds to start.
limit=5
[[ -n $watch ]] && limit=20
# Under Wine the X window exists (unmapped, at a placeholder size and place)
# from the moment the program creates it, and reaches its size and place a
# moment after the program set them: wait until it is shown at its final size
# and stands still between two looks, or the time is up.
geometry() { grep -E "Absolute upper-left|Width:|Height:|Map State:" "$work/window"; }
previous=''
for ((tenths = 0; tenths < limit * 10; tenths++)); do
    if xwininfo -name "$title" >"$work/window" 2>/dev/null &&
        grep -q "Map State: IsViewable" "$work/window" &&
        grep -q "Width: 247$" "$work/window" && grep -q "Height: 107$" "$work/window"; then
        current=$(geometry)
        [[ $current == "$previous" ]] && break
        previous=$current
    fi
    kill -0 "$pid" 2>/dev/null || fail "the command (process $pid) ended without showing a window"
    sleep 0.1
done
[[ -s $work/window ]] || fail "no window titled \"$title\" on $DISPLAY within $limit s; the probe wrote: $(<"$work/stdout")"
grep -q "Map State: IsViewable" "$work/window" || fail "the window was not shown within $limit s"
xwininfo -root >"$work/root"

left=$(field "Absolute upper-left X" window)
top=$(field "Absolute upper-left Y" window)
width=$(field "Width" window)
height=$(field "Height" window)
screen_width=$(field "Width" root)
screen_height=$(field "Height" root)
echo "window ${width}x${height} at $left,$top on a ${screen_width}x${screen_height} screen"
[[ $width == 247 && $height == 107 ]] || fail "client size ${width}x${height}, not 247x107"

# The outer window, the window's top-level ancestor (a window manager's frame,
# or the window itself), is placed at half the difference of its size and the
# screen's, rounded half away from zero, and may stand partly off the screen.
centre() {
    local difference=$(($1 - $2))
    if ((difference < 0)); then echo $(((difference - 1) / 2)); else echo $(((difference + 1) / 2)); fi
}
if [[ -n $centred_by ]]; then
    bash -c "$centred_by" || fail "not centred: $centred_by"
else
    outer=$(awk '/Window id:/ {print $4}' "$work/window")
    while parent=$(xwininfo -id "$outer" -children | awk '/Parent window id:/ && !/root window/ {print $4}') &&
        [[ -n $parent ]]; do outer=$parent; done
    read -r at outer_width outer_height < <(xwininfo -id "$outer" | awk -F': *' '/Absolute upper-left X/ {
        x = $2 } /Absolute upper-left Y/ { y = $2 } / Width/ { w = $2 } / Height/ { h = $2 } /Border width/ { b = $2 }
        END { print x "," y, w + 2 * b, h + 2 * b }')
    expected="$(centre "$screen_width" "$outer_width"),$(centre "$screen_height" "$outer_height")"
    [[ $at == "$expected" ]] || fail "outer window ${outer_width}x$outer_height at $at, not centred at $expected"
fi

# Icon images as "WIDTHxHEIGHT COLOURS", fully transparent pixels no colour.
xprop -name "$title" -notype -f _NET_WM_ICON 32c ' $0+' _NET_WM_ICON | tr -c '0-9\n' ' ' | awk '
    { for (i = 1; i <= NF; i++) if (!n) { w = $i; h = $(++i); n = w * h; c = 0; split("", seen) }
      else { if ($i >= 16777216 && !seen[$i]++) c++; if (!--n) print w "x" h, c } }' >"$work/icon"
grep -Eqx "32x32 ([0-9]|1[0-6])" "$work/icon" && grep -Eqx "16x16 ([0-9]|1[0-6])" "$work/icon" ||
    fail "no 32x32 and 16x16 icons of 16 colours at most; icons (size, colours): $(paste -sd ' ' "$work/icon")"

# Rows of the label (236 x 97 at 5,6; the part on the screen) that hold dark
# pixels, grouped into runs that stand at least 6 rows apart: one run per line.
lines_drawn() {
    convert "$work/screen.png" -crop "$(printf '236x97%+d%+d' $((left + 5)) $((top + 6)))" +repage \
        -colorspace Gray -threshold 50% -negate -scale 1x97! -depth 8 -compress none pgm:- |
        awk 'NR > 3 { for (i = 1; i <= NF; i++) ink[row++] = $i > 0 }
             END {
                 for (r = 0; r < row; r++) if (ink[r]) {
                     if (last == "" || r - last > 6) runs = runs (runs == "" ? "" : " ") r
                     last = r
                 }
                 print runs
             }'
}
# Wine may draw the text a moment after the window appears on a busy machine.
for ((attempt = 0; attempt < 25; attempt++)); do
    import -window root "$work/screen.png"
    runs=$(lines_drawn)
    read -ra starts <<<"$runs"
    ((${#starts[@]} == lines)) && break
    sleep 0.2
done
echo "text lines start at label rows: $runs"
((${#starts[@]} == lines)) || fail "expected $lines lines of text with empty lines between, found rows: $runs"
((starts[0] < 6)) || fail "the first line does not start at the top of the label"
if ((wait_for_command)); then
    wait $pid
    status=$?
    cat "$work/stdout"
    ((status == 0)) || fail "the command ended with status $status"
fi
echo "PASS"
