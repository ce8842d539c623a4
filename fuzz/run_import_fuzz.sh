#!/usr/bin/env bash
# Builds the import fuzz target with clang's libFuzzer (skipped when clang is
# not installed: exit code 77) and runs it briefly on a corpus kept in the build folder.
# Usage: fuzz/run_import_fuzz.sh BUILD_DIR [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?build folder}
seconds=${2:-10}
if ! command -v clang++ >/dev/null; then
  echo "import fuzz: clang++ not found, skipped"
  exit 77  # ctest reports this code as a skipped test
fi
core="$root/src/core"
sources=("$root/fuzz/ImportFuzz.cpp"
  "$core/import/syscal/SyscalBinary.cpp" "$core/import/schedule/ScheduleExtraction.cpp"
  "$core/import/text/TextInstruments.cpp" "$core/import/text/ImportLines.cpp" "$core/import/tables/ImportFill.cpp"
  "$core/log/MessageLog.cpp" "$core/settings/LenientNumber.cpp" "$core/settings/NumberText.cpp" "$core/settings/ParseLine.cpp" "$core/io/TextFile.cpp")
binary="$build/fuzz/import_fuzz"
mkdir -p "$build/fuzz/corpus"
rebuild=0
[ -x "$binary" ] || rebuild=1
for s in "${sources[@]}"; do [ "$s" -nt "$binary" ] && rebuild=1; done
if [ "$rebuild" -eq 1 ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$root/src" "${sources[@]}" -o "$binary"
fi
"$binary" -artifact_prefix="$build/fuzz/" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=1024 -print_final_stats=0 \
  "$build/fuzz/corpus" 2>&1 | tail -n 2
