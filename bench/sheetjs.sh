#!/usr/bin/env bash
# Speed and memory of the engine against SheetJS (npm "xlsx" 0.18.5), timed in
# the same run on the same files, both on one thread:
#   small  the Excel-made files of ../shared/corpus/xlsxwriter/
#   large  a generated workbook of 200,000 rows by 10 columns
#   xls    the .xls files of ../shared/corpus/ and a generated 60,000-row .xls
#          (when bench/gen_xls.py is there)
#   xlsb   the .xlsb files of ../shared/corpus/
#   largexlsb  the large workbook as .xlsb (SheetJS saves the generated .xlsx
#          as .xlsb once: a program run, not timed; it takes minutes)
# Besides processor time and peak memory (/usr/bin/time), the .xlsb sets are
# timed by wall clock with hyperfine: ROUNDS (default 5) rounds, each running
# SheetJS and then the engine once, whole processes; the medians of both and
# the median of the per-round ratios are reported.
# Workbooks that SheetJS fails on, or whose sheets span more than 20 million
# cells (SheetJS writes every cell of a sheet's extent), are left out of both
# runs; the run counts them.
# SheetJS is only run as a program to time. Needs bench/bootstrap and a build
# of quindle-engine (scripts/build, or BUILD_DIR). Results: bench/out/results.txt
# SETS="small large xls largexls xlsb largexlsb" chooses sets (default: all there are).
# A set left out by SETS is not a failure: the script ends with 0.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD_DIR:-build}
corpus=${CORPUS:-$root/../shared/corpus}
scratch=$root/bench/scratch
out=$root/bench/out
engine=$root/$build/tools/engine/quindle-engine
mkdir -p "$scratch" "$out"

if [ ! -x "$engine" ]; then
  echo "bench: building quindle-engine in $build" >&2
  [ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target quindle-engine >/dev/null
fi
if [ ! -f "$scratch/sheetjs/node_modules/xlsx/package.json" ]; then
  echo "bench: installing SheetJS (xlsx@0.18.5) into bench/scratch" >&2
  npm install --prefix "$scratch/sheetjs" --no-audit --no-fund --silent xlsx@0.18.5 >/dev/null
fi
if [ ! -f "$scratch/large.xlsx" ]; then
  echo "bench: generating the large workbook" >&2
  cc -O2 -o "$scratch/large_xlsx" bench/gen/large_xlsx.c $(pkg-config --cflags --libs xlsxwriter)
  "$scratch/large_xlsx" "$scratch/large.xlsx"
fi
if [ -f bench/gen_xls.py ] && [ ! -f "$scratch/large.xls" ]; then
  echo "bench: generating the large .xls workbook" >&2
  # Debian's python3 has python3-xlwt, whatever python3 comes first in PATH
  py=/usr/bin/python3; [ -x "$py" ] || py=python3
  "$py" bench/gen_xls.py "$scratch/large.xls"
fi
if [ ! -f "$scratch/large.xlsb" ] && [[ " ${SETS:-largexlsb} " == *" largexlsb "* ]]; then
  echo "bench: SheetJS saves the large workbook as .xlsb (minutes)" >&2
  NODE_PATH="$scratch/sheetjs/node_modules" node bench/sheetjs_run.js --convert "$scratch/large.xlsx" "$scratch/large.xlsb.tmp.xlsb"
  mv "$scratch/large.xlsb.tmp.xlsb" "$scratch/large.xlsb"
fi
sets=${SETS:-small large xls largexls xlsb largexlsb}
rounds=${ROUNDS:-5}
want() { [[ " $sets " == *" $1 "* ]]; }

# measure NAME CMD...: runs CMD under /usr/bin/time -v; sets SECS (processor
# time, user + system: steadier than wall time on a shared machine), WALL and PEAK_KB.
measure() {
  local name=$1; shift
  local log=$out/$name.time
  /usr/bin/time -v "$@" >"$out/$name.stdout" 2>"$log" || true
  SECS=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$log")
  WALL=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$log")
  PEAK_KB=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
}

# run_set NAME FILELIST: both programs over the same files (those SheetJS can finish).
run_set() {
  local name=$1 all=$2 n list=$out/$1.kept
  NODE_PATH="$scratch/sheetjs/node_modules" node bench/sheetjs_run.js --screen "$all" "$list" >"$out/$name.left-out"
  echo "$name: $(wc -l <"$out/$name.left-out") of $(wc -l <"$all") workbooks left out (see bench/out/$name.left-out)" | tee -a "$out/results.txt"
  n=$(wc -l <"$list")
  rm -rf "$out/$name-sheetjs" "$out/$name-engine"
  measure "$name-sheetjs" env NODE_PATH="$scratch/sheetjs/node_modules" node bench/sheetjs_run.js "$list" "$out/$name-sheetjs"
  local js_s=$SECS js_w=$WALL js_kb=$PEAK_KB
  mkdir -p "$out/$name-engine"
  # shellcheck disable=SC2046
  measure "$name-engine" xargs -a "$list" -d '\n' "$engine" -j 1 -o "$out/$name-engine"
  local q_s=$SECS q_w=$WALL q_kb=$PEAK_KB
  awk -v n="$n" -v name="$name" -v js="$js_s" -v jw="$js_w" -v q="$q_s" -v qw="$q_w" -v jk="$js_kb" -v qk="$q_kb" 'BEGIN {
    printf "%-8s %4d files  sheetjs %7.2f s cpu (%7.2f wall) %7.1f MB   engine %6.2f s cpu (%6.2f wall) %6.1f MB   speed x%.1f   memory 1/%.1f\n",
      name, n, js, jw, jk/1024, q, qw, qk/1024, (q > 0 ? js/q : 0), (qk > 0 ? jk/qk : 0) }' | tee -a "$out/results.txt"
  tail -n 1 "$out/$name-sheetjs.stdout" "$out/$name-engine.stdout" | grep -v '^==>' | grep . | sed 's/^/         /'
}

