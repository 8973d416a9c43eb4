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
# clock and by the processor time it used (user + system), ROUNDS times (default 3), and
# the best of each figure counts: on a shared machine a single run can take half as long
# again. The processor times give the steadier ratios. Every Tarsel_Batch run begins with
# a LOGON, whose password check is a fixed cost of its own; a run of the LOGON alone is
# timed too, and each command's own ratio is given beside the whole run's: the command's
# run less the LOGON-only run, to the same baseline.
# Usage: bench/loads/run.sh [N]   (default 1000000; DEPTH, SHARED, BUILD_DIR, ROUNDS)
set -euo pipefail

ENTITIES=${1:-${ENTITIES:-1000000}}
ROUNDS=${ROUNDS:-3}
BENCH_TARGETS=Tarsel_Batch
source "$(dirname "$0")/../generated_entities.sh"
BATCH="$BUILD/batch/Tarsel_Batch"
export TARSEL_HOME="$HOME_DIR"

# timed NAME COMMAND...: runs the command, keeping "wall user system kilobytes" in NAME.t.
# The writes an earlier step left to the kernel are flushed first: written back while a
# step runs, they took the processor from it (an extract after the sqlite3 program's 50 MB
# of text took up to half as long again).
timed() {
    local name=$1
    shift
    sync
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/$name.t" "$@"
}
# rounds NAME COMMAND...: runs the command ROUNDS times, keeping the best of each figure
# (memory included: the peak is the same each time) in NAME.t.
rounds() {
    local name=$1
    shift
    for ((i = 1; i <= ROUNDS; ++i)); do
        timed "$name.$i" "$@"
    done
    awk '{ for (f = 1; f <= 4; ++f) if (NR == 1 || $f < best[f]) best[f] = $f }
         END { print best[1], best[2], best[3], best[4] }' "$WORK/$name".*[0-9].t > "$WORK/$name.t"
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

# The step's figures less the LOGON-only run's, as "wall user system kilobytes" in NAME.t
# of step $2 (wall and processor time; memory kept from the step).
less_logon() {
    awk 'NR == FNR { w = $1; u = $2; s = $3; next }
         { printf "%.3f %.3f %.3f %d\n", $1 - w, $2 - u, $3 - s, $4 }' \
        "$WORK/logon.t" "$WORK/$1.t" > "$WORK/$2.t"
}
# Ratios of step $1 to step $2 with the LOGON taken from step $1 (and from $2 when $3 is
# "both"): what the command itself costs.
command_ratios() {
    less_logon "$1" "$1.alone"
    local base=$2
    if [ "${3:-}" = both ]; then
        less_logon "$2" "$2.alone"
        base="$2.alone"
    fi
    ratios "$1.alone" "$base"
}

# Runs the batch lines after a LOGON in $WORK as step $1 (no lines: the LOGON alone).
run_batch() {
    local name=$1
    shift
    {
        printf 'LOGON Bench, Big, bench, bench\r\n'
        [ $# -eq 0 ] || printf '%s\r\n' "$@"
    } > "$WORK/$name.txt"
    (cd "$WORK" && rounds "$name" "$BATCH" "$name.txt" >/dev/null 2>&1) || true
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

rounds import bash -c "$(declare -f import_baseline); rm -f '$WORK/baseline.db';
                      WORK='$WORK' import_baseline"
echo "sqlite3 .import: $(figures import)"

run_batch logon
echo "LOGON alone: $(figures logon)"

run_batch load_app "LOAD_METADATA big.app, load_app.load.log, REPLACE, FALSE"
echo "load .app REPLACE: $(figures load_app)"
echo "  whole run: $(ratios load_app import) (target <= 2.0)"
echo "  the load alone (run less LOGON): $(command_ratios load_app import)"

run_batch extract_app "EXTRACT_METADATA extract.app, , APP"
rounds text bash -c "sqlite3 -list -separator ';' '$WORK/baseline.db' \
    \"SELECT label FROM member; SELECT label, 'English', description FROM member;
     SELECT parent, child FROM relation ORDER BY rowid;\" > '$WORK/sqlite.txt'"
# The generated file opens with a comment, which the extract does not carry.
if cmp -s "$WORK/extract.app" <(grep -v "^'" "$WORK/big.app"); then
    SAME="the bytes loaded"
else
    SAME="BYTES DIFFER from the file loaded"
fi
echo "extract .app: $(figures extract_app), $SAME"
echo "sqlite3 as text: $(figures text)"
echo "  whole run: $(ratios extract_app text) (target <= 1.0)"
echo "  the extract alone (run less LOGON): $(command_ratios extract_app text)"

run_batch extract_xml "EXTRACT_METADATA extract.xml, , XML"
echo "extract .xml ($(du -h "$WORK/extract.xml" | cut -f1)): $(figures extract_xml); to the .app extract $(ratios extract_xml extract_app)"
run_batch load_xml "LOAD_METADATA extract.xml, load_xml.load.log, REPLACE, FALSE"
echo "load .xml REPLACE: $(figures load_xml)"
echo "  whole run, to the .app load: $(ratios load_xml load_app) (target <= 1.5)"
echo "  the load alone, to the .app load alone: $(command_ratios load_xml load_app both)"
