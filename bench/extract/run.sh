#!/bin/bash
# The metadata extract of a generated dimension of ENTITIES Entity members (1% shared, so
# about 1,010,000 occurrences) against the sqlite3 program writing the same lines with a
# recursive CTE from the same rows; target ratio <= 1.0. Also the extract window opening
# on it, and the text view's longest step on a text of at least 100 MB (target <= 1 s).
# Usage: bench/extract/run.sh   (ENTITIES=1000000 DEPTH=6 SHARED=1 BUILD_DIR=... to change)
set -euo pipefail

BENCH_TARGETS=extract_bench
source "$(dirname "$0")/../generated_entities.sh"
BENCH="$BUILD/bench/extract/extract_bench"

generate_entities
"$TL" --home "$HOME_DIR" create-cluster Bench >/dev/null
"$TL" --home "$HOME_DIR" create-app Bench Big "$WORK/big.app" >/dev/null
provision_bench_user

import_baseline

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
