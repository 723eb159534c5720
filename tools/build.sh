#!/bin/sh
# Builds Snapwit on Debian, installing what is missing when run as root.
#
#   tools/build.sh run    build, then run Snapwit from the build folder (it holds font.bmp)
#   tools/build.sh test   build a plain and a sanitizer tree and run every test under Xvfb (the
#                         plain tree's also run the Windows build under Wine), then run the
#                         fuzzers for a bounded time in a clang tree
#   tools/build.sh windows  cross-build snapwit.exe with mingw-w64 and pack
#                         build-windows/snapwit-VERSION-win64.zip
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-}

build_packages="cmake make g++ pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libx11-dev
  libxrandr-dev libxinerama-dev libxcomposite-dev libgl1-mesa-dri libfreetype-dev fonts-dejavu-core"
test_packages="libgtest-dev xvfb xauth xdotool x11-utils x11-apps libx11-dev libxtst-dev
  libxfixes-dev clang libclang-rt-14-dev
  libxcomposite-dev dpkg-dev file zlib1g-dev lintian appstream desktop-file-utils mandoc wine wine64
  openbox xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils picom
  mutter kwin-wayland xwayland dbus-daemon"
windows_packages="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix dpkg-dev patch
  debian-archive-keyring"

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

# Every tree is given each option it depends on, since CMake keeps what an earlier configure of
# the folder cached: "run" leaves build/ with the tests off.
configure_and_build() {  # folder, extra CMake options...
    folder=$1
    shift
    cmake -S "$top" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$folder" -j "$(nproc)"
}

# Runs a tree's tests on a private X server with a screen large enough for every test window.
# -noreset: by default the server resets whenever its last client leaves, and a test starting
# during that reset cannot connect. A tree that finds no tests fails instead of passing.
run_tests() {  # folder, extra ctest options...
    folder=$1
    shift
    xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" \
        ctest --test-dir "$folder" --output-on-failure --no-tests=error -j "$(nproc)" "$@"
}

# The Windows zip: a native tree draws the font sheet and the icon on this machine, freeglut is
# built from Debian's source for Windows once, then the cross tree builds the program and the zip.
build_windows() {
    # shellcheck disable=SC2086
    need $build_packages $windows_packages
    cmake -S "$top" -B "$top/build-windows/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSNAPWIT_TESTS=OFF >/dev/null
    cmake --build "$top/build-windows/host" -j "$(nproc)" --target make_font
    "$top/tools/freeglut_for_windows.sh" "$top/build-windows/freeglut"
    cmake -S "$top" -B "$top/build-windows" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DFreeGLUT_DIR="$top/build-windows/freeglut/install/lib/cmake/FreeGLUT" \
        -DSNAPWIT_MAKE_FONT="$top/build-windows/host/make_font" >/dev/null
    cmake --build "$top/build-windows" -j "$(nproc)"
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
        # The plain tree runs the Windows zip's program under Wine too.
        build_windows
        zip=$(ls "$top"/build-windows/snapwit-*-win64.zip)
        configure_and_build "$top/build" -DSNAPWIT_TESTS=ON -DSNAPWIT_SANITIZE=OFF \
            -DSNAPWIT_FUZZ=OFF -DSNAPWIT_WINDOWS_ZIP="$zip"
        run_tests "$top/build"
        configure_and_build "$top/build-sanitize" -DSNAPWIT_TESTS=ON -DSNAPWIT_SANITIZE=ON \
            -DSNAPWIT_FUZZ=OFF
        run_tests "$top/build-sanitize"
        # The fuzzers need clang and a tree of their own; their bounded runs are its only tests.
        CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DSNAPWIT_TESTS=ON -DSNAPWIT_SANITIZE=OFF -DSNAPWIT_FUZZ=ON >/dev/null
        cmake --build "$top/build-fuzz" -j "$(nproc)" --target fuzzers
        run_tests "$top/build-fuzz" -L fuzz
        ;;
    windows)
        build_windows
        ls -l "$top"/build-windows/snapwit-*-win64.zip
        ;;
    *)
        echo "usage: tools/build.sh run|test|windows" >&2
        exit 2
        ;;
esac
