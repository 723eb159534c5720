#!/bin/sh
# Runs every Snapwit benchmark: frame cost against the floor at 1920x1080 and 1280x720, CPU
# instructions per heaviest frame under callgrind, heap allocations per frame, start-up time,
# and the timing accuracy of recorded reaction times (bench/accuracy).
#
#   bench/run.sh [FRAMES] [ROUNDS]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-bench"
frames=${1:-300}
rounds=${2:-7}

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSNAPWIT_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target snapwit snapwit_bench startup_bench first_swap_clock \
    >/dev/null
cd "$build"

on_screen() {  # width height command...
    size="$1x$2"
    shift 2
    xvfb-run -a -s "-screen 0 ${size}x24 -noreset" "$@"
}

echo "== frame cost (median of $rounds rounds of $frames frames)"
on_screen 1920 1080 ./bench/snapwit_bench frames 1920 1080 "$frames" "$rounds"
on_screen 1280 720 ./bench/snapwit_bench frames 1280 720 "$frames" "$rounds"

echo "== CPU per heaviest frame (callgrind, 1280x720, instructions inside drawFrame)"
# Two runs of different length: their difference leaves out start-up and the renderer's one-time
# shader compiles, which land in the first frames.
count_instructions() {  # frames
    on_screen 1280 720 valgrind --tool=callgrind --callgrind-out-file="callgrind.$1" \
        --toggle-collect='drawFrame()' ./bench/snapwit_bench cpu "$1" 2>/dev/null
    callgrind_annotate "callgrind.$1" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}'
}
short=$(count_instructions 50)
long=$(count_instructions 150)
echo "instructions per frame: $(((long - short) / 100))"
callgrind_annotate --inclusive=yes callgrind.150 2>/dev/null | grep 'snapwit_bench]' | head -16

echo "== where the time goes (1280x720): the heaviest frame with one layer taken away"
on_screen 1280 720 ./bench/snapwit_bench parts 1280 720 "$frames" "$rounds"

echo "== heap allocations from Snapwit's code during 10,000 steady frames"
on_screen 1280 720 ./bench/snapwit_bench heap 10000

echo "== start-up"
on_screen 1280 720 ./bench/startup_bench "$build/snapwit" "$build/bench/libfirst_swap_clock.so" \
    "$build" 20

echo "== timing accuracy (bench/accuracy), bare and under a virtual 60 Hz vertical sync"
"$top/bench/accuracy"
"$top/bench/accuracy" --vsync
