#!/usr/bin/env bash
# The main job on the demo application: sets up and builds what is missing, creates the
# demo cluster and application when missing and shows what it holds, then runs the
# nightly command file and prints its batch log. --gui opens TarselUtilities on it after.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$("$top/scripts/setup.sh" | tail -n 1)

"$build_dir/tools/tarsel-local/tarsel-local" demo --from "$top/examples/demo"

logdir=${TARSEL_DEMO_LOGS:-${XDG_STATE_HOME:-$HOME/.local/state}/tarsel/demo}
mkdir -p "$logdir"
# The night's input files (the ledger, the journals, the rules, the security) lie beside
# the log, where the command file's relative paths point.
cp "$top/examples/demo/Demo_ledger_2026.dat" "$top/examples/demo/journals.jlf" \
  "$top/examples/demo/Demo.rls" "$top/examples/demo/Demo.sec" "$logdir/"
log="$logdir/nightly.log"
rc=0
# In the log folder (the command file's relative paths), with the export utility's
# stand-in on the PATH and the credentials in the environment, not in the process list.
(cd "$logdir" && PATH="$build_dir/tools/karst-stub:$PATH" TARSEL_USER=demo TARSEL_PASSWORD=demo \
  "$build_dir/batch/Tarsel_Batch" "$top/examples/demo/nightly.txt, $log") || rc=$?
echo "--- batch log $log (this run) ---"
# The log is appended across runs: show the last run only (it starts after three empty lines).
awk 'BEGIN{RS="\r\n\r\n\r\n"} END{printf "%s", $0}' "$log" | tr -d '\r'
echo "--- Tarsel_Batch exit status: $rc ---"

if [ "${1:-}" = "--gui" ]; then
  TARSEL_CLUSTER=Demo TARSEL_APPLICATION=Demo TARSEL_USER=demo TARSEL_PASSWORD=demo \
    "$build_dir/utilities/TarselUtilities"
fi
exit "$rc"
