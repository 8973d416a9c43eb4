#!/bin/bash
# Application information benchmark (Release): generates an Entity dimension of ENTITIES
# members with SHARED percent shared base members (about ENTITIES occurrences), one of
# LIST_ENTITIES for the window's long member list, and one of SMALL for the plain method
# of one server call per occurrence; then prints the time of every report, of the window
# doing it, the window's longest stall, and the plain method's time and ratio.
# Usage: bench/appinfo/run.sh   (ENTITIES=1000000 LIST_ENTITIES=100000 SMALL=10000
#                                SHARED=1 DEPTH=5 BUILD_DIR=... to change)
set -euo pipefail

ENTITIES=${ENTITIES:-1000000}
LIST_ENTITIES=${LIST_ENTITIES:-100000}
SMALL=${SMALL:-10000}
SHARED=${SHARED:-1}
DEPTH=${DEPTH:-5}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-release}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "Building (Release) in $BUILD ..." >&2
if [ -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" >/dev/null  # keeps the folder's build type
else
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" -j2 --target tarsel-local generate-app appinfo_bench >/dev/null

TL="$BUILD/tools/tarsel-local/tarsel-local"
GEN="$BUILD/tools/generate-app/generate-app"
HOME_DIR="$WORK/home"

"$TL" --home "$HOME_DIR" create-cluster Bench >/dev/null
printf 'bench\n' | "$TL" --home "$HOME_DIR" add-user Bench bench >/dev/null
for app in "Big $ENTITIES" "List $LIST_ENTITIES" "Small $SMALL"; do
    set -- $app
    echo "Generating $1: $2 entities (depth $DEPTH, $SHARED% shared) ..." >&2
    "$GEN" --entities "$2" --depth "$DEPTH" --shared "$SHARED" --languages 1 --seed 7 \
        -o "$WORK/$1.app"
    "$TL" --home "$HOME_DIR" create-app Bench "$1" "$WORK/$1.app" >/dev/null
    "$TL" --home "$HOME_DIR" provision Bench bench "$1" >/dev/null
done

TARSEL_PASSWORD=bench "$BUILD/bench/appinfo/appinfo_bench" "$HOME_DIR" Bench Big Small bench List
