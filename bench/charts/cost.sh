#!/usr/bin/env bash
# What drawing charts costs the engine's small-file run (bench/sheetjs.sh's
# "small" set): the engine tool of this commit against the same commit built
# with the chart parts skipped (their anchors dropped as the drawing is read,
# so nothing of a chart is parsed or written). Whole processes, one thread,
# pages on a disk folder, the two programs paired in each round and the order
# alternating from round to round. Two rows:
#   small   every .xlsx/.xlsm of the XlsxWriter suite (the small-file set)
#   charts  only those of them that hold a chart
# Wall clock on a disk swings with what the kernel is still flushing, so the
# processor time (user + system) and the user time of the same runs are given
# beside it, and, where valgrind is installed, the instructions of one run of
# each, which do not depend on the machine's load at all.
#
#   bench/charts/cost.sh [PAIRS]   (default 9; after bench/bootstrap)
#   COST_DIR=DIR                   inputs, outputs and the second build
#                                  (default bench/scratch/charts-cost; on a disk)
# Results: a table on standard output, the raw runs in $COST_DIR/runs.tsv.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
pairs=${1:-9}
build=${BUILD_DIR:-build}
corpus=${CORPUS:-$root/../shared/corpus}
work=${COST_DIR:-$root/bench/scratch/charts-cost}

command -v hyperfine >/dev/null || { echo "bench/charts: hyperfine is missing (bench/bootstrap)" >&2; exit 1; }
mkdir -p "$work"
case $(stat -f -c %T "$work") in tmpfs | ramfs)
  echo "bench/charts: $work is in memory; give COST_DIR on a disk" >&2; exit 1 ;;
esac
type=RelWithDebInfo
[ -f "$build/CMakeCache.txt" ] && type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$build" --target quindle-engine >/dev/null
with=$(realpath "$build/tools/engine/quindle-engine")

# The same sources with the chart anchors cleared right after a drawing is
# parsed; built in a tree of its own with the same build type.
src=$work/src
rm -rf "$src"
mkdir -p "$src"
git ls-files -z | xargs -0 cp -p --parents -t "$src"
drawing=$src/src/sheets/xlsx/Drawing.cpp
grep -q '^    pkg.Parse(part, h);$' "$drawing" ||
  { echo "bench/charts: the drawing reader changed; update the patch in $0" >&2; exit 1; }
sed -i 's/^    pkg.Parse(part, h);$/    pkg.Parse(part, h);\n    h.charts.clear();/' "$drawing"
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
echo "bench/charts: building the engine without charts" >&2
cmake --build "$work/build" --target quindle-engine >/dev/null
without=$work/build/tools/engine/quindle-engine

# The inputs, copied once to the disk folder.
if [ ! -d "$work/in/charts" ]; then
  rm -rf "$work/in"
  mkdir -p "$work/in/small" "$work/in/charts"
  find "$corpus/xlsxwriter" -maxdepth 1 -type f \( -iname '*.xlsx' -o -iname '*.xlsm' \) -print0 |
    xargs -0 cp -t "$work/in/small"
  has_chart='import sys, zipfile
sys.exit(not any(n.startswith("xl/charts/") for n in zipfile.ZipFile(sys.argv[1]).namelist()))'
  for f in "$work/in/small"/*; do
    if python3 -c "$has_chart" "$f" 2>/dev/null; then cp "$f" "$work/in/charts/"; fi
  done
fi

engine() {  # PROGRAM SOURCE TARGET
  printf '%q -j 1 -o %q %q' "$1" "$3" "$2"
}
runs=$work/runs.tsv
echo -e "round\trow\tprogram\twall\tcpu\tuser" >"$runs"
echo "bench/charts: $pairs rounds; $(ls "$work/in/small" | wc -l) small workbooks, $(ls "$work/in/charts" | wc -l) with charts" >&2
for ((round = 0; round <= pairs; round++)); do  # round 0 warms the caches and is not counted
  for row in small charts; do
    out=$work/out
    rm -rf "$out"
    mkdir -p "$out"
    sync
    a=(with "$(engine "$with" "$work/in/$row" "$out/w")")
    b=(without "$(engine "$without" "$work/in/$row" "$out/n")")
    ((round % 2)) && { t=("${a[@]}"); a=("${b[@]}"); b=("${t[@]}"); }
    hyperfine -N --runs 1 --style none --export-json "$work/round.json" \
      -p sync "${a[1]}" -p sync "${b[1]}" >/dev/null 2>&1
    python3 bench/charts/cost_summary.py --round "$work/round.json" "$round" "$row" "${a[0]}" "${b[0]}" >>"$runs"
  done
  [ $round -eq 0 ] && sed -i '2,$d' "$runs"
done

instructions=$work/instructions.tsv
: >"$instructions"
if command -v valgrind >/dev/null; then
  for row in small charts; do
    for p in with without; do
      exe=$with
      [ $p = without ] && exe=$without
      rm -rf "$work/out"
      n=$(valgrind --tool=lackey --basic-counts=yes "$exe" -j 1 -o "$work/out" "$work/in/$row" 2>&1 >/dev/null |
        sed -n 's/^==[0-9]*== *guest instrs: *\([0-9,]*\).*/\1/p' | tr -d ,)
      echo -e "$row\t$p\t$n" >>"$instructions"
    done
  done
fi
rm -rf "$work/out"
python3 bench/charts/cost_summary.py "$runs" "$instructions"
