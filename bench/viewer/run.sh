#!/bin/sh
# Builds and runs the viewer benchmark; prints the figures and ratios.
#   bench/viewer/run.sh [build-dir] [member-count]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
count=${2:-100000}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target viewer_bench >/dev/null
exec "$build/bench/viewer/viewer_bench" "$count"
