#!/bin/bash
# Store benchmarks of the local Tarsel server, each against a plain sqlite3 baseline:
#  1. creating an application of ENTITIES Entity members (tarsel-local create-app, whole
#     process) versus the sqlite3 program importing the same member and relation rows from
#     CSV into two tables (and indexing them, as the store does); target ratio <= 2.0;
#  2. a depth-first walk of that hierarchy through the client-library interface versus a
#     recursive CTE in sqlite3 that lists the same pairs in the same order; target <= 1 s
#     per million occurrences.
# Usage: bench/store/run.sh   (ENTITIES=1000000 DEPTH=6 SHARED=1 BUILD_DIR=... to change)
set -euo pipefail

BENCH_TARGETS=store_walk_bench
source "$(dirname "$0")/../generated_entities.sh"
WALK="$BUILD/bench/store/store_walk_bench"

generate_entities
RELATIONS=$(wc -l < "$WORK/big.relations.csv")
echo "app file: $(du -h "$WORK/big.app" | cut -f1), $RELATIONS Entity relations"

"$TL" --home "$HOME_DIR" create-cluster Bench >/dev/null
t0=$(now)
/usr/bin/time -f "%M" -o "$WORK/rss" "$TL" --home "$HOME_DIR" create-app Bench Big "$WORK/big.app" >/dev/null 2>"$WORK/create.err" \
    || { cat "$WORK/create.err" >&2; exit 1; }
t1=$(now)
STORE_CREATE=$(elapsed "$t0" "$t1")

t0=$(now)
import_baseline
t1=$(now)
SQLITE_IMPORT=$(elapsed "$t0" "$t1")

echo "create: tarsel-local create-app ${STORE_CREATE} s (max RSS $(( $(cat "$WORK/rss") / 1024 )) MB)," \
     "sqlite3 .import ${SQLITE_IMPORT} s, ratio $(ratio "$STORE_CREATE" "$SQLITE_IMPORT") (target <= 2.0)"

provision_bench_user
TARSEL_PASSWORD=bench "$WALK" "$HOME_DIR" Bench Big bench "$WORK/walk.pairs" > "$WORK/walk.out"
cat "$WORK/walk.out" | sed 's/^/walk: /'
FIRST=$(sed -n 's/^first_walk_seconds=\([0-9.]*\).*/\1/p' "$WORK/walk.out")
PER_MILLION=$(sed -n 's/^first_walk_seconds=.* per_million=\([0-9.]*\)/\1/p' "$WORK/walk.out")

# Depth first: the queue gives the deepest row first, siblings in their stored order.
CTE="WITH RECURSIVE walk(parent, child, depth, position, description) AS (
  SELECT r.parent, r.child, 0, r.position, m.description
    FROM relation r JOIN member m ON m.label = r.child WHERE r.parent = ''
  UNION ALL
  SELECT r.parent, r.child, w.depth + 1, r.position, m.description
    FROM walk w JOIN relation r ON r.parent = w.child JOIN member m ON m.label = r.child
  ORDER BY 3 DESC, 4 ASC)"
t0=$(now)
sqlite3 -list -separator , "$WORK/baseline.db" "$CTE SELECT parent, child, description FROM walk;" > "$WORK/cte.out"
t1=$(now)
SQLITE_CTE=$(elapsed "$t0" "$t1")
sqlite3 -list -separator , "$WORK/baseline.db" "$CTE SELECT parent, child FROM walk;" > "$WORK/cte.pairs"
if cmp -s "$WORK/cte.pairs" "$WORK/walk.pairs"; then
    SAME="same pairs in the same order"
else
    SAME="ORDER DIFFERS"
fi
echo "walk: interface ${FIRST} s (${PER_MILLION} s per million occurrences, target <= 1),"\
     "sqlite3 recursive CTE ${SQLITE_CTE} s, ratio $(ratio "$FIRST" "$SQLITE_CTE"); $SAME"
