#!/usr/bin/env bash
# Sets up and builds what is missing, then runs every test. In CI (CI=true) the tests
# run a second time under AddressSanitizer and UndefinedBehaviorSanitizer, and every fuzz
# target runs 20 seconds on its seeds from a fixed starting point (any finding fails).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)

build_dir=$("$top/scripts/setup.sh" | tail -n 1)
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" --timeout 600

if [ "${CI:-}" = "true" ] || [ "${1:-}" = "--sanitize" ]; then
  asan_dir=$("$top/scripts/setup.sh" --sanitize | tail -n 1)
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$top/scripts/lsan.supp" \
    ctest --test-dir "$asan_dir" --output-on-failure -j"$jobs" --timeout 900
fi

if [ "${CI:-}" = "true" ]; then
  "$top/scripts/fuzz.sh" --seconds 20 --seed 1
fi
