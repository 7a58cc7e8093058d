#!/usr/bin/env bash
# make-prefix.sh FOLDER [VERSION]
# Makes (or reuses) a 32-bit Wine prefix in FOLDER/prefix whose C: is the
# prefix's own drive_c and whose D: is FOLDER/d, so that the library's fixed
# paths (flag file, trace log, temporary files) stay inside FOLDER.  VERSION
# (winxp, vista, win7, ...) sets the Windows version the prefix reports.
# Prints the prefix's path.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
folder=$1
version=${2:-}
prefix=$folder/prefix
mkdir -p "$folder/d"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
fi
ln -sfn "$folder/d" "$prefix/dosdevices/d:"
if [ -n "$version" ]; then
    "$wine" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1
    wineserver -w || true
fi
echo "$prefix"
