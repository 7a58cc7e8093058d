#!/usr/bin/env bash
# Configures and builds build/sanitize: clang with AddressSanitizer,
# UndefinedBehaviorSanitizer and libFuzzer's coverage on everything, so that
# one build serves both the test suite under the sanitizers and the fuzz
# targets (scripts/test.sh runs the first, scripts/fuzz.sh the second).
# Clang rather than g++: g++ takes three to four times as long to build
# this code with the sanitizers.
#
#   scripts/sanitize-build.sh [TARGET ...]     (default: everything)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
echo "==== sanitize: configure and build (clang, build/sanitize)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build/sanitize -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMFGLIST_BUILD_FUZZ=ON >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build/sanitize -j "$jobs" "${targets[@]}"
