#!/usr/bin/env bash
# Speed as the user sees it: the wall clock of whole processes, on a disk
# folder (not tmpfs), each run paired with its peer's in the same round and
# the order alternating from round to round. Four rows:
#   fresh   ~990 small Excel-made workbooks into an empty folder:
#           the console run vs SheetJS 0.18.5, and the floor
#   rerun   the same again over the pages already there (each program over
#           its own): the console run vs SheetJS, and the floor
#   lo      one 200,000 x 10 workbook: the console run vs LibreOffice
#           (soffice --headless --convert-to html), with peak memory
#   large   the same workbook: the console run vs SheetJS
# The floor (bench/wall/floor.cpp) writes pages of the same sizes and names
# and does nothing else: create and write for a fresh run, a temporary file
# renamed over the page for a re-run. Every run writes into a folder of its
# own; the folders of a round are removed before the next round's runs, and
# the removal (slow on ext4 for thousands of files) is never timed.
#
#   bench/wall/run.sh [PAIRS]      (default 7; from anywhere, after bench/bootstrap)
#   ROWS="fresh rerun lo large"    chooses rows (default: all)
#   WALL_DIR=DIR                   where inputs and outputs go (default
#                                  bench/scratch/wall; must be on a disk)
#   QUINDLE=PATH                   the program to time (default build/quindle)
# Results: a table on standard output, the raw runs in $WALL_DIR/runs.tsv,
# then the large workbook's physical floor: its parts inflated and nothing
# else, and the workbook read without a page written (bench/wall/physical.cpp).
# SheetJS and LibreOffice are only run as programs to time.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
pairs=${1:-7}
rows=${ROWS:-fresh rerun lo large}
build=${BUILD_DIR:-build}
corpus=${CORPUS:-$root/../shared/corpus}
scratch=$root/bench/scratch
work=${WALL_DIR:-$scratch/wall}
quindle=$(realpath "${QUINDLE:-$build/quindle}")
want() { [[ " $rows " == *" $1 "* ]]; }
export QUINDLE_QUIET=1  # no links opened after a run

command -v hyperfine >/dev/null || { echo "bench/wall: hyperfine is missing (bench/bootstrap)" >&2; exit 1; }
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target quindle bench_floor bench_physical >/dev/null
floor=$root/$build/bench/wall/bench_floor
mkdir -p "$work"
fstype=$(stat -f -c %T "$work")
if [ "$fstype" = tmpfs ] || [ "$fstype" = ramfs ]; then
  echo "bench/wall: $work is on $fstype; give WALL_DIR on a disk" >&2
  exit 1
fi
if [ ! -f "$scratch/sheetjs/node_modules/xlsx/package.json" ]; then
  echo "bench/wall: installing SheetJS (xlsx@0.18.5) into bench/scratch" >&2
  npm install --prefix "$scratch/sheetjs" --no-audit --no-fund --silent xlsx@0.18.5 >/dev/null
fi
export NODE_PATH=$scratch/sheetjs/node_modules
large=$scratch/large.xlsx
if [ ! -f "$large" ]; then
  echo "bench/wall: generating the large workbook" >&2
  cc -O2 -o "$scratch/large_xlsx" bench/gen/large_xlsx.c $(pkg-config --cflags --libs xlsxwriter)
  "$scratch/large_xlsx" "$large"
