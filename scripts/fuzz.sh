#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, preset `fuzz`) and runs each for SECONDS (default 60),
# one after another, from its seed corpus in fuzz/corpus. Inputs found on the way stay in
# build/fuzz/fuzz/corpus; a crash leaves its input in build/fuzz/fuzz/artifacts and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

status=0
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  work=build/fuzz/fuzz/corpus/$name
  mkdir -p "$work" build/fuzz/fuzz/artifacts
  echo "== fuzz_$name for ${seconds}s"
  build/fuzz/fuzz/fuzz_"$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/fuzz/artifacts/$name-" "$work" "$corpus" || status=$?
done
exit $status
