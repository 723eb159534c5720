#!/bin/sh
# Records the README's screenshot from a real session: runs a built Snapwit on a private 1280 by 720
# X server, makes one early click, then watches for flashes and clicks each one it sees until
# enough times are recorded, presses Page Up for a status message and saves the screen as a PNG.
# It builds nothing: give it a build folder made with the tests on (the default), which holds
# snapwit, font.bmp and the screen checker of the package test. Needs Xvfb, xdotool, xwd and
# ImageMagick's convert.
#
#   tools/record_screenshot.sh BUILD_DIR [OUT.png] [TIMES]     OUT defaults to docs/screenshot.png
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != --session ]; then
    [ $# -ge 1 ] || { echo "usage: tools/record_screenshot.sh BUILD_DIR [OUT.png] [TIMES]" >&2; exit 2; }
    build=$(cd "$1" && pwd)
    out=${2:-$top/docs/screenshot.png}
    mkdir -p "$(dirname "$out")"
    out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
    exec sh "$0" --session "$build" "$out" "${3:-8}"
fi

build=$2 out=$3 wanted=$4
checker=$build/tests/install/screen_check
work=$(mktemp -d)
# A private X server, started as the tests start theirs: -displayfd names a free display once the
# server is ready, with no race for a number; -noreset keeps it up between clients.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
waited=0
until [ -s "$work/display" ] || [ "$waited" -ge 150 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "record_screenshot: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

# A held press: Snapwit scores a press that a frame sees, and a bare click can fall between frames.
press() {
    xdotool mousedown 1
    sleep 0.05
    xdotool mouseup 1
}
# The white flash is a glow over the middle of the screen; nothing else there is white.
flash_showing() {
    xwd -root -silent >"$work/screen.xwd"
    [ "$("$checker" lit "$work/screen.xwd" 600 330 680 390)" -gt 100 ]
}

cd "$build"
./snapwit &
pid=$!
tries=0
until window=$(xdotool search --name '^Snapwit$' 2>/dev/null | head -n 1) && [ -n "$window" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "record_screenshot: Snapwit shows no window" >&2; exit 1; }
    sleep 0.1
done
xdotool windowfocus --sync "$window"
xdotool mousemove 640 360

# After the fade-in, one click before any flash: an early click.
sleep 2.2
press

# Each flash shows for 0.1 s and then waits up to 3 s for its click, so a flash that a poll
# catches is clicked within the wait; one that no poll sees becomes a miss.
recorded=0
seconds_left=180
start=$(date +%s)
while [ "$recorded" -lt "$wanted" ]; do
    if [ $(($(date +%s) - start)) -gt "$seconds_left" ]; then
        echo "record_screenshot: only $recorded flashes caught in $seconds_left s" >&2
        exit 1
    fi
    if flash_showing; then
        press
        recorded=$((recorded + 1))
        sleep 0.5
    fi
done

# A status message, then the picture; the next flash is at least 3 s away.
xdotool key Prior
sleep 0.4
xwd -root -silent >"$work/screen.xwd"
convert "xwd:$work/screen.xwd" -strip -define png:compression-level=9 "$out"
xdotool key Escape Escape
wait "$pid"
echo "record_screenshot: $recorded flashes clicked; saved $out"
