#!/usr/bin/env bash
# Runs a Windows program under Wine, in the test suite's own prefix (ctest
# uses this as the cross-compiling emulator).  scripts/test.sh makes a fresh
# prefix in a temporary folder and passes it in MFGLIST_WINEPREFIX; without
# it, a prefix of this user's is made once and reused.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
prefix=${MFGLIST_WINEPREFIX:-}
if [ -z "$prefix" ]; then
    prefix=$("$here/make-prefix.sh" "${TMPDIR:-/tmp}/mfglist-wine-$(id -u)")
fi
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec "$wine" "$@"
