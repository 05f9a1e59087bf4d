#!/usr/bin/env python3
"""Summarises bench/pipeline/run.sh's rounds (lines: round kind wall cpu).

Runs of one round follow each other within seconds, so their ratios cancel
most of what the rest of a shared machine does; the medians of those ratios
are the figures. The fastest run of each kind is shown for scale."""
import statistics
import sys
from collections import defaultdict

runs = defaultdict(dict)  # round -> kind -> (wall, cpu)
for line in open(sys.argv[1]):
    r, kind, wall, cpu = line.split()
    runs[r][kind] = (float(wall), float(cpu))


def median(f):
    return statistics.median(f(k) for k in runs.values())


print(f"{'run':<12} {'wall':>8} {'cpu':>8}   (fastest of {len(runs)} rounds)")
for kind in ("engine-1", "quindle-1", "engine-2", "quindle-2", "pair"):
    print(f"{kind:<12} {min(k[kind][0] for k in runs.values()):8.4f} {min(k[kind][1] for k in runs.values()):8.4f}")
print("medians of the per-round ratios:")
print(f"scaling, ThreadsCount 1 -> 2:   {median(lambda k: k['quindle-1'][0] / k['quindle-2'][0]):.2f}x"
      f" (engine tool: {median(lambda k: k['engine-1'][0] / k['engine-2'][0]):.2f}x;"
      f" two independent engine processes: {median(lambda k: 2 * k['engine-1'][0] / k['pair'][0]):.2f}x)")
for t in ("1", "2"):
    wall = median(lambda k: k[f"quindle-{t}"][0] / k[f"engine-{t}"][0] - 1) * 100
    cpu = median(lambda k: k[f"quindle-{t}"][1] / k[f"engine-{t}"][1] - 1) * 100
    print(f"pipeline overhead, {t} thread{'s' if t == '2' else ' '}:  wall {wall:+.1f} %, cpu {cpu:+.1f} %")
