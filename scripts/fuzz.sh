#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/*_fuzz.cpp) with clang, libFuzzer, ASan and
# UBSan into build/sanitize (scripts/sanitize-build.sh), then runs each for
# SECONDS (default 600) on its committed seeds (fuzz/corpus/TARGET) and the
# corpus grown by earlier runs (build/fuzz/run/corpus/TARGET).  A crash, leak,
# hang or broken check fails the script; the input that did it is kept in
# build/fuzz/findings/.
# Installs clang and its fuzzer run-time first when missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-600}
case $seconds in '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [seconds]" >&2; exit 2 ;; esac

bash scripts/install-deps.sh --fuzz

bash scripts/sanitize-build.sh mfglist_fuzzers

run=$root/build/fuzz/run
findings=$root/build/fuzz/findings
mkdir -p "$run" "$findings"
# The targets' machines (their drives) live in memory when the system has a
# tmpfs: a list run commits with fsync, which costs milliseconds on a disk.
scratch_root=$run/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_root=/dev/shm/mfglist-fuzz-$$
# A small quarantine lets freed blocks be reused: the reader's 64 KB buffers
# would otherwise fault in fresh pages on every run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
failed=()
for source in fuzz/*_fuzz.cpp; do
    target=$(basename "$source" .cpp)
    name=${target%_fuzz}
    corpus=$run/corpus/$name
    scratch=$scratch_root/$name
    rm -rf "$scratch"
    mkdir -p "$corpus" "$scratch"
    echo "==== fuzz: $name for ${seconds}s"
    # New inputs go to the first folder: the committed seeds stay as they are.
    if TMPDIR=$scratch "build/sanitize/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
        -artifact_prefix="$findings/$name-" "$corpus" "fuzz/corpus/$name" >"$run/$name.log" 2>&1; then
        grep -E '^Done [0-9]+ runs' "$run/$name.log" | tail -1 || true
    else
        tail -n 40 "$run/$name.log"
        echo "==== fuzz: $name FAILED (log: $run/$name.log, input: $findings/$name-*)"
        failed+=("$name")
    fi
    rm -rf "$scratch"
done
rm -rf "$scratch_root"
if [ ${#failed[@]} -gt 0 ]; then
    echo "==== fuzz: findings in ${failed[*]}"
    exit 1
fi
echo "==== fuzz: every target ran clean"
