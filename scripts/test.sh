#!/usr/bin/env bash
# Builds and runs every test: the native suite, the native suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for a
# short time (so that they keep building and their checks keep holding), and
# the Windows suite (cross-built with mingw-w64, run under Wine in a prefix
# of its own).
# Installs what is missing first (as root, from Debian's packages).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-deps.sh --fuzz

run_suite() {  # name build-dir cmake-args...
    local name=$1 dir=$2
    shift 2
    echo "==== $name: configure and build"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "==== $name: test"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

run_suite native build/native
run_suite sanitizers build/sanitize -DMFGLIST_SANITIZE=ON
bash scripts/fuzz.sh 15

wine_home=$(mktemp -d "${TMPDIR:-/tmp}/mfglist-wine.XXXXXX")
cleanup() {
    for prefix in "$wine_home"/prefix "$wine_home"/*/prefix; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    done
    rm -rf "$wine_home"
}
trap cleanup EXIT
echo "==== windows: making Wine prefixes in $wine_home"
MFGLIST_WINEPREFIX=$(tests/wine/make-prefix.sh "$wine_home")
export MFGLIST_WINEPREFIX
# Two more that report the releases OS detection distinguishes; the suite runs
# its OS test in each (tests/CMakeLists.txt).
winxp_prefix=$(tests/wine/make-prefix.sh "$wine_home/winxp" winxp)
vista_prefix=$(tests/wine/make-prefix.sh "$wine_home/vista" vista)
rm -f build/windows/windows-suite.passed
run_suite windows build/windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DMFGLIST_WINXP_PREFIX="$winxp_prefix" -DMFGLIST_VISTA_PREFIX="$vista_prefix"
touch build/windows/windows-suite.passed
echo "==== all suites passed"
