# The checks of check-packages.sh, sourced by it: one function per check.
# Each prints what it checked and returns non-zero (the caller has set -e)
# with the reason on standard error at the first difference.
# Uses: $root (the source tree), $work (a scratch folder), $version (the
# project version), all set by check-packages.sh.
# shellcheck shell=bash disable=SC2154

fail() { echo "FAIL: $*" >&2; return 1; }

# The files an install holds under its prefix: "linux" or "windows".
expected_files() {
    local docs=share/doc/mfglist
    if [ "$1" = linux ]; then
        printf '%s\n' bin/mfglist include/mfglist/mfglist.h \
            lib/libmfglist.so lib/libmfglist.so.0 "lib/libmfglist.so.$version" \
            lib/cmake/mfglist/mfglistConfig.cmake lib/cmake/mfglist/mfglistConfigVersion.cmake \
            lib/cmake/mfglist/mfglistTargets.cmake lib/cmake/mfglist/mfglistTargets-CONFIG.cmake \
            lib/pkgconfig/mfglist.pc share/man/man1/mfglist.1 \
            share/bash-completion/completions/mfglist share/zsh/vendor-completions/_mfglist \
            share/fish/vendor_completions.d/mfglist.fish
    else
        printf '%s\n' bin/mfglist.dll bin/mfglist.exe include/mfglist/mfglist.h \
            lib/libmfglist.dll.a lib/mfglist.lib
    fi
    echo "$docs/README.md"
    (cd "$root" && find docs -type f | sed "s|^docs/|$docs/|" && find examples -type f | sed "s|^|$docs/|")
}

# expect_files ACTUAL EXPECTED NAME: the two lists hold the same files.
expect_files() {
    local actual expected
    actual=$(sed 's|mfglistTargets-[a-z]*\.cmake$|mfglistTargets-CONFIG.cmake|' <<<"$1" | sort)
    expected=$(sort <<<"$2")
    if [ "$actual" != "$expected" ]; then
        diff <(echo "$expected") <(echo "$actual") >&2 || true
        fail "$3 holds other files than expected (- missing, + extra)"
    fi
    echo "ok: $3 holds the $(wc -l <<<"$actual") expected files"
}

# The PACKETNAME of each entry of a list file, in list order, on one line.
list_packets() { tr -d '\r' <"$1" | sed -n 's/^PACKETNAME=//p' | paste -sd' '; }

# expect_lists DRIVER_LIST SOFTWARE_LIST WHO: the example factory's PRELOAD
# lists (examples/README.md).
expect_lists() {
    local drivers software
    [ -f "$1" ] || fail "$3 wrote no driver list"
    [ -f "$2" ] || fail "$3 wrote no software list"
    drivers=$(list_packets "$1")
    software=$(list_packets "$2")
    [ "$drivers" = "CHIPSET VGASETUP.EXE AUDIO LANDRV USBFIX" ] ||
        fail "$3: driver list holds [$drivers]"
    [ "$software" = "MEDIAPLAYER BACKUP RECOVERY" ] || fail "$3: software list holds [$software]"
    echo "ok: $3 made the example factory's lists"
}

# run_host_pair RUN WHO COMMAND_LINE LIST_FOLDER_NATIVE LIST_FOLDER_AS_SEEN
# Runs the sample host twice through RUN (a function that runs it): a
# driver list with the example machine's IDs, and the complete software list.
run_host_pair() {
    local run=$1 who=$2 commandLine=$3 listFolder=$4 seen=$5 out ids
    mapfile -t ids < <(tr -d '\r' <"$root/examples/ids.txt" | grep -v '^$')
    out=$("$run" "$commandLine" "${seen}LIST.INI" "${ids[@]}" | tr -d '\r')
    [ "$out" = "install list: ${seen}LIST.INI" ] || fail "$who printed [$out]"
    "$run" --all-software "$commandLine" "${seen}SOFT.INI" >/dev/null
    expect_lists "$listFolder/LIST.INI" "$listFolder/SOFT.INI" "$who"
}

