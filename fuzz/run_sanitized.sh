#!/usr/bin/env bash
# Runs a program of the sanitized build (made by scripts/test when clang is
# installed); exit code 77, which ctest reports as skipped, when it is absent.
# Usage: fuzz/run_sanitized.sh SANITIZED_BUILD PROGRAM [ARGS...]
set -euo pipefail
build=${1:?sanitized build folder}
program="$build/${2:?program}"
shift 2
if [ ! -x "$program" ]; then
  echo "$program not built (scripts/test builds it when clang++ is installed): skipped"
  exit 77
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$program" "$@"