fi
soffice=$(command -v soffice || true)
if want lo && [ -z "$soffice" ]; then
  echo "bench/wall: soffice is missing (bench/bootstrap): the LibreOffice row is left out" >&2
  rows=${rows//lo/}
fi

# The small workbooks, those SheetJS reads (the others would time its failures).
in=$work/in
if [ ! -f "$work/small.list" ]; then
  rm -rf "$in"
  mkdir -p "$in/small"
  find "$corpus/xlsxwriter" -maxdepth 1 -type f \( -iname '*.xlsx' -o -iname '*.xlsm' \) | sort >"$work/all.list"
  node bench/sheetjs_run.js --screen "$work/all.list" "$work/kept.list" >/dev/null
  while read -r f; do cp "$f" "$in/small/"; done <"$work/kept.list"
  find "$in/small" -type f | sort >"$work/small.list"
fi
echo "$large" >"$work/large.list"
small_count=$(wc -l <"$work/small.list")

# The commands, each writing into the folder given last.
ours() {  # SOURCE TARGET
  printf '%q %q' "$quindle" "-P:Source=$1;Target=$2/;ThreadsCount=1;PureConsole=1;LogFile=$2.log"
}
sheetjs() {  # LIST TARGET
  printf 'node %q %q %q' "$root/bench/sheetjs_run.js" "$1" "$2"
}
libreoffice() {  # FILE TARGET
  printf '%q --headless -env:UserInstallation=file://%s --convert-to html --outdir %q %q' \
    "$soffice" "$work/lo-profile" "$2" "$1"
}
memory() {  # NAME COMMAND: the command, with its peak memory kept in NAME.kb
  printf '/usr/bin/time -f %%M -o %q %s' "$out/$1.kb" "$2"
}

# The floor writes what the console run wrote: the sizes and names of its pages.
sizes=$work/sizes.txt
if want fresh || want rerun; then
  rm -rf "$work/probe" "$work/probe.log"
  eval "$(ours "$in/small/*.xls?" "$work/probe")" >/dev/null
  (cd "$work/probe" && find . -type f -printf '%s %P\n') >"$sizes"
  rm -rf "$work/probe" "$work/probe.log"
fi
if want lo; then  # LibreOffice's first start builds its profile
  eval "$(libreoffice "$large" "$work/lo-warm")" >/dev/null 2>&1 || true
  rm -rf "$work/lo-warm"
fi

runs=$work/runs.tsv
echo -e "round\trow\tprogram\twall\tuser\tsystem\tpeak_kb" >"$runs"
# hyperfine ROUND ROW (PROGRAM COMMAND)...: one run each, in the order given.
time_round() {
  local round=$1 row=$2
  local json=$out/$row.json
  shift 2
  local -a names=() args=()
  while (($#)); do
    names+=("$1")
    args+=(-p sync "$2")
    shift 2
  done
  hyperfine -N --runs 1 --style none --export-json "$json" "${args[@]}" >/dev/null 2>&1 ||
    { echo "bench/wall: a run failed in round $round ($row); hyperfine says:" >&2
      hyperfine -N --runs 1 "${args[@]}" >&2 || true; exit 1; }
  python3 - "$json" "$round" "$row" "$out" "${names[@]}" >>"$runs" <<'EOF'
import json, os, sys
results = json.load(open(sys.argv[1]))["results"]
round_, row, out, names = sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]
for name, r in zip(names, results):
    kb = os.path.join(out, name + ".kb")
    peak = open(kb).read().split()[-1] if os.path.exists(kb) else ""
    print(f"{round_}\t{row}\t{name}\t{r['times'][0]:.4f}\t{r['user']:.4f}\t{r['system']:.4f}\t{peak}")
EOF
}

echo "bench/wall: $pairs rounds, $small_count small workbooks, on $fstype ($work), $(date -u '+%Y-%m-%d %H:%M UTC')" >&2
for ((round = 0; round <= pairs; round++)); do  # round 0 warms the caches and is not counted
  rm -rf "$work/out"
  sync
  out=$work/out
  mkdir -p "$out"
  flip=$((round % 2))
  if want fresh || want rerun; then
    q=$(ours "$in/small/*.xls?" "$out/q")
    j=$(sheetjs "$work/small.list" "$out/j")
    f="$floor fresh $sizes $out/f"
    mkdir -p "$out/q" "$out/j" "$out/f"
    if ((flip)); then time_round $round fresh floor "$f" sheetjs "$j" quindle "$q"
    else time_round $round fresh quindle "$q" sheetjs "$j" floor "$f"; fi
    if want rerun; then
      f="$floor rerun $sizes $out/f"
      if ((flip)); then time_round $round rerun floor "$f" sheetjs "$j" quindle "$q"
      else time_round $round rerun quindle "$q" sheetjs "$j" floor "$f"; fi
    fi
  fi
  if want lo; then
    q=$(memory quindle "$(ours "$large" "$out/lq")")
    l=$(memory libreoffice "$(libreoffice "$large" "$out/ll")")
    if ((flip)); then time_round $round lo libreoffice "$l" quindle "$q"
    else time_round $round lo quindle "$q" libreoffice "$l"; fi
    rm -rf "$out/lq" "$out/ll"
  fi
  if want large; then
    q=$(memory quindle "$(ours "$large" "$out/sq")")
    j=$(memory sheetjs "$(sheetjs "$work/large.list" "$out/sj")")
    if ((flip)); then time_round $round large sheetjs "$j" quindle "$q"
    else time_round $round large quindle "$q" sheetjs "$j"; fi
  fi
  [ $round -eq 0 ] && sed -i '2,$d' "$runs"
  echo "bench/wall: round $round of $pairs done" >&2
done
rm -rf "$work/out"
python3 bench/wall/summary.py "$runs"
if want lo || want large; then  # the physical floor of the large workbook
  echo "the large workbook's physical floor (best of 5):"
  "$root/$build/bench/wall/bench_physical" inflate "$large" 5
  "$root/$build/bench/wall/bench_physical" load "$large" 5
fi
