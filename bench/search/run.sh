#!/usr/bin/env bash
# Builds a tree of 100,000 files in 1,000 folders in a temporary folder and
# times the folder search against `find DIR -iname '*.xls?'` on it, then the
# hand-out of 100,000 entries to 8 waiting workers. Not part of the tests.
# Usage: bench/search/run.sh [rounds]   (BUILD_DIR defaults to build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD_DIR:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target bench_search
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quindle-bench-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
"$build/bench/search/bench_search" make "$tmp/tree"
"$build/bench/search/bench_search" run "$tmp/tree" "${1:-7}"
