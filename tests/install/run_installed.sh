#!/bin/sh
# Runs on the private X server: starts an installed Snapwit command in a folder, as a desktop (the
# entry's Path= and Exec=) or a terminal would, checks how it draws its text, then ends it with
# Escape twice and checks its exit status.
#
#   run_installed.sh FOLDER COMMAND PROGRAM SCREEN_CHECK SCRATCH LOOK
#
# PROGRAM is the executable the command must end up running. LOOK is "text" when the text must be
# drawn from the installed font sheet, "blocks" when from a sheet in FOLDER that lights whole cells.
set -eu
workdir=$1 command=$2 program=$3 checker=$4 scratch=$5 look=$6
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Polls up to 20 seconds for a command to succeed.
within_20s() {
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ "$tries" -lt 200 ] || return 1
        sleep 0.1
    done
}
find_window() { window=$(xdotool search --name '^Snapwit$' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
has_ended() { ! kill -0 "$pid" 2>/dev/null; }
lit() { "$checker" lit "$scratch/screen.xwd" "$@"; }

cd "$workdir"
# Word-split like a desktop's Exec= line without field codes.
# shellcheck disable=SC2086
$command >"$scratch/stdout" 2>"$scratch/stderr" &
pid=$!
if ! within_20s find_window; then
    kill "$pid" 2>/dev/null || true
    echo "FAIL: no window titled Snapwit appeared" >&2
    cat "$scratch/stderr" >&2
    exit 1
fi
[ "$(readlink "/proc/$pid/exe")" = "$(readlink -f "$program")" ] ||
    fail "the command started $(readlink "/proc/$pid/exe"), not $program"

# On the 1280 by 720 screen the three count lines start at x = 960 with glyph bottoms 40, 60 and 80
# pixels below the top, drawn in every frame once the 2-second fade-in is over; the status line
# starts at x = 10, 25. The greeting there lasts only the first 3 seconds, which a slow start can
# miss, so the key - shows a message of its own ("Rotate Speed: 0.90", then smaller, one length):
# it is pressed before each look until both lines show, for up to 20 seconds.
# Glyph strokes light a few pixels of each character (about 190 in the count lines, 135 in the
# status line); without font.bmp, or with a sheet of whole white cells, every character is a solid
# block (about 7000 and 3400).
drawn_as() {
    if [ "$look" = text ]; then
        [ "$1" -gt 60 ] && [ "$1" -lt 1500 ]
    else
        [ "$1" -gt 3000 ]
    fi
}
look_at_screen() {
    xdotool key minus
    xwd -root -silent >"$scratch/screen.xwd"
    counts=$(lit 955 18 1095 82)
    message=$(lit 5 3 265 27)
    beside=$(lit 1100 18 1280 82)
    drawn_as "$counts" && drawn_as "$message"
}
xdotool windowfocus --sync "$window"
tries=0
until look_at_screen || [ "$tries" -ge 100 ]; do
    tries=$((tries + 1))
    sleep 0.2
done
echo "$command in $workdir: lit pixels of 8960 in the count lines $counts, of 6240 in the" \
    "status line $message, beside the count lines $beside"
drawn_as "$counts" || fail "the count lines are not drawn as $look ($counts lit)"
drawn_as "$message" || fail "the status line is not drawn as $look ($message lit)"
[ "$beside" -eq 0 ] || fail "$beside pixels are lit right of the count lines, where nothing is drawn"

xdotool key Escape Escape
if ! within_20s has_ended; then
    kill "$pid" 2>/dev/null || true
    fail "Snapwit did not end after Escape twice"
fi
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "Snapwit ended with status $status"
[ ! -s "$scratch/stdout" ] || fail "Snapwit printed to standard output: $(head -c 200 "$scratch/stdout")"
[ "$failures" -eq 0 ]
