#!/bin/sh
# Builds the Debian package with cpack, checks its control data and file list, runs lintian on it,
# unpacks it into a scratch root with dpkg-deb -x (nothing is installed on the machine), checks the
# desktop entry, icons, font sheet, manual page and AppStream metadata there, with their own
# validators too, and installs the build into a scratch prefix. It leaves SCRATCH/root and
# SCRATCH/prefix to the cases that start the installed program (installed_test.cpp).
#
#   package_test.sh CPackConfig.cmake SCREEN_CHECK SCRATCH SOURCE_DIR
set -eu
config=$1 checker=$2 scratch=$3 source=$4
build=$(dirname "$config")
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# Runs a validator and prints what it says; its output and exit status are left in said and status.
validate() {
    status=0
    said=$("$@" 2>&1) || status=$?
    printf '%s (exit status %s):\n%s\n' "$*" "$status" "$said"
}
# Fails unless the last validator ended with status 0 and said nothing.
silent() { [ "$status" -eq 0 ] && [ -z "$said" ] || fail "$1 reports: $said"; }

rm -rf "$scratch"
mkdir -p "$scratch"
if ! cpack -G DEB --config "$config" -B "$scratch/package" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
set -- "$scratch"/package/*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "FAIL: cpack made no single .deb: $*" >&2
    exit 1
fi
deb=$1
dpkg-deb -I "$deb"

# Control data: name, section, architecture, the packages of the libraries Snapwit links (GLVND's
# GLX and OpenGL, GLU, freeglut) and Mesa's drivers with its software renderer, which is loaded,
# not linked.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = snapwit ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends | tr '|' ',' | tr ',' '\n' | sed 's/(.*)//; s/^ *//; s/ *$//')
for package in libc6 libglut3.12 libglu1-mesa libglx0 libopengl0 libgl1-mesa-dri; do
    printf '%s\n' "$depends" | grep -qx "$package" || fail "Depends lacks $package: $(field Depends)"
done

# Files: exactly these, the command in /usr/games as its section wants, the program beside its
# other private files.
expected="./usr/games/snapwit
./usr/libexec/snapwit/snapwit
./usr/share/applications/snapwit.desktop
./usr/share/doc/snapwit/changelog.gz
./usr/share/doc/snapwit/copyright
./usr/share/icons/hicolor/128x128/apps/snapwit.png
./usr/share/icons/hicolor/64x64/apps/snapwit.png
./usr/share/man/man6/snapwit.6.gz
./usr/share/metainfo/invalid.snapwit.snapwit.metainfo.xml
./usr/share/snapwit/font.bmp"
listing=$(dpkg-deb -c "$deb")
files=$(printf '%s\n' "$listing" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$files" = "$expected" ] || fail "the package holds
$files
instead of
$expected"
for file in usr/games/snapwit usr/libexec/snapwit/snapwit; do
    printf '%s\n' "$listing" | grep -q "^-rwxr-xr-x .* \./$file\$" || fail "$file is not executable"
done

# lintian exits with 2 when it finds errors, 1 when it cannot run. The only finding allowed is the
# placeholder address snapwit@invalid, in the Maintainer field and the changelog, until the project
# has a real one.
validate lintian --tag-display-limit 0 "$deb"
[ "$status" -eq 0 ] || [ "$status" -eq 2 ] || fail "lintian did not run"
findings=$(printf '%s\n' "$said" | grep -E '^[EW]: ' |
    grep -vE '^E: snapwit: bogus-mail-host(-in-debian-changelog)? .*snapwit@invalid' || true)
[ -z "$findings" ] || fail "lintian reports: $findings"

root=$scratch/root
dpkg-deb -x "$deb" "$root"

# The desktop entry: a program started without a terminal in the folder that holds font.bmp.
entry=$root/usr/share/applications/snapwit.desktop
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(head -n 1 "$entry")" = "[Desktop Entry]" ] || fail "the desktop entry has no [Desktop Entry] group"
[ "$(key Type)" = Application ] || fail "Type is '$(key Type)'"
[ "$(key Name)" = Snapwit ] || fail "Name is '$(key Name)'"
[ "$(key Exec)" = /usr/games/snapwit ] || fail "Exec is '$(key Exec)', not the package's /usr/games/snapwit"
[ "$(key Path)" = /usr/share/snapwit ] || fail "Path is '$(key Path)', not the package's /usr/share/snapwit"
[ "$(key Terminal)" = false ] || fail "Terminal is '$(key Terminal)'"
case ";$(key Categories)" in *";Game;"*) ;; *) fail "Categories '$(key Categories)' lack Game" ;; esac
for size in 64 128; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/$(key Icon).png
    "$checker" icon "$icon" "$size" || fail "the $size pixel icon named by Icon= is not the glow"
done
cmp -s "$root$(key Path)/font.bmp" "$build/font.bmp" || fail "the installed font.bmp is not the one the build drew"
validate desktop-file-validate "$entry"
silent desktop-file-validate
# validate-tree also checks that the metadata's launchable names an installed desktop entry. It
# exits with 3 on errors and warnings; the reserved .invalid domain of the id is only an info.
validate appstreamcli validate-tree --no-net "$root"
[ "$status" -eq 0 ] && ! printf '%s\n' "$said" | grep -qE '^ *[EW]: ' || fail "appstreamcli reports: $said"

# The manual page and the README name every menu entry and every function-key message.
validate mandoc -Tlint -W warning "$root/usr/share/man/man6/snapwit.6.gz"
silent mandoc
manual=$scratch/snapwit.6
gzip -dc "$root/usr/share/man/man6/snapwit.6.gz" >"$manual"
head -n 1 "$manual" | grep -q '^\.TH SNAPWIT 6 ' || fail "the manual page has no .TH SNAPWIT 6 line"
for text in "Toggle FPS Clock" "Toggle Fog" "Toggle Lights" "Toggle Textures" "Next Image" \
    "Next Option" "Reset" "Help" "Exit" "Main Speed: " "Blanking Percentage: " "Fog: " \
    "F1/F2: " "F3/F4: " "F5/F6: " "F7/F8: " "Home/End: "; do
    grep -qF "$text" "$manual" || fail "the manual page does not mention '$text'"
    grep -qF "$text" "$source/README.md" || fail "README.md does not mention '$text'"
done

# Outside the package the desktop entry must point into whatever prefix the build is installed in.
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 || fail "cmake --install failed"
entry=$prefix/share/applications/snapwit.desktop
[ "$(key Exec)" = "$prefix/games/snapwit" ] && [ -x "$(key Exec)" ] || fail "Exec is '$(key Exec)' in $prefix"
[ -f "$(key Path)/font.bmp" ] || fail "Path '$(key Path)' in $prefix holds no font.bmp"
[ "$failures" -eq 0 ] && echo "package test passed"
