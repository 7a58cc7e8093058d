#!/usr/bin/env bash
# Makes the packages with CPack into dist/:
#   mfglist-VERSION-Linux.tar.gz   from build/native
#   mfglist_VERSION_ARCH.deb       from build/native
#   mfglist-VERSION-win32.zip      from build/windows (the i686 DLL hosts load)
# The builds are reused where scripts/test.sh made them; only the library,
# its import libraries and the tool are built here.
#
#   scripts/package.sh                       make the packages
#   scripts/package.sh --test                ... and test them (tests/package/check-packages.sh:
#                                            the sample host against each package, the ZIP's
#                                            files, the version resource, mfglist.lib, dpkg)
#   scripts/package.sh --check-reproducible  build the Windows files twice, in two new folders,
#                                            and check that they are the same bytes
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build_type=${MFGLIST_BUILD_TYPE:-Release}
mode=${1:-}
case "$mode" in
    "" | --test | --check-reproducible) ;;
    *)
        echo "usage: scripts/package.sh [--test | --check-reproducible]" >&2
        exit 2
        ;;
esac

bash scripts/install-deps.sh

# The files a Windows package ships, as the build makes them.
windows_targets=(mfglist mfglist_msvc_import_library mfglist_tool)
windows_files=(src/mfglist.dll src/libmfglist.dll.a src/mfglist.lib tools/mfglist.exe)

build() {  # build-dir cmake-args...
    local dir=$1
    shift
    # Installing builds nothing more: the packages take the targets built here.
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
        -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs" --target "${windows_targets[@]}"
}

if [ "$mode" = --check-reproducible ]; then
    # Two folders of different paths and lengths; the second build compiles
    # every file afresh (no compiler cache), so that neither shares objects.
    first=$root/build/reproducible-a second=$root/build/reproducible/second-build
    rm -rf "$first" "$second"
    echo "==== reproducible: first build, in $first"
    build "$first" -DMFGLIST_BUILD_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
    echo "==== reproducible: second build, in $second"
    CCACHE_DISABLE=1 build "$second" -DMFGLIST_BUILD_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
    status=0
    for file in "${windows_files[@]}"; do
        (cd "$first" && sha256sum "$file")
        if ! cmp -s "$first/$file" "$second/$file"; then
            echo "DIFFERS: $file: $(cd "$second" && sha256sum "$file")" >&2
            status=1
        fi
    done
    [ "$status" = 0 ] && echo "==== reproducible: both builds gave the same bytes (SHA-256 above)"
    rm -rf "$first" "$second"
    exit "$status"
fi

echo "==== package: build/native"
cmake -S "$root" -B build/native -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build/native -j "$jobs" --target mfglist mfglist_tool
echo "==== package: build/windows"
build build/windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
mkdir -p dist
rm -f dist/mfglist[-_]"$version"[-_]*
for dir in build/native build/windows; do
    echo "==== package: cpack in $dir"
    (cd "$dir" && cpack -B "$root/dist" >/dev/null)
done
rm -rf dist/_CPack_Packages
ls -l dist/mfglist[-_]"$version"[-_]*

if [ "$mode" = --test ]; then
    echo "==== package: test"
    bash tests/package/check-packages.sh dist "$version"
fi