# check_native_host PREFIX: the sample host built against an unpacked Linux
# package, through find_package and through pkg-config, linked and loaded.
check_native_host() {
    local prefix=$1 build cflags libs program
    build=$(mktemp -d "$work/host.XXXX")
    cmake -S "$root/examples/host" -B "$build/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_C_FLAGS="-Wall -Wextra -Wpedantic -Werror" >/dev/null
    cmake --build "$build/cmake" >/dev/null
    cflags=$(PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig pkg-config --cflags mfglist)
    libs=$(PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig pkg-config --libs mfglist)
    local src=$root/examples/host strict="-Wall -Wextra -Wpedantic -Werror"
    # shellcheck disable=SC2086  # the flags are words
    cc $strict $cflags -o "$build/pc_linked" "$src/host.c" "$src/bind_linked.c" $libs
    # shellcheck disable=SC2086
    cc $strict $cflags -o "$build/pc_loaded" "$src/host.c" "$src/bind_posix.c" -ldl
    echo "ok: the sample host builds from $prefix through find_package and pkg-config"
    # The packaged tool finds the packaged library from its own folder.
    (cd / && "$prefix/bin/mfglist" preview "$root/examples/factory" >/dev/null) ||
        fail "$prefix/bin/mfglist cannot preview the example factory with the packaged library"
    echo "ok: $prefix/bin/mfglist previews with the library beside it in ../lib"
    for program in cmake/sample_host_linked cmake/sample_host_loaded pc_linked pc_loaded; do
        local folder=$build/run-${program//\//-}
        mkdir -p "$folder/c" "$folder/d" "$folder/l"
        run_native() {
            MFGLIST_DRIVES="P=$root/examples/factory;L=$folder/l;C=$folder/c;D=$folder/d" \
                LD_LIBRARY_PATH="$prefix/lib" "$build/$program" "$@"
        }
        run_host_pair run_native "$program" 'X:\SETUP.EXE -D P:\ -P P:\' "$folder/l" 'L:\'
    done
}

# check_version_resource FILE VERSION: the VERSIONINFO resource of a Windows
# image carries VERSION as its numbers and strings, and FILE's own name.
check_version_resource() {
    local file=$1 rc major minor patch
    rc=$(i686-w64-mingw32-windres -J coff -O rc -i "$file" 2>&1) ||
        fail "windres cannot read the resources of $file: $rc"
    IFS=. read -r major minor patch <<<"$2"
    grep -Eq "^ *FILEVERSION $major, *$minor, *$patch, *0\$" <<<"$rc" ||
        fail "$file: no FILEVERSION $2 in its resource:"$'\n'"$rc"
    grep -Eq "^ *PRODUCTVERSION $major, *$minor, *$patch, *0\$" <<<"$rc" ||
        fail "$file: no PRODUCTVERSION $2"
    local key value
    for key in FileVersion ProductVersion OriginalFilename ProductName FileDescription; do
        case $key in
            FileVersion | ProductVersion) value=$2 ;;
            OriginalFilename) value=$(basename "$file") ;;
            ProductName) value=mfglist ;;
            FileDescription) value='[^"]+' ;;
        esac
        grep -Eq "VALUE \"$key\", \"$value(\\\\0)?\"" <<<"$rc" ||
            fail "$file: its version resource lacks $key \"$value\":"$'\n'"$rc"
    done
    echo "ok: $(basename "$file") carries version $2 in its version resource"
}

# check_msvc_import_library FILE: mfglist.lib imports exactly the three
# functions, by their plain names (the __imp_ symbols of i386 carry the C
# underscore; a stdcall decoration @N must not appear).
check_msvc_import_library() {
    local names
    names=$(i686-w64-mingw32-nm "$1" | sed -n 's/^.* I __imp__//p; s/^.* [A-Z] __imp__//p' | sort -u |
        paste -sd' ')
    [ "$names" = "MFG_CreateAllSoftIniFile MFG_CreateIniFile MFG_InitMfgList" ] ||
        fail "$1 imports [$names], not the three functions"
    echo "ok: mfglist.lib names exactly the three exports"
}

# imports_from_mfglist EXE: the names an image imports from mfglist.dll.
imports_from_mfglist() {
    i686-w64-mingw32-objdump -p "$1" |
        awk '/DLL Name:/ {dll = tolower($3)} /^$/ {dll = ""}
             dll == "mfglist.dll" && $1 ~ /^[0-9a-f]+$/ && NF == 3 {print $3}' | sort | paste -sd' '
}

