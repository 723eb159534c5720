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

# Polls up to 10 seconds for a command to succeed.
within_10s() {
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || return 1
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
if ! within_10s find_window; then
    kill "$pid" 2>/dev/null || true
    echo "FAIL: no window titled Snapwit appeared" >&2
    cat "$scratch/stderr" >&2
    exit 1
fi
[ "$(readlink "/proc/$pid/exe")" = "$(readlink -f "$program")" ] ||
    fail "the command started $(readlink "/proc/$pid/exe"), not $program"

# At 2.5 s the fade-in is over, the greeting still shows (until 3 s) and no flash can have come
# (the first wait is at least 3 s). On the 1280 by 720 screen the three count lines start at
# x = 960 with glyph bottoms 40, 60 and 80 pixels below the top; the greeting starts at x = 10, 25.
sleep 2.5
xwd -root -silent >"$scratch/screen.xwd"
counts=$(lit 955 18 1095 82)
greeting=$(lit 5 3 265 27)
beside=$(lit 1100 18 1280 82)
echo "$command in $workdir: lit pixels of 8960 in the count lines $counts, of 6240 in the" \
    "greeting $greeting, beside the count lines $beside"
# Glyph strokes light a few pixels of each character (about 220 in the count lines); without
# font.bmp, or with a sheet of whole white cells, every character is a solid block (about 7000).
between() { [ "$1" -gt "$2" ] && [ "$1" -lt "$3" ]; }
if [ "$look" = text ]; then
    between "$counts" 120 1500 || fail "the count lines are not drawn as text ($counts lit)"
    between "$greeting" 100 1500 || fail "the greeting is not drawn as text ($greeting lit)"
else
    [ "$counts" -gt 3000 ] || fail "the count lines are not drawn from $workdir/font.bmp ($counts lit)"
    [ "$greeting" -gt 3000 ] || fail "the greeting is not drawn from $workdir/font.bmp ($greeting lit)"
fi
[ "$beside" -eq 0 ] || fail "$beside pixels are lit right of the count lines, where nothing is drawn"

xdotool windowfocus --sync "$window"
xdotool key Escape Escape
if ! within_10s has_ended; then
    kill "$pid" 2>/dev/null || true
    fail "Snapwit did not end after Escape twice"
fi
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "Snapwit ended with status $status"
[ ! -s "$scratch/stdout" ] || fail "Snapwit printed to standard output: $(head -c 200 "$scratch/stdout")"
[ "$failures" -eq 0 ]
