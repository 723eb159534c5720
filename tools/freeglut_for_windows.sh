#!/bin/sh
# Builds a static freeglut for 64-bit Windows from Debian's own source package of the version
# Debian ships, with the mingw-w64 toolchain file, and installs it into FOLDER/install. The source
# comes through `apt-get source` with an apt configuration private to FOLDER (its own sources list,
# state, cache and logs), so the machine's apt sources and state are neither read nor changed.
# Kept between builds: nothing is done when FOLDER/install holds a build already.
#
#   tools/freeglut_for_windows.sh FOLDER
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
folder=$(cd "$1" && pwd)
[ -f "$folder/install/lib/cmake/FreeGLUT/FreeGLUTConfig.cmake" ] && exit 0

apt=$folder/apt
rm -rf "$folder/source" "$folder/build"
mkdir -p "$apt/sources.list.d" "$apt/preferences.d" "$apt/state/lists/partial" \
    "$apt/cache/archives/partial" "$apt/log" "$folder/source"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
    >"$apt/sources.list"
# As root apt downloads as the user _apt, which must be able to write where the files go.
if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then
    chown -R _apt:root "$apt/state/lists/partial" "$apt/cache/archives/partial" "$folder/source"
fi
set -- -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/sources.list.d" \
    -o Dir::Etc::Preferences="$apt/preferences" -o Dir::Etc::PreferencesParts="$apt/preferences.d" \
    -o Dir::State="$apt/state" -o Dir::State::Lists="$apt/state/lists" -o Dir::Cache="$apt/cache" \
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o Dir::Log="$apt/log" \
    -o Acquire::Languages=none
apt-get -qq "$@" update
(cd "$folder/source" && apt-get -qq "$@" source freeglut/bookworm >/dev/null)
source=$(find "$folder/source" -mindepth 1 -maxdepth 1 -type d -name 'freeglut-*' | head -n 1)
[ -n "$source" ] || { echo "no freeglut source in $folder/source" >&2; exit 1; }

# freeglut makes its hidden menu window the active one, which takes the keyboard away from the
# program's window until something is clicked.
patch -d "$source" -p1 --forward -s <"$top/tools/freeglut-menu-noactivate.patch"
# REPLACE_GLUT installs GL/glut.h, which Snapwit includes, as Debian's freeglut does.
cmake -S "$source" -B "$folder/build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$folder/install" \
    -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_DEMOS=OFF \
    -DFREEGLUT_GLES=OFF -DFREEGLUT_REPLACE_GLUT=ON >/dev/null
cmake --build "$folder/build" -j "$(nproc)" >/dev/null
cmake --install "$folder/build" >/dev/null
