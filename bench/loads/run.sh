#!/bin/bash
# Metadata loads and extracts through the real Tarsel_Batch on a generated application of
# N Entity members (1% shared), each against a baseline timed in the same run:
#  1. LOAD_METADATA REPLACE of the .app into the existing application versus the sqlite3
#     program importing the same member and relation rows (target ratio <= 2.0);
#  2. EXTRACT_METADATA .app versus sqlite3 writing the same members and relations as text
#     (target <= 1.0);
#  3. LOAD_METADATA REPLACE of the .xml extract versus the .app load (target <= 1.5);
# and the peak resident memory of create-app and of each run beside the file's size
# (target <= 300 MB for a million members). Each step is timed as a whole process, by the
# clock and by the processor time it used (user + system); on a shared machine the
# processor times give the steadier ratios.
# Usage: bench/loads/run.sh [N]   (default 1000000; DEPTH, SHARED, BUILD_DIR as elsewhere)
set -euo pipefail

ENTITIES=${1:-${ENTITIES:-1000000}}
BENCH_TARGETS=Tarsel_Batch
source "$(dirname "$0")/../generated_entities.sh"
BATCH="$BUILD/batch/Tarsel_Batch"
export TARSEL_HOME="$HOME_DIR"

# timed NAME COMMAND...: runs the command, keeping "wall user system kilobytes" in NAME.t.
timed() {
    local name=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/$name.t" "$@"
}
wall() { awk '{ print $1 }' "$WORK/$1.t"; }
cpu() { awk '{ printf "%.3f", $2 + $3 }' "$WORK/$1.t"; }
rss() { awk '{ printf "%d", $4 / 1024 }' "$WORK/$1.t"; }
# "W s (C s processor), peak R MB" of a step.
figures() { echo "$(wall "$1") s ($(cpu "$1") s processor), peak $(rss "$1") MB"; }
# Both ratios of step $1 to step $2.
ratios() {
    echo "ratio $(ratio "$(wall "$1")" "$(wall "$2")") by the clock," \
         "$(ratio "$(cpu "$1")" "$(cpu "$2")") by processor time"
}

# Runs the batch lines after a LOGON in $WORK as step $1.
run_batch() {
    local name=$1
    shift
    printf 'LOGON Bench, Big, bench, bench\r\n%s\r\n' "$@" > "$WORK/$name.txt"
    (cd "$WORK" && timed "$name" "$BATCH" "$name.txt" >/dev/null 2>&1) || true
    if grep -q '^  \*' "$WORK/$name.log"; then
        echo "$name failed:" >&2
        cat "$WORK/$name.log" >&2
        exit 1
    fi
}

generate_entities
echo "app file: $(du -h "$WORK/big.app" | cut -f1) ($(stat -c %s "$WORK/big.app") bytes), $ENTITIES Entity members"

"$TL" --home "$HOME_DIR" create-cluster Bench >/dev/null
timed create "$TL" --home "$HOME_DIR" create-app Bench Big "$WORK/big.app" >/dev/null
printf 'bench\n' | "$TL" --home "$HOME_DIR" add-user Bench bench >/dev/null
"$TL" --home "$HOME_DIR" provision Bench bench Big --admin >/dev/null
echo "create-app: $(figures create) (memory target <= 300 MB)"

timed import bash -c "$(declare -f import_baseline); WORK='$WORK' import_baseline"
echo "sqlite3 .import: $(figures import)"

run_batch load_app "LOAD_METADATA big.app, load_app.load.log, REPLACE, FALSE"
echo "load .app REPLACE: $(figures load_app); $(ratios load_app import) (target <= 2.0)"

run_batch extract_app "EXTRACT_METADATA extract.app, , APP"
timed text sqlite3 -list -separator ';' "$WORK/baseline.db" \
    "SELECT label FROM member; SELECT label, 'English', description FROM member;
     SELECT parent, child FROM relation ORDER BY rowid;" > "$WORK/sqlite.txt"
# The generated file opens with a comment, which the extract does not carry.
if cmp -s "$WORK/extract.app" <(grep -v "^'" "$WORK/big.app"); then
    SAME="the bytes loaded"
else
    SAME="BYTES DIFFER from the file loaded"
fi
echo "extract .app: $(figures extract_app), $SAME"
echo "sqlite3 as text: $(figures text); $(ratios extract_app text) (target <= 1.0)"

run_batch extract_xml "EXTRACT_METADATA extract.xml, , XML"
echo "extract .xml ($(du -h "$WORK/extract.xml" | cut -f1)): $(figures extract_xml); to the .app extract $(ratios extract_xml extract_app)"
run_batch load_xml "LOAD_METADATA extract.xml, load_xml.load.log, REPLACE, FALSE"
echo "load .xml REPLACE: $(figures load_xml); to the .app load $(ratios load_xml load_app) (target <= 1.5)"
