#!/usr/bin/env bash
# Formats the project's C and C++ sources with .clang-format, or with
# --check only says which files are not formatted (status 1), changing
# nothing; ctest runs the check as code_format.  The style is clang-format
# 14's reading of .clang-format (Debian 12's): another major version may
# format some constructs differently, so the check wants that one.
#
#   bash scripts/format.sh            format every source file in place
#   bash scripts/format.sh --check    list the files that are not formatted
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
[ "${1:-}" = --check ] && check=1

tool=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$tool" ]; then
    echo "format: clang-format is missing; bash scripts/install-deps.sh installs it" >&2
    exit 1
fi
if ! "$tool" --version | grep -q 'version 14\.'; then
    echo "format: $("$tool" --version) is not clang-format 14; the house style is 14's" >&2
    exit 1
fi

# The sources: every C and C++ file of the tree, but the fuzz corpora and
# the build folders.
mapfile -t files < <(find src include tools tests bench fuzz examples \
    -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) \
    -not -path '*/corpus/*' 2>/dev/null | sort)

if [ "$check" = 0 ]; then
    "$tool" -i --style=file "${files[@]}"
    exit 0
fi
# One call for the whole tree; its warnings name each file it would change.
if ! report=$("$tool" --style=file --dry-run -Werror "${files[@]}" 2>&1); then
    grep -o '^[^:]*\.\(cpp\|h\|c\):' <<<"$report" | sort -u | sed 's/:$//' |
        while read -r file; do
            echo "format: $file is not formatted (bash scripts/format.sh formats it)" >&2
        done
    exit 1
fi
