#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, in build-fuzz) and runs each for a while on
# its seeds in fuzz/corpus/<target>/; new inputs worth keeping go to build-fuzz/corpus/.
# A finding (crash, sanitizer report, leak, time-out) is saved in build-fuzz/findings/ and
# makes the script fail; keep it as a seed of its target once mended.
# --seed N makes a run repeatable: CI uses it so that each of its runs tries the same inputs
# on the same code; runs without it try new inputs each time and are the ones that find faults.
# Usage: scripts/fuzz.sh [--minutes N | --seconds N] [--seed N] [TARGET...]
#        (default: 10 minutes, a new seed each run, every target)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"

seconds=600
seed=0  # libFuzzer picks one
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) seconds=$(( $2 * 60 )); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    -h|--help) sed -n 2,9p "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option '$1' (see --help)" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$top"/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARSEL_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" \
  --target "${targets[@]/%/_fuzz}" >/dev/null

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$top/scripts/lsan.supp"
status=0
summary=()
for name in "${targets[@]}"; do
  seeds="$top/fuzz/corpus/$name"
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/findings/$name.log"
  mkdir -p "$corpus" "$findings"
  echo "fuzz: $name for $seconds s" >&2
  # Inputs up to 64 KiB; an input that takes more than 10 s or 2 GiB is a finding.
  if "$build/fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
       -seed="$seed" -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
       "$corpus" "$seeds" >"$log" 2>&1; then
    result=ok
  else
    result="FINDING (see $log and $findings/)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -n 's/.*cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p')
  summary+=("$name: ${runs:-?} executions, ${cov:-? coverage}, $result")
done
printf 'fuzz: %s\n' "${summary[@]}"
exit $status