# check_windows_host PREFIX: the sample host built with mingw against an
# unpacked ZIP, linked through either import library and loaded at run time,
# each run under Wine where this machine runs 32-bit Windows programs.
check_windows_host() {
    local prefix=$1 build src=$root/examples/host
    local cc=(i686-w64-mingw32-gcc-win32 -Wall -Wextra -Wpedantic -Werror -static-libgcc
        -I "$prefix/include")
    build=$(mktemp -d "$work/host-windows.XXXX")
    "${cc[@]}" -o "$build/linked_dll_a.exe" "$src/host.c" "$src/bind_linked.c" \
        "$prefix/lib/libmfglist.dll.a"
    "${cc[@]}" -o "$build/linked_lib.exe" "$src/host.c" "$src/bind_linked.c" "$prefix/lib/mfglist.lib"
    "${cc[@]}" -o "$build/loaded.exe" "$src/host.c" "$src/bind_win32.c"
    local exe imports
    for exe in linked_dll_a linked_lib; do
        imports=$(imports_from_mfglist "$build/$exe.exe")
        [ "$imports" = "MFG_CreateAllSoftIniFile MFG_CreateIniFile MFG_InitMfgList" ] ||
            fail "$exe.exe imports [$imports] from mfglist.dll"
    done
    echo "ok: the sample host builds with mingw through libmfglist.dll.a and mfglist.lib, and loaded"

    . "$root/tests/wine/wine-env.sh"
    if [ "$MFGLIST_WINEARCH" != win32 ]; then
        echo "skipped: running the sample host under Wine (this machine executes no 32-bit code)"
        return 0
    fi
    wine_prefix=$("$root/tests/wine/make-prefix.sh" "$work/wine")
    local drive_d=$work/wine/d
    cp -r "$root/examples/factory" "$drive_d/FACTORY"
    for exe in linked_dll_a linked_lib loaded; do
        rm -f "$drive_d/LIST.INI" "$drive_d/SOFT.INI"
        run_wine() {
            # The DLL is found on the PATH, in the unpacked ZIP's bin folder.
            WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
                WINEPATH="Z:${prefix//\//\\}\\bin" "$wine" "$build/$exe.exe" "$@"
        }
        run_host_pair run_wine "$exe.exe under Wine" 'X:\SETUP.EXE -D D:\FACTORY -P D:\FACTORY' \
            "$drive_d" 'D:\'
    done
    # The packaged program, with the DLL beside it.
    local out
    out=$(WINEPREFIX=$wine_prefix WINEDEBUG=-all "$wine" "$prefix/bin/mfglist.exe" --version | tr -d '\r')
    [ "$out" = "mfglist $version" ] || fail "mfglist.exe --version under Wine gave [$out]"
    out=$(WINEPREFIX=$wine_prefix WINEDEBUG=-all "$wine" "$prefix/bin/mfglist.exe" preview 'D:\FACTORY' |
        tr -d '\r' | sed -n 's/^Library *//p')
    [ "$out" = "Z:${prefix//\//\\}\\bin\\mfglist.dll" ] ||
        fail "mfglist.exe under Wine previewed with the library [$out], not the one beside it"
    echo "ok: mfglist.exe under Wine: --version, and a preview with the DLL beside it"
}

# dpkg's state of the mfglist package: installed, config-files, not-installed, ...
package_state() {
    local status
    status=$(dpkg-query -W -f='${Status}' mfglist 2>/dev/null) || status=not-installed
    echo "${status##* }"
}

# check_debian_install DEB VERSION: dpkg -i, mfglist --version and a preview
# from the PATH, dpkg -r, and no file of the package left behind.
check_debian_install() {
    local deb=$1 depends
    depends=$(dpkg-deb -f "$deb" Depends)
    [[ "$depends" == *libc6* && "$depends" == *libstdc++6* ]] ||
        fail "the Debian package declares Depends: [$depends]"
    echo "ok: the Debian package depends on $depends"
    if [ "$(id -u)" != 0 ] || [ ! -w /var/lib/dpkg ]; then
        echo "skipped: installing the Debian package (this machine lets only root install packages;" \
             "run as root to test dpkg -i / dpkg -r)"
        return 0
    fi
    if [ "$(package_state)" != not-installed ]; then
        echo "skipped: installing the Debian package (dpkg knows an mfglist package already:" \
             "$(package_state); it is left alone)"
        return 0
    fi
    dpkg -i "$deb" >/dev/null
    local out status=0
    out=$(cd / && mfglist --version) || status=$?
    [ "$status" = 0 ] && [ "$out" = "mfglist $2" ] || {
        dpkg -r mfglist >/dev/null
        fail "mfglist --version from the PATH gave [$out], status $status"
    }
    out=$(cd / && mfglist preview --json /usr/share/doc/mfglist/examples/factory) || status=$?
    [ "$status" = 0 ] || {
        dpkg -r mfglist >/dev/null
        fail "the installed mfglist could not preview the installed example factory (status $status)"
    }
    echo "ok: dpkg -i installed it; mfglist --version and preview run from the PATH"
    dpkg -r mfglist >/dev/null
    # Its postrm (ldconfig) keeps dpkg's record until a purge, as for any
    # package with maintainer scripts; nothing else may stay.
    [[ "$(package_state)" =~ ^(config-files|not-installed)$ ]] ||
        fail "dpkg -r left mfglist in state [$(package_state)]"
    local left
    left=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' |
        while read -r file; do [ -e "$file" ] || [ -L "$file" ] && echo "$file"; done || true)
    [ -z "$left" ] || fail "dpkg -r left files behind: $left"
    dpkg -P mfglist >/dev/null
    [ "$(package_state)" = not-installed ] || fail "dpkg -P left mfglist in state [$(package_state)]"
    echo "ok: dpkg -r removed it and all its files, dpkg -P its record"
}
