#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite under AddressSanitizer
# and UndefinedBehaviorSanitizer, each fuzz target for a few seconds, then the benchmarks of a
# Release build (figures only), with the check of the Debian package made from it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Let ccache share objects between clones of the repository in different folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

jobs=$(nproc)
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" -LE bench

# Every decoder of outside input, a few seconds each under libFuzzer (scripts/fuzz.sh runs longer).
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --test-dir build/fuzz -L fuzz -j "$jobs" --output-on-failure

cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
# The Debian package is made from this build: unpacked, linted and started, never installed.
ctest --test-dir build/release -L package --output-on-failure
echo "== Benchmarks (figures, not pass/fail on time) =="
# A benchmark fails only when it cannot run at all (a crash, no display); its figures never
# decide anything.
status=0
ctest --test-dir build/release -L bench --output-on-failure -V >build/release/bench.log 2>&1 || status=$?
grep -vE '^(UpdateCTestConfiguration|Test project|Constructing|Checking test|Parse Config|Updating test list)' build/release/bench.log
exit $status
