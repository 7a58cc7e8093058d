#!/usr/bin/env bash
# The main job: builds the library and its command-line host for Linux and
# for 32-bit Windows, shows what each library build offers a host (the three
# exported functions), then previews the example factory: the install list
# that the library makes from examples/factory (process-file mode) and from
# examples/cdrom (CD-ROM mode) for the example machine's hardware IDs, and
# ends with the example line: every model of examples/models over the CD-ROM
# media, its summary here and its page in the build folder.
# Installs what is missing first (as root, from Debian's packages).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-deps.sh

cmake -S "$root" -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$jobs" --target mfglist mfglist_tool >/dev/null
cmake -S "$root" -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/windows -j "$jobs" --target mfglist mfglist_tool >/dev/null

echo "Linux library:   build/native/src/libmfglist.so   (host: build/native/tools/mfglist)"
nm -D --defined-only build/native/src/libmfglist.so | awk '$2 == "T" { print "    exports " $3 }'
echo "Windows library: build/windows/src/mfglist.dll    (host: build/windows/tools/mfglist.exe)"
i686-w64-mingw32-objdump -p build/windows/src/mfglist.dll |
    awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { on = 0 } on { print "    exports " $NF }'
i686-w64-mingw32-objdump -p build/windows/src/mfglist.dll | awk '/DLL Name:/ { print "    imports " $3 }'

echo
echo "==== mfglist preview examples/factory --ids-file examples/ids.txt"
build/native/tools/mfglist preview examples/factory --ids-file examples/ids.txt
echo
echo "==== mfglist preview examples/cdrom --cdrom --ids-file examples/ids.txt"
build/native/tools/mfglist preview examples/cdrom --cdrom --ids-file examples/ids.txt
echo
echo "==== mfglist matrix examples/cdrom --cdrom --models examples/models --summary"
# Gaps are shown, not failed: without --require-coverage the status is 0.
build/native/tools/mfglist matrix examples/cdrom --cdrom --models examples/models --summary \
    --html build/native/line.html
echo
echo "The line's page: $root/build/native/line.html"
