#!/usr/bin/env bash
# Builds and runs every test: the native suite, the native suite under
# AddressSanitizer and UndefinedBehaviorSanitizer (a clang build that also
# holds the fuzz targets), each fuzz target for a short time (so that they
# keep building and their checks keep holding), and the Windows suite
# (cross-built with mingw-w64, run under Wine in a prefix of its own).
# The builds are Release (no debug information, which would cost about
# half as much build time again); MFGLIST_BUILD_TYPE names another.
# Installs what is missing first (as root, from Debian's packages).
#
#   scripts/test.sh                      every suite
#   scripts/test.sh native windows ...   only the suites named
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build_type=${MFGLIST_BUILD_TYPE:-Release}

bash scripts/install-deps.sh --fuzz

# The suites' scratch machines and Wine prefixes go to a memory file system
# where the machine has one: a list commit syncs each file it writes, and on
# a disk those syncs were most of the file-fault tests' time.  The tests ask
# nothing of the disk itself.  The Wine prefixes need about 2 GB.
suite_tmp=
shm_free_kb=$(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }')
if [ "${shm_free_kb:-0}" -gt $((4 * 1024 * 1024)) ] && [ -w /dev/shm ] &&
    suite_tmp=$(mktemp -d /dev/shm/mfglist-suite.XXXXXX); then
    export TMPDIR=$suite_tmp
fi
remove_suite_tmp() { [ -z "$suite_tmp" ] || rm -rf "$suite_tmp"; }
trap remove_suite_tmp EXIT

build_suite() {  # name build-dir cmake-args...
    local name=$1 dir=$2
    shift 2
    echo "==== $name: configure and build"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}
test_suite() {  # name build-dir
    echo "==== $1: test"
    (cd "$2" && ctest --output-on-failure -j "$jobs")
}
run_suite() {  # name build-dir cmake-args...
    build_suite "$@"
    test_suite "$1" "$2"
}

suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(native sanitizers fuzz windows)
wanted() { [[ " ${suites[*]} " == *" $1 "* ]]; }

wanted native && run_suite native build/native
if wanted sanitizers; then
    bash scripts/sanitize-build.sh
    test_suite sanitizers build/sanitize
fi
wanted fuzz && bash scripts/fuzz.sh 15
wanted windows || { echo "==== suites passed: ${suites[*]}"; exit 0; }

# The Windows suite runs the i686 build under the 32-bit Wine.  A machine
# whose kernel executes no 32-bit code runs the same suite cross-built for
# x86_64 under the 64-bit Wine instead, and checks the i686 DLL (the one the
# factory host loads) by its export and import tables, which need no Wine.
. tests/wine/wine-env.sh
if [ "$MFGLIST_WINEARCH" = win32 ]; then
    win_build=build/windows toolchain=mingw-i686 xp_release=winxp
else
    echo "==== windows: this machine executes no 32-bit code; the Windows suite runs the x86_64 build under the 64-bit Wine"
    echo "==== windows i686: configure, build the DLL, check its tables"
    cmake -S "$root" -B build/windows -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    cmake --build build/windows -j "$jobs" --target mfglist
    (cd build/windows && ctest --output-on-failure -R '^library_')
    win_build=build/windows-x64 toolchain=mingw-x86_64 xp_release=winxp64
fi

wine_home=$(mktemp -d "${TMPDIR:-/tmp}/mfglist-wine.XXXXXX")
cleanup() {
    for prefix in "$wine_home"/prefix "$wine_home"/*/prefix; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    done
    rm -rf "$wine_home"
    remove_suite_tmp
}
trap cleanup EXIT
# The prefixes are made while the suite builds: making one is mostly waiting.
# Besides the suite's own, two report the releases OS detection tells apart;
# the suite runs its OS test in each (tests/CMakeLists.txt).
echo "==== windows: making Wine prefixes in $wine_home"
export MFGLIST_WINEPREFIX=$wine_home/prefix
winxp_prefix=$wine_home/winxp/prefix vista_prefix=$wine_home/vista/prefix
tests/wine/make-prefix.sh "$wine_home" >/dev/null &
prefix_jobs=($!)
tests/wine/make-prefix.sh "$wine_home/winxp" $xp_release >/dev/null &
prefix_jobs+=($!)
tests/wine/make-prefix.sh "$wine_home/vista" vista >/dev/null &
prefix_jobs+=($!)
rm -f build/windows/windows-suite.passed
build_suite windows $win_build -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    -DMFGLIST_WINXP_PREFIX="$winxp_prefix" -DMFGLIST_VISTA_PREFIX="$vista_prefix"
for job in "${prefix_jobs[@]}"; do wait "$job"; done
test_suite windows $win_build
mkdir -p build/windows
touch build/windows/windows-suite.passed
echo "==== all suites passed"
