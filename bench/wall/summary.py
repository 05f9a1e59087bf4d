#!/usr/bin/env python3
"""Summarises bench/wall/run.sh's runs: per row and program the median wall
time with its spread (lowest to highest) and the medians of user and system
time and of peak memory; then, round by round, how many times longer the peer
took than the console run (and the console run than the floor), with the
median of those ratios."""
import statistics
import sys
from collections import defaultdict

ROWS = {
    "fresh": "~990 small workbooks into an empty folder",
    "rerun": "the same again over the existing pages",
    "lo": "one 200,000 x 10 workbook, vs LibreOffice",
    "large": "one 200,000 x 10 workbook, vs SheetJS",
}
PEERS = ("sheetjs", "libreoffice")


def main(path):
    runs = defaultdict(dict)  # (row, round) -> program -> fields
    with open(path) as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            r = dict(zip(header, line.rstrip("\n").split("\t")))
            runs[(r["row"], int(r["round"]))][r["program"]] = r
    for row, title in ROWS.items():
        rounds = sorted(n for (rw, n) in runs if rw == row)
        if not rounds:
            continue
        print(f"{row}: {title} ({len(rounds)} rounds)")
        programs = sorted({p for n in rounds for p in runs[(row, n)]}, key=lambda p: (p != "quindle", p))
        for p in programs:
            got = [runs[(row, n)][p] for n in rounds if p in runs[(row, n)]]
            wall = [float(g["wall"]) for g in got]
            line = (f"  {p:<12} wall {statistics.median(wall):7.3f} s  ({min(wall):.3f} to {max(wall):.3f})"
                    f"  user {statistics.median(float(g['user']) for g in got):6.3f}"
                    f"  system {statistics.median(float(g['system']) for g in got):6.3f}")
            peaks = [int(g["peak_kb"]) for g in got if g["peak_kb"]]
            if peaks:
                line += f"  peak {statistics.median(peaks) / 1024:6.1f} MiB"
            print(line)
        for peer in PEERS + ("floor",):
            ratios = []
            for n in rounds:
                got = runs[(row, n)]
                if peer in got and "quindle" in got:
                    q, o = float(got["quindle"]["wall"]), float(got[peer]["wall"])
                    ratios.append(q / o if peer == "floor" else o / q)
            if not ratios:
                continue
            what = "console run / floor" if peer == "floor" else f"{peer} / console run"
            print(f"  {what:<26} median {statistics.median(ratios):5.2f}x"
                  f"  ({min(ratios):.2f} to {max(ratios):.2f}; by round: "
                  + " ".join(f"{r:.2f}" for r in ratios) + ")")
            if peer == "libreoffice":
                q = [int(runs[(row, n)]["quindle"]["peak_kb"]) for n in rounds if runs[(row, n)]["quindle"]["peak_kb"]]
                o = [int(runs[(row, n)][peer]["peak_kb"]) for n in rounds if runs[(row, n)][peer]["peak_kb"]]
                if q and o:
                    print(f"  {'memory, console / peer':<26} {statistics.median(q) / statistics.median(o):5.2f}")
        print()


if __name__ == "__main__":
    main(sys.argv[1])
