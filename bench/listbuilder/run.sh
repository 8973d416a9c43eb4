#!/bin/sh
# Builds and runs the member list builder benchmark; prints the figures and the ratio.
#   bench/listbuilder/run.sh [build-dir] [occurrences]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
count=${2:-100000}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target listbuilder_bench >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} exec "$build/bench/listbuilder/listbuilder_bench" "$count"
