#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the benchmarks of a Release build (figures only).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" -LE bench

cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
echo "== Benchmarks (figures, not pass/fail) =="
ctest --test-dir build/release -L bench --output-on-failure -V | grep -vE '^(UpdateCTestConfiguration|Test project|Constructing|Checking test|Parse Config|Updating test list)' || true
