#!/usr/bin/env bash
# The main job: builds the library for Linux and for 32-bit Windows and
# shows what each build offers a host (the three exported functions).
# Installs what is missing first (as root, from Debian's packages).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-deps.sh

cmake -S "$root" -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs" --target mfglist >/dev/null
cmake -S "$root" -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/windows -j "$jobs" --target mfglist >/dev/null

echo "Linux library:   build/native/src/libmfglist.so"
nm -D --defined-only build/native/src/libmfglist.so | awk '$2 == "T" { print "    exports " $3 }'
echo "Windows library: build/windows/src/mfglist.dll"
i686-w64-mingw32-objdump -p build/windows/src/mfglist.dll |
    awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { on = 0 } on { print "    exports " $2 }'
i686-w64-mingw32-objdump -p build/windows/src/mfglist.dll | awk '/DLL Name:/ { print "    imports " $3 }'
