#!/bin/sh
# Makes the Wine prefix that the Windows tests run in, once:
#   wine_prefix.sh PREFIX
set -eu
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
[ -e "$prefix/.ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
wine wineboot -i >/dev/null 2>&1
wineserver -w
# Debian's Wine does not load the fonts of its own data directory (package
# fonts-wine: Wingdings, MS Sans Serif, Tahoma); the prefix's Fonts folder is
# read by every Wine.
if [ -d /usr/share/wine/fonts ]; then
  ln -sf /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
fi
touch "$prefix/.ready"
