#!/bin/bash
# DEFAULT_CUSTOM2's rewrite on a data file of RECORDS records (about 95 bytes each, CR LF
# line ends), against two baselines on the same file in the same minutes:
#  - cat copying the file to a new file (target: the rewrite takes <= 1.5 times as long);
#    cat copies inside the kernel (copy_file_range), so dd with 1 MiB blocks, which copies
#    through user space as the rewrite must, is shown beside it;
#  - mawk doing the same field rewrite (target: the rewrite is faster).
# Each is run three times, the best time counts (the rewrite's whole process, and the
# rewrite alone as timed inside it, without the program's start). The process is
# custom2_bench, which holds the rewrite's Qt-free library alone: in the nightly run the
# command runs inside a Tarsel_Batch that has started already. The outputs of the rewrite and of mawk
# must be the same bytes. Also prints the rewrite's maximum resident memory, which must
# not grow with the file.
# Usage: bench/custom2/run.sh   (RECORDS=2000000 BUILD_DIR=... WORK_DIR=... to change)
set -euo pipefail

RECORDS=${RECORDS:-2000000}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-release}
WORK=$(mktemp -d "${WORK_DIR:-${TMPDIR:-/tmp}}/custom2-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

echo "Building (Release) in $BUILD ..." >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j2 --target custom2_bench >/dev/null
BENCH="$BUILD/bench/custom2/custom2_bench"

echo "Generating $RECORDS records ..." >&2
mawk -v n="$RECORDS" 'BEGIN {
    srand(7); printf "!DATA\r\n"
    for (i = 0; i < n; i++) {
        printf "Actual;2026;%02d;YTD;E%06d;EUR;A%06d;[ICP None];Prod%02d;C2_%04d;[None];[None];%d.%02d\r\n",
            i % 12 + 1, i % 250000, int(rand() * 900000), i % 40, i % 3000, int(rand() * 1000000), i % 100
    }
}' > "$WORK/in.dat"
echo "data file: $(du -h "$WORK/in.dat" | cut -f1), $RECORDS records"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
best() { printf '%s\n' "$@" | sort -n | head -n 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
time_of() {
    local t0 t1
    rm -f "$WORK/out"
    t0=$(now); "$@" >/dev/null; t1=$(now)
    elapsed "$t0" "$t1"
}

cat "$WORK/in.dat" > /dev/null  # into the page cache for all three
declare -a CAT DD REWRITE INSIDE MAWK
for round in 1 2 3; do
    CAT+=("$(time_of sh -c "cat '$WORK/in.dat' > '$WORK/out'")")
    DD+=("$(time_of dd if="$WORK/in.dat" of="$WORK/out" bs=1M status=none)")
    REWRITE+=("$(time_of "$BENCH" "$WORK/in.dat" "$WORK/out" "[None]")")
    cp "$WORK/out" "$WORK/rewrite.out"
    rm -f "$WORK/out"
    INSIDE+=("$("$BENCH" "$WORK/in.dat" "$WORK/out" "[None]" | sed -n 's/^seconds=\([0-9.]*\).*/\1/p')")
    MAWK+=("$(time_of sh -c "mawk 'BEGIN { FS = OFS = \";\"; printf \"!DATA\\r\\n\" } NF >= 13 { \$10 = \"[None]\"; print }' '$WORK/in.dat' > '$WORK/out'")")
done
cmp -s "$WORK/out" "$WORK/rewrite.out" && SAME="same bytes as mawk" || SAME="OUTPUT DIFFERS FROM MAWK"
/usr/bin/time -f "%M" -o "$WORK/rss" "$BENCH" "$WORK/in.dat" "$WORK/out" "[None]" >/dev/null

C=$(best "${CAT[@]}"); D=$(best "${DD[@]}"); R=$(best "${REWRITE[@]}"); M=$(best "${MAWK[@]}")
I=$(best "${INSIDE[@]}")
echo "cat ${C} s, dd ${D} s, DEFAULT_CUSTOM2 rewrite ${R} s (of which the program's start" \
     "$(awk -v a="$R" -v b="$I" 'BEGIN { printf "%.3f", a - b }') s), mawk ${M} s (best of 3 each)"
echo "the rewrite alone (timed inside the program) / cat $(ratio "$I" "$C")"
echo "rewrite / cat $(ratio "$R" "$C") (target <= 1.5), rewrite / dd $(ratio "$R" "$D")," \
     "rewrite / mawk $(ratio "$R" "$M") (target < 1);" \
     "max RSS $(( $(cat "$WORK/rss") / 1024 )) MB; $SAME"
