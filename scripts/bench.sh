#!/usr/bin/env bash
# Runs the benchmarks: the library's list runs against the floor of their
# I/O on the Linux build, then the same on the Windows build under Wine (in
# a prefix of its own, as scripts/test.sh makes one), and prints the table
# that bench/README.md shows (also written to build/bench-table.md).
# Installs what is missing first (as root, from Debian's packages), Google
# Benchmark included.  Never part of scripts/test.sh.
#
#   bash scripts/bench.sh [--sizes=300,10000,100000] [--wine-sizes=300,10000] [--no-wine]
#   bash scripts/bench.sh --cost   the command-line tool's own cost instead:
#                                  preview against host on 200,000 entries,
#                                  and the instructions of a 1,000-entry run
#                                  of each list kind against the floor (the
#                                  run only, and whole processes)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
sizes=300,10000,100000
wine_sizes=300,10000
wine=1
cost=0
for arg in "$@"; do
    case $arg in
    --sizes=*) sizes=${arg#--sizes=} ;;
    --wine-sizes=*) wine_sizes=${arg#--wine-sizes=} ;;
    --no-wine) wine=0 ;;
    --cost) cost=1 ;;
    *) echo "bench: unknown option $arg" >&2; exit 2 ;;
    esac
done

MFGLIST_WITH_BENCHMARKS=1 bash scripts/install-deps.sh

cmake -S "$root" -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMFGLIST_BUILD_BENCH=ON >/dev/null
if [ "$cost" = 1 ]; then
    cmake --build build/native -j "$jobs" --target mfglist_preview_cost_bench \
        mfglist_instruction_count_bench >/dev/null
    echo "==== mfglist preview against mfglist host (Linux build)"
    build/native/bench/mfglist_preview_cost_bench
    echo "==== instructions of a 1,000-entry list run against the floor (callgrind)"
    command -v valgrind >/dev/null || apt-get install -y valgrind >/dev/null
    build/native/bench/mfglist_instruction_count_bench
    exit 0
fi
cmake --build build/native -j "$jobs" --target mfglist_floor_bench >/dev/null
table=build/bench-table.md
echo "==== Linux build (Google Benchmark)"
build/native/bench/mfglist_floor_bench --sizes="$sizes" --benchmark_format=console | tee build/bench-linux.txt
sed -n '/^| build/,$p' build/bench-linux.txt >"$table"

if [ "$wine" = 1 ]; then
    # The i686 build where this machine executes 32-bit code, else the same
    # code built for x86_64 under the 64-bit Wine (tests/wine/wine-env.sh).
    . tests/wine/wine-env.sh
    if [ "$MFGLIST_WINEARCH" = win32 ]; then
        win_build=build/windows toolchain=mingw-i686
    else
        win_build=build/windows-x64 toolchain=mingw-x86_64
    fi
    cmake -S "$root" -B $win_build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DMFGLIST_BUILD_BENCH=ON >/dev/null
    cmake --build $win_build -j "$jobs" --target mfglist_floor_timing >/dev/null
    wine_home=$(mktemp -d "${TMPDIR:-/tmp}/mfglist-bench-wine.XXXXXX")
    cleanup() {
        WINEPREFIX=$wine_home/prefix wineserver -k >/dev/null 2>&1 || true
        rm -rf "$wine_home"
    }
    trap cleanup EXIT
    MFGLIST_WINEPREFIX=$(tests/wine/make-prefix.sh "$wine_home")
    export MFGLIST_WINEPREFIX
    echo "==== Windows build ($toolchain) under Wine (own timing harness; sizes $wine_sizes)"
    tests/wine/run-under-wine.sh $win_build/bench/mfglist_floor_timing.exe --sizes="$wine_sizes" |
        tee build/bench-wine.txt
    echo >>"$table"
    sed -n '/^| build/,$p' build/bench-wine.txt >>"$table"
    echo >>"$table"
    echo "Under Wine the sizes are $wine_sizes: every trace message's flag check and every debugger message is a round trip to the Wine server." >>"$table"
fi
echo
echo "==== table (build/bench-table.md)"
cat "$table"
