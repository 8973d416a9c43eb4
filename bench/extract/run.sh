#!/bin/bash
# The metadata extract of a generated dimension of ENTITIES Entity members (1% shared, so
# about 1,010,000 occurrences) against the sqlite3 program writing the same lines with a
# recursive CTE from the same rows; target ratio <= 1.0. Also the extract window opening
# on it, and the text view's longest step on a text of at least 100 MB (target <= 1 s).
# Usage: bench/extract/run.sh   (ENTITIES=1000000 DEPTH=6 SHARED=1 BUILD_DIR=... to change)
set -euo pipefail

ENTITIES=${ENTITIES:-1000000}
DEPTH=${DEPTH:-6}
SHARED=${SHARED:-1}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-release}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "Building (Release) in $BUILD ..." >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j2 --target tarsel-local generate-app extract_bench >/dev/null

TL="$BUILD/tools/tarsel-local/tarsel-local"
GEN="$BUILD/tools/generate-app/generate-app"
BENCH="$BUILD/bench/extract/extract_bench"
HOME_DIR="$WORK/home"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "Generating $ENTITIES entities (depth $DEPTH, $SHARED% shared) ..." >&2
"$GEN" --entities "$ENTITIES" --depth "$DEPTH" --shared "$SHARED" --languages 1 --seed 7 \
    -o "$WORK/big.app" --csv "$WORK/big"
"$TL" --home "$HOME_DIR" create-cluster Bench >/dev/null
"$TL" --home "$HOME_DIR" create-app Bench Big "$WORK/big.app" >/dev/null
printf 'bench\n' | "$TL" --home "$HOME_DIR" add-user Bench bench >/dev/null
"$TL" --home "$HOME_DIR" provision Bench bench Big >/dev/null

cat > "$WORK/import.sql" <<SQL
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
CREATE TABLE member(label TEXT NOT NULL, description TEXT);
CREATE TABLE relation(parent TEXT NOT NULL, child TEXT NOT NULL, position INTEGER NOT NULL);
BEGIN;
.import --csv $WORK/big.members.csv member
.import --csv $WORK/big.relations.csv relation
COMMIT;
CREATE UNIQUE INDEX member_label ON member(label);
CREATE INDEX relation_parent ON relation(parent, position);
SQL
sqlite3 "$WORK/baseline.db" < "$WORK/import.sql" >/dev/null

# Depth first, as the extract walks: each row carries its parent's description along.
CTE="WITH RECURSIVE walk(parent, parent_description, child, description, depth, position) AS (
  SELECT '', '', r.child, m.description, 0, r.position
    FROM relation r JOIN member m ON m.label = r.child WHERE r.parent = ''
  UNION ALL
  SELECT r.parent, w.description, r.child, m.description, w.depth + 1, r.position
    FROM walk w JOIN relation r ON r.parent = w.child JOIN member m ON m.label = r.child
  ORDER BY 5 DESC, 6 ASC)
SELECT '\"' || parent || '\",\"' || parent_description || '\",\"' || child || '\",\"' ||
       description || '\"' FROM walk;"
t0=$(now)
sqlite3 -list -newline $'\r\n' "$WORK/baseline.db" "$CTE" > "$WORK/cte.txt"
t1=$(now)
SQLITE_CTE=$(elapsed "$t0" "$t1")

TARSEL_PASSWORD=bench QT_QPA_PLATFORM=offscreen "$BENCH" "$HOME_DIR" Bench Big bench \
    "$WORK/extract.txt" > "$WORK/bench.out" 2>"$WORK/bench.err" || { cat "$WORK/bench.err" >&2; exit 1; }
sed 's/^/extract: /' "$WORK/bench.out"
EXTRACT=$(sed -n 's/^extract_seconds=\([0-9.]*\)/\1/p' "$WORK/bench.out")
if cmp -s "$WORK/cte.txt" "$WORK/extract.txt"; then
    SAME="the same lines, byte for byte"
else
    SAME="LINES DIFFER"
fi
echo "extract: WriteExtract + file ${EXTRACT} s, sqlite3 recursive CTE ${SQLITE_CTE} s," \
     "ratio $(ratio "$EXTRACT" "$SQLITE_CTE") (target <= 1.0); $SAME"
