#!/bin/bash
# Metadata loads and extracts through the real Tarsel_Batch on a generated application of
# N Entity members (1% shared), each against a baseline timed in the same run:
#  1. LOAD_METADATA REPLACE of the .app into the existing application versus the sqlite3
#     program importing the same member and relation rows (target ratio <= 2.0);
#  2. EXTRACT_METADATA .app versus sqlite3 writing the same members and relations as text
#     (target <= 1.0);
#  3. LOAD_METADATA REPLACE of the .xml extract versus the .app load (target <= 1.5);
# and the peak resident memory of create-app and of each load beside the file's size
# (target <= 300 MB for a million members).
# Usage: bench/loads/run.sh [N]   (default 1000000; DEPTH, SHARED, BUILD_DIR as elsewhere)
set -euo pipefail

ENTITIES=${1:-${ENTITIES:-1000000}}
BENCH_TARGETS=Tarsel_Batch
source "$(dirname "$0")/../generated_entities.sh"
BATCH="$BUILD/batch/Tarsel_Batch"
export TARSEL_HOME="$HOME_DIR"

mb() { echo $(( $(cat "$1") / 1024 )); }

# Runs the batch lines after a LOGON in $WORK; $1 names the run (its log and its peak).
run_batch() {
    local name=$1
    shift
    printf 'LOGON Bench, Big, bench, bench\r\n%s\r\n' "$@" > "$WORK/$name.txt"
    (cd "$WORK" && /usr/bin/time -f "%M" -o "$WORK/$name.rss" "$BATCH" "$name.txt" >/dev/null 2>&1) || true
    if grep -q '^  \*' "$WORK/$name.log"; then
        echo "$name failed:" >&2
        cat "$WORK/$name.log" >&2
        exit 1
    fi
}

generate_entities
echo "app file: $(du -h "$WORK/big.app" | cut -f1) ($(stat -c %s "$WORK/big.app") bytes), $ENTITIES Entity members"

"$TL" --home "$HOME_DIR" create-cluster Bench >/dev/null
/usr/bin/time -f "%M" -o "$WORK/create.rss" "$TL" --home "$HOME_DIR" create-app Bench Big "$WORK/big.app" >/dev/null
printf 'bench\n' | "$TL" --home "$HOME_DIR" add-user Bench bench >/dev/null
"$TL" --home "$HOME_DIR" provision Bench bench Big --admin >/dev/null
echo "create-app: peak RSS $(mb "$WORK/create.rss") MB (target <= 300)"

t0=$(now)
import_baseline
t1=$(now)
SQLITE_IMPORT=$(elapsed "$t0" "$t1")

t0=$(now)
run_batch load_app "LOAD_METADATA big.app, load_app.load.log, REPLACE, FALSE"
t1=$(now)
APP_LOAD=$(elapsed "$t0" "$t1")
echo "load .app REPLACE: ${APP_LOAD} s, peak RSS $(mb "$WORK/load_app.rss") MB;" \
     "sqlite3 .import ${SQLITE_IMPORT} s; ratio $(ratio "$APP_LOAD" "$SQLITE_IMPORT") (target <= 2.0)"

t0=$(now)
run_batch extract_app "EXTRACT_METADATA extract.app, , APP"
t1=$(now)
APP_EXTRACT=$(elapsed "$t0" "$t1")
t0=$(now)
sqlite3 -list -separator ';' "$WORK/baseline.db" \
    "SELECT label FROM member; SELECT label, 'English', description FROM member;
     SELECT parent, child FROM relation ORDER BY rowid;" > "$WORK/sqlite.txt"
t1=$(now)
SQLITE_TEXT=$(elapsed "$t0" "$t1")
if cmp -s "$WORK/extract.app" "$WORK/big.app"; then SAME="same bytes as the file loaded"; else SAME="BYTES DIFFER from the file loaded"; fi
echo "extract .app: ${APP_EXTRACT} s ($SAME); sqlite3 as text ${SQLITE_TEXT} s;" \
     "ratio $(ratio "$APP_EXTRACT" "$SQLITE_TEXT") (target <= 1.0)"

run_batch extract_xml "EXTRACT_METADATA extract.xml, , XML"
t0=$(now)
run_batch load_xml "LOAD_METADATA extract.xml, load_xml.load.log, REPLACE, FALSE"
t1=$(now)
XML_LOAD=$(elapsed "$t0" "$t1")
echo "load .xml REPLACE ($(du -h "$WORK/extract.xml" | cut -f1)): ${XML_LOAD} s, peak RSS" \
     "$(mb "$WORK/load_xml.rss") MB; ratio to the .app load $(ratio "$XML_LOAD" "$APP_LOAD") (target <= 1.5)"
