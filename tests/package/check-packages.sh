#!/usr/bin/env bash
# check-packages.sh DIST_DIR VERSION
# Tests the packages that scripts/package.sh made in DIST_DIR, the way their
# users take them: each is unpacked into a staging prefix of its own, and the
# sample host (examples/host) is built against the staged files only, then
# run on the example factory, whose list must hold the expected entries.
#   Linux archive and Debian package: built through find_package(mfglist)
#     and through pkg-config, linked and loaded at run time;
#   Windows ZIP: built with mingw, linked through libmfglist.dll.a and
#     through mfglist.lib, and loaded at run time, and run under Wine.
# It checks each package's file list, the DLL's version resource, the names
# mfglist.lib imports, the DLL's export and import tables, and installs,
# runs and removes the Debian package with dpkg where the machine lets it.
set -euo pipefail
dist=$(cd "$1" && pwd)
version=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$here/package-checks.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/mfglist-packages.XXXXXX")
wine_prefix=""
cleanup() {
    [ -n "$wine_prefix" ] && WINEPREFIX=$wine_prefix wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

tgz=$dist/mfglist-$version-Linux.tar.gz
zip=$dist/mfglist-$version-win32.zip
deb=$(ls "$dist"/mfglist_"$version"_*.deb)

echo "---- file lists"
expect_files "$(tar -tzf "$tgz" | grep -v '/$' | sed "s|^mfglist-$version-Linux/||")" \
    "$(expected_files linux lib)" "$(basename "$tgz")"
expect_files "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||')" \
    "$(expected_files linux lib)" "$(basename "$deb")"
expect_files "$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^mfglist-$version-win32/||")" \
    "$(expected_files windows lib)" "$(basename "$zip")"

echo "---- Linux archive and Debian package: the sample host natively"
tar -xzf "$tgz" -C "$work"
dpkg-deb -x "$deb" "$work/deb"
for prefix in "$work/mfglist-$version-Linux" "$work/deb/usr"; do
    check_native_host "$prefix"
done

echo "---- Windows ZIP: the sample host with mingw, under Wine"
unzip -q "$zip" -d "$work"
windows_prefix=$work/mfglist-$version-win32
check_version_resource "$windows_prefix/bin/mfglist.dll" "$version"
check_version_resource "$windows_prefix/bin/mfglist.exe" "$version"
check_msvc_import_library "$windows_prefix/lib/mfglist.lib"
cmake -DKIND=dll -DTOOL=i686-w64-mingw32-objdump -DLIBRARY="$windows_prefix/bin/mfglist.dll" \
    -P "$root/tests/check_exports.cmake"
cmake -DTOOL=i686-w64-mingw32-objdump -DLIBRARY="$windows_prefix/bin/mfglist.dll" \
    -DALLOWED="$root/tests/windows_xp_imports.txt" -P "$root/tests/check_imports.cmake"
check_windows_host "$windows_prefix"

echo "---- Debian package: dpkg -i, mfglist from the PATH, dpkg -r"
check_debian_install "$deb" "$version"
echo "---- packages passed"
