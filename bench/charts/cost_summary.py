#!/usr/bin/env python3
"""Summarises bench/charts/cost.sh: per row the medians of wall, processor and
user time with and without charts, the median of the rounds' ratios as the
cost, and the cost in instructions where valgrind counted them. Drawing adds
only user time; the kernel's share (reading workbooks, creating pages) is the
same with and without, so the user column shows what charts cost a machine
whose disk creates files for nothing.

usage: cost_summary.py RUNS.tsv INSTRUCTIONS.tsv
       cost_summary.py --round HYPERFINE.json ROUND ROW NAME... (a line of RUNS.tsv per run)"""
import json
import statistics
import sys
from collections import defaultdict


def main(runs_path, instructions_path):
    runs = defaultdict(dict)  # (row, round) -> program -> (wall, cpu)
    with open(runs_path) as f:
        next(f)
        for line in f:
            rnd, row, prog, wall, cpu, user = line.rstrip("\n").split("\t")
            runs[(row, rnd)][prog] = (float(wall), float(cpu), float(user))
    instructions = {}
    with open(instructions_path) as f:
        for line in f:
            row, prog, n = line.split()
            instructions[(row, prog)] = int(n)

    print("row     rounds   wall with / without      cost    cpu with / without       cost"
          "   user with / without      cost   instructions")
    for row in ("small", "charts"):
        rounds = [v for (r, _), v in runs.items() if r == row and len(v) == 2]
        if not rounds:
            continue
        cols = []
        for i in (0, 1, 2):
            med = [statistics.median(v[p][i] for v in rounds) for p in ("with", "without")]
            cost = statistics.median(v["with"][i] / v["without"][i] for v in rounds) - 1
            cols.append(f"{med[0]:7.3f} / {med[1]:.3f} s  {100 * cost:+6.1f} %")
        ins = ""
        if (row, "with") in instructions and (row, "without") in instructions:
            with_, without = instructions[(row, "with")], instructions[(row, "without")]
            ins = f"{with_ / 1e6:.0f} / {without / 1e6:.0f} M  {100 * (with_ / without - 1):+.1f} %"
        print(f"{row:7} {len(rounds):6}  {cols[0]}  {cols[1]}  {cols[2]}  {ins}")


def round_lines(path, round_, row, names):
    results = json.load(open(path))["results"]
    for name, r in zip(names, results):
        print(f"{round_}\t{row}\t{name}\t{r['times'][0]:.4f}\t{r['user'] + r['system']:.4f}\t{r['user']:.4f}")


if __name__ == "__main__":
    if sys.argv[1] == "--round":
        round_lines(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
    else:
        main(*sys.argv[1:3])
