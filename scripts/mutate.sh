#!/usr/bin/env bash
# Plants known-dangerous small bugs in the library and the tool one at a
# time, rebuilds the test program that covers each, runs the tests that must
# catch it, and reports every one the suite misses.  Exit status 0 only when
# every mutant is caught.  The full run is done before each release.
#
#   bash scripts/mutate.sh              every mutant, each against its tests
#   bash scripts/mutate.sh --all        each against its whole test program
#   bash scripts/mutate.sh NAME...      only the mutants named
#   bash scripts/mutate.sh --check      no build: only that every mutant's
#                                       file exists and holds its text exactly
#                                       once (ctest runs this as
#                                       mutation_anchors)
#
# The mutants are data, one entry each, in scripts/mutants.json.  Bugs are
# planted in a scratch copy of the tree (build/mutate/tree), built in
# build/mutate/build (MFGLIST_MUTATE_BUILD names another), with two jobs;
# the sources themselves are never written, so a killed run leaves them as
# they were.
set -euo pipefail
exec python3 "$(dirname "$0")/mutate.py" "$@"
