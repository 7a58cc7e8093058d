#!/usr/bin/env bash
# Installs what the builds and the test suites need, from Debian's packages.
# Does nothing for a tool that is already present; needs root for the rest.
# --fuzz adds clang and its fuzzer run-time (scripts/fuzz.sh, scripts/test.sh).
set -euo pipefail
fuzz=0
[ "${1:-}" = --fuzz ] && fuzz=1

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
# Google Benchmark only when benchmarks are asked for (scripts/bench.sh).
if [ -n "${MFGLIST_WITH_BENCHMARKS:-}" ]; then
    [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
fi
# Device names come from the PCI and USB ID databases; the tests use them.
[ -f /usr/share/misc/pci.ids ] || need+=(pci.ids)
[ -f /usr/share/misc/usb.ids ] || need+=(usb.ids)
# The HTML reports' test opens them in headless Chromium.
command -v chromium >/dev/null || need+=(chromium)
command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686-win32)
wine_ok=1
command -v wine >/dev/null || wine_ok=0
[ -e /usr/lib/wine/wine ] || [ -e /usr/lib/i386-linux-gnu/wine ] || wine_ok=0
dpkg -s wine32:i386 >/dev/null 2>&1 || wine_ok=0
[ "$wine_ok" = 1 ] || need+=(wine wine32:i386)
# For a machine whose kernel executes no 32-bit code: the suite then runs an
# x86_64 build of the same code under the 64-bit Wine (scripts/test.sh).
command -v x86_64-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-x86-64-win32)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# The packages and their test (scripts/package.sh): CPack's Debian
# dependencies (dpkg-shlibdeps, file), the ZIP's listing, pkg-config.
command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
command -v file >/dev/null || need+=(file)
command -v unzip >/dev/null || need+=(unzip)
command -v pkg-config >/dev/null || need+=(pkg-config)
# The format check of the suite (scripts/format.sh --check): clang-format 14.
command -v clang-format-14 >/dev/null || need+=(clang-format-14)
if [ "$fuzz" = 1 ]; then
    command -v clang++-14 >/dev/null || need+=(clang)
    compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-*.a' >/dev/null ||
        need+=(libclang-rt-14-dev)
fi

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "install-deps: missing packages: ${need[*]}; run this script as root to install them" >&2
    exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