# wall_set NAME: the kept files of a set run_set has screened, by wall clock:
# hyperfine alternates the two programs, one run of each per round.
wall_set() {
  local name=$1 list=$out/$1.kept i
  rm -f "$out/$name-wall."*.json
  for ((i = 1; i <= rounds; i++)); do
    hyperfine --shell=none --ignore-failure --runs 1 --style none --export-json "$out/$name-wall.$i.json" \
      -n sheetjs "env NODE_PATH=$scratch/sheetjs/node_modules node bench/sheetjs_run.js $list $out/$name-sheetjs" \
      -n engine "xargs -a $list -d '\n' $engine -j 1 -o $out/$name-engine" >/dev/null
  done
  python3 - "$name" "$(wc -l <"$list")" "$out/$name-wall."*.json <<'PY' | tee -a "$out/results.txt"
import json, statistics, sys
name, files, paths = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
js, q, ratio = [], [], []
for p in paths:
    t = {r['command']: r['times'][0] for r in json.load(open(p))['results']}
    js.append(t['sheetjs']); q.append(t['engine']); ratio.append(t['sheetjs'] / t['engine'])
print('%-8s %4d files  wall clock, median of %d alternated rounds: sheetjs %7.2f s   engine %6.3f s   '
      'speed x%.1f (median of the rounds\' ratios; range x%.1f..x%.1f)' % (
          name + '-wall', files, len(paths), statistics.median(js), statistics.median(q),
          statistics.median(ratio), min(ratio), max(ratio)))
PY
}

: >"$out/results.txt"
echo "quindle-engine vs SheetJS 0.18.5, one thread each, $(date -u '+%Y-%m-%d %H:%M UTC')" | tee -a "$out/results.txt"
find "$corpus/xlsxwriter" -type f \( -iname '*.xlsx' -o -iname '*.xlsm' \) | sort >"$out/small.list"
echo "$scratch/large.xlsx" >"$out/large.list"
want small && run_set small "$out/small.list"
want large && run_set large "$out/large.list"
if [ -f bench/gen_xls.py ]; then
  find "$corpus" -type f -iname '*.xls' | sort >"$out/xls.list"
  want xls && run_set xls "$out/xls.list"
  echo "$scratch/large.xls" >"$out/largexls.list"
  want largexls && run_set largexls "$out/largexls.list"
fi
find "$corpus" -type f -iname '*.xlsb' | sort >"$out/xlsb.list"
if want xlsb; then
  run_set xlsb "$out/xlsb.list"
  wall_set xlsb
fi
if want largexlsb && [ -f "$scratch/large.xlsb" ]; then
  echo "$scratch/large.xlsb" >"$out/largexlsb.list"
  run_set largexlsb "$out/largexlsb.list"
  wall_set largexlsb
fi

exit 0
