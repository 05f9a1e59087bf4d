#!/usr/bin/env bash
# The console run over a workbook corpus with ThreadsCount 1 and 2, against
# the engine tool on the same files with 1 and 2 threads, in one session.
# Runs are interleaved and repeated; the fastest of each kind is reported
# (the machine is shared, so the fastest run is the least disturbed one).
# CPU time (user + sys) is shown too: on a busy machine it tells the
# pipeline's own cost apart from time spent waiting for a core.
#
#   bench/pipeline/run.sh [CORPUS] [REPEATS]     (from the repository root,
#                                                 after scripts/build)
set -euo pipefail
cd "$(dirname "$0")/../.."
corpus=$(realpath "${1:-../shared/corpus}")
reps=${2:-5}
quindle=build/quindle
engine=build/tools/engine/quindle-engine
for exe in "$quindle" "$engine"; do
  [ -x "$exe" ] || { echo "missing $exe: run scripts/build first" >&2; exit 1; }
done

# Inputs and outputs live in memory (tmpfs) when the machine has it: on a
# disk file system the cost of creating thousands of small files depends on
# what was deleted there in the last minute (ext4 without a journal passes
# over recently freed inodes), which swamps the differences measured here.
# BENCH_TMP chooses another place.
tmp=${BENCH_TMP:-/dev/shm}
[ -d "$tmp" ] && [ -w "$tmp" ] || tmp=${TMPDIR:-/tmp}
work=$(mktemp -d -p "$tmp")
trap 'rm -rf "$work"' EXIT
# The same workbooks for both: the corpus without its reference exports.
mkdir -p "$work/in"
for d in "$corpus"/*/; do
  name=$(basename "$d")
  [ "$name" = refs ] && continue
  cp -r "$d" "$work/in/$name"
done
count=$(find "$work/in" -type f \( -iname '*.xls' -o -iname '*.xlsx' -o -iname '*.xlsm' -o -iname '*.xlsb' \) | wc -l)
echo "corpus: $count workbooks from $corpus, $reps rounds"

declare -A best cpu
keep_min() {  # array-name kind value
  local -n a=$1
  local cur=${a[$2]:-}
  if [ -z "$cur" ] || awk "BEGIN{exit !($3 < $cur)}"; then a[$2]=$3; fi
}
timed() {  # kind command... ; records wall-clock and CPU (user + sys) seconds
  local kind=$1; shift
  read -r wall used < <(python3 bench/pipeline/timed.py "$@")
  keep_min best "$kind" "$wall"
  keep_min cpu "$kind" "$used"
}
# Every run writes into a folder of its own, and none is deleted before the
# end, for the same reason.
runs=0
fresh() { runs=$((runs + 1)); out=$work/out.$runs; }
run_quindle() {  # threads
  fresh
  timed "quindle-$1" env QUINDLE_QUIET=1 "$quindle" \
    "-P:Source=$work/in/*.xls?;Subdir=1;Target=$out/;ThreadsCount=$1;PureConsole=1;LogFile=$out.log"
  local lines=$(wc -l < "$out.log")
  [ "$lines" -eq "$count" ] || echo "warning: $lines log lines for $count workbooks" >&2
}
run_engine() {  # threads
  fresh
  timed "engine-$1" "$engine" -j "$1" -o "$out" "$work/in"
}

run_quindle 1; run_engine 1  # warm the file cache
best=(); cpu=()
for ((r = 1; r <= reps; r++)); do
  run_engine 1; run_quindle 1; run_engine 2; run_quindle 2
done

printf '%-12s %8s %8s\n' run wall cpu
for k in engine-1 quindle-1 engine-2 quindle-2; do printf '%-12s %8.4f %8.4f\n' "$k" "${best[$k]}" "${cpu[$k]}"; done
awk -v q1="${best[quindle-1]}" -v q2="${best[quindle-2]}" -v e1="${best[engine-1]}" -v e2="${best[engine-2]}" 'BEGIN{
  printf "scaling, ThreadsCount 1 -> 2:   %.2fx (engine tool: %.2fx)\n", q1 / q2, e1 / e2
  printf "pipeline overhead, 1 thread:   %+.1f %%\n", (q1 / e1 - 1) * 100
  printf "pipeline overhead, 2 threads:  %+.1f %%\n", (q2 / e2 - 1) * 100
}'
awk -v q1="${cpu[quindle-1]}" -v q2="${cpu[quindle-2]}" -v e1="${cpu[engine-1]}" -v e2="${cpu[engine-2]}" 'BEGIN{
  printf "CPU overhead, 1 thread:        %+.1f %%\n", (q1 / e1 - 1) * 100
  printf "CPU overhead, 2 threads:       %+.1f %%\n", (q2 / e2 - 1) * 100
}'
