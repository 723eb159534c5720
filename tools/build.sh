#!/bin/sh
# Builds Snapwit on Debian, installing what is missing when run as root.
#
#   tools/build.sh run    build, then run Snapwit from the build folder (it holds font.bmp)
#   tools/build.sh test   build a plain and a sanitizer tree and run every test under Xvfb,
#                         then run the fuzzers for a bounded time in a clang tree
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-}

build_packages="cmake make g++ pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libx11-dev
  libgl1-mesa-dri libfreetype-dev fonts-dejavu-core"
test_packages="libgtest-dev xvfb xauth xdotool x11-utils x11-apps libx11-dev libxtst-dev
  libxfixes-dev clang libclang-rt-14-dev
  dpkg-dev file zlib1g-dev lintian appstream desktop-file-utils mandoc"

# Installs the Debian packages that are not there yet; without root, names them and stops.
need() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Snapwit needs these Debian packages:$missing" >&2
        echo "Install them as root (apt-get install$missing) or run this script as root." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
}

configure_and_build() {  # folder, extra CMake options...
    folder=$1
    shift
    cmake -S "$top" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$folder" -j "$(nproc)"
}

# Runs a tree's tests on a private X server with a screen large enough for every test window.
# -noreset: by default the server resets whenever its last client leaves, and a test starting
# during that reset cannot connect.
run_tests() {  # folder, extra ctest options...
    folder=$1
    shift
    xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" \
        ctest --test-dir "$folder" --output-on-failure -j "$(nproc)" "$@"
}

case "$mode" in
    run)
        # shellcheck disable=SC2086
        need $build_packages
        configure_and_build "$top/build" -DSNAPWIT_TESTS=OFF
        cd "$top/build"
        exec ./snapwit
        ;;
    test)
        # shellcheck disable=SC2086
        need $build_packages $test_packages
        configure_and_build "$top/build"
        run_tests "$top/build"
        configure_and_build "$top/build-sanitize" -DSNAPWIT_SANITIZE=ON
        run_tests "$top/build-sanitize"
        # The fuzzers need clang and a tree of their own; their bounded runs are its only tests.
        CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSNAPWIT_FUZZ=ON >/dev/null
        cmake --build "$top/build-fuzz" -j "$(nproc)" --target fuzzers
        run_tests "$top/build-fuzz" -L fuzz
        ;;
    *)
        echo "usage: tools/build.sh run|test" >&2
        exit 2
        ;;
esac
