#!/usr/bin/env bash
# The console run over a workbook corpus with ThreadsCount 1 and 2, against
# the engine tool on the same files with 1 and 2 threads, in one session.
# Runs are interleaved and repeated; the figures are medians of the ratios
# within a round (see summary.py). CPU time (user + sys) is shown too, and,
# where valgrind is installed, the instructions each executes, which do not
# depend on what else a shared machine is doing.
#
#   bench/pipeline/run.sh [CORPUS] [REPEATS]     (from the repository root,
#                                                 after scripts/build)
set -euo pipefail
cd "$(dirname "$0")/../.."
corpus=$(realpath "${1:-../shared/corpus}")
reps=${2:-5}
quindle=build/quindle
engine=build/tools/engine/quindle-engine
export QUINDLE_QUIET=1  # no links opened after a run (and no extra exec per run)
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
# KEEP_ROUNDS=FILE keeps the raw timings.
trap '[ -z "${KEEP_ROUNDS:-}" ] || cp "$work/rounds" "$KEEP_ROUNDS"; rm -rf "$work"' EXIT
# The same workbooks for both: the corpus without its reference exports.
mkdir -p "$work/in"
for d in "$corpus"/*/; do
  name=$(basename "$d")
  [ "$name" = refs ] && continue
  cp -r "$d" "$work/in/$name"
done
count=$(find "$work/in" -type f \( -iname '*.xls' -o -iname '*.xlsx' -o -iname '*.xlsm' -o -iname '*.xlsb' \) | wc -l)
echo "corpus: $count workbooks from $corpus, $reps rounds"

rounds=$work/rounds  # one line per timed run: round kind wall cpu
timed() {  # round kind command... ; records wall-clock and CPU (user + sys) seconds
  local round=$1 kind=$2; shift 2
  read -r wall used < <(python3 bench/pipeline/timed.py "$@")
  echo "$round $kind $wall $used" >> "$rounds"
}
# Every run writes into a folder of its own, and none is deleted before the
# end, for the same reason.
runs=0
fresh() { runs=$((runs + 1)); out=$work/out.$runs; }
run_quindle() {  # round threads
  fresh
  timed "$1" "quindle-$2" "$quindle" \
    "-P:Source=$work/in/*.xls?;Subdir=1;Target=$out/;ThreadsCount=$2;PureConsole=1;LogFile=$out.log"
  local lines=$(wc -l < "$out.log")
  [ "$lines" -eq "$count" ] || echo "warning: $lines log lines for $count workbooks" >&2
}
run_engine() {  # round threads
  fresh
  timed "$1" "engine-$2" "$engine" -j "$2" -o "$out" "$work/in"
}
# What two cores give this work at best: two single-threaded engine processes,
# independent of each other, each converting the whole corpus at once. Two
# threads of one process cannot do better than that.
run_pair() {  # round
  fresh
  local a=$out; fresh
  timed "$1" pair bash -c '"$1" -j 1 -o "$2" "$4" & "$1" -j 1 -o "$3" "$4"; wait' _ "$engine" "$a" "$out" "$work/in"
}

run_quindle 0 1; run_engine 0 1  # warm the file cache
: > "$rounds"
for ((r = 1; r <= reps; r++)); do
  run_engine "$r" 1; run_quindle "$r" 1; run_engine "$r" 2; run_quindle "$r" 2; run_pair "$r"
done
python3 bench/pipeline/summary.py "$rounds"

# Instructions do not depend on what else the machine runs: the user-space
# work of the console run over the engine tool's, once each, on one thread.
if command -v valgrind > /dev/null; then
  # (the engine tool ends with 1 when some workbooks fail: not an error here)
  instructions() { { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null || true; } |
                   awk '/refs:/ {gsub(",", "", $NF); print $NF}'; }
  fresh; ie=$(instructions "$engine" -j 1 -o "$out" "$work/in")
  fresh; iq=$(instructions "$quindle" \
    "-P:Source=$work/in/*.xls?;Subdir=1;Target=$out/;ThreadsCount=1;PureConsole=1;LogFile=$out.log")
  awk -v e="$ie" -v q="$iq" 'BEGIN { printf "instructions, 1 thread:  engine tool %.0f M, console run %.0f M (%+.1f %%)\n", e / 1e6, q / 1e6, (q / e - 1) * 100 }'
fi
