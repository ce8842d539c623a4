#!/usr/bin/env bash
# A short libFuzzer run of one reader from the sanitized build. It starts from
# the committed corpus (fuzz/corpus/TARGET) and keeps what it finds in the
# build folder; an input that crashes is written there as crash-TARGET-*.
# Usage: fuzz/run_fuzz.sh SANITIZED_BUILD TARGET [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?sanitized build folder}
target=${2:?target}
seconds=${3:-10}
binary="$build/fuzz/fuzz_$target"
if [ ! -x "$binary" ]; then
  echo "$binary not built (scripts/test builds it when clang++ is installed): skipped"
  exit 77
fi
# Mesh files hold the padded node grid: even a tiny mesh is tens of kilobytes.
max_len=8192
[ "$target" = meshfile ] && max_len=65536
found="$build/fuzz/found/$target"
mkdir -p "$found"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
if ! "$binary" -artifact_prefix="$build/fuzz/crash-$target-" -max_total_time="$seconds" -max_len="$max_len" \
  -rss_limit_mb=2048 -timeout=30 -print_final_stats=0 "$found" "$root/fuzz/corpus/$target" >"$build/fuzz/$target.log" 2>&1; then
  tail -n 40 "$build/fuzz/$target.log"
  echo "A crashing input is in $build/fuzz/ (crash-$target-*): once mended, keep it in fuzz/crashes/$target/."
  exit 1
fi
tail -n 2 "$build/fuzz/$target.log"
