# Sourced by the benchmarks that run on a generated Entity dimension stored by the local
# server, with the same rows in a plain sqlite3 database as their baseline. The sourcing
# script sets BENCH_TARGETS (what it builds besides tarsel-local and generate-app); this
# file reads ENTITIES, DEPTH, SHARED and BUILD_DIR from the environment and gives ROOT,
# BUILD, WORK (removed at exit), TL, GEN, HOME_DIR, the timing helpers and the steps below.

ENTITIES=${ENTITIES:-1000000}
DEPTH=${DEPTH:-6}
SHARED=${SHARED:-1}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-release}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "Building (Release) in $BUILD ..." >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j2 --target tarsel-local generate-app $BENCH_TARGETS >/dev/null

TL="$BUILD/tools/tarsel-local/tarsel-local"
GEN="$BUILD/tools/generate-app/generate-app"
HOME_DIR="$WORK/home"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# $WORK/big.app, and its Entity rows in $WORK/big.members.csv and big.relations.csv.
generate_entities() {
    echo "Generating $ENTITIES entities (depth $DEPTH, $SHARED% shared) ..." >&2
    "$GEN" --entities "$ENTITIES" --depth "$DEPTH" --shared "$SHARED" --languages 1 --seed 7 \
        -o "$WORK/big.app" --csv "$WORK/big"
}

# The rows into $WORK/baseline.db: tables member and relation, indexed as the store is.
import_baseline() {
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
}

# User bench (password bench) provisioned in application Big of cluster Bench.
provision_bench_user() {
    printf 'bench\n' | "$TL" --home "$HOME_DIR" add-user Bench bench >/dev/null
    "$TL" --home "$HOME_DIR" provision Bench bench Big >/dev/null
}
