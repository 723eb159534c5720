#!/bin/sh
# Unpacks the Windows zip and makes the Wine prefix that the Wine cases share, once per test run
# (Wine's first start takes most of half a minute).
#
#   wine_setup.sh ZIP FOLDER      FOLDER/snapwit holds the unpacked program, FOLDER/prefix Wine's
set -eu
zip=$1 folder=$2
rm -rf "$folder"
mkdir -p "$folder/unpacked"
(cd "$folder/unpacked" && cmake -E tar xf "$zip")
mv "$folder"/unpacked/snapwit-*-win64 "$folder/snapwit"
# No Mono or Gecko installer: their dialogs would wait for a click.
export WINEPREFIX="$folder/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >"$folder/wineboot.log" 2>&1
wineserver -w
