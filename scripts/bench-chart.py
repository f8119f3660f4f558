#!/usr/bin/env python3
"""Draws the arrival-latency chart of a benchmark report as a PNG.

Reads the Wine benchmark's lines ("floor_createprocess_ms median M p95 P ...",
"arrival_to_start_ms actions=N [case] median M p95 P ...") and has ImageMagick
draw grouped bars: median and 95th percentile for the direct CreateProcess
floor and for an arrival with each number of Actions stored.
Usage: bench-chart.py REPORT.txt OUT.png
"""
import re
import subprocess
import sys


def read_series(report):
    series = []
    for line in open(report, encoding="utf-8", errors="replace"):
        floor = re.match(r"floor_createprocess_ms median ([\d.]+) p95 ([\d.]+)", line)
        if floor:
            series.append(("floor", float(floor[1]), float(floor[2])))
        arrival = re.match(
            r"arrival_to_start_ms actions=(\d+)(?: (\S+))? median ([\d.]+) p95 ([\d.]+)", line)
        if arrival:
            label = {"after_change": f"{arrival[1]}, changed", "steady": f"{arrival[1]}, steady",
                     "log_off": f"{arrival[1]}, log off", "log_on": f"{arrival[1]}, log on"}.get(
                arrival[2], f"{arrival[1]} Actions" if arrival[1] != "1" else "1 Action")
            series.append((label, float(arrival[3]), float(arrival[4])))
    return series


def main():
    report, out = sys.argv[1], sys.argv[2]
    series = read_series(report)
    if not series:
        sys.exit("bench-chart: no latency figures in " + report)
    width, height, left, bottom, top = 860, 440, 70, 60, 80
    peak = max(p95 for _, _, p95 in series) or 1.0
    scale = (height - bottom - top) / peak
    group = (width - left - 20) / len(series)
    draw = [
        "fill black", f"text {left} 30 'Volume arrival to program start under Wine (ms)'",
        "stroke black", f"line {left} {height - bottom} {width - 10} {height - bottom}",
        f"line {left} {top} {left} {height - bottom}", "stroke none",
    ]
    for index, (label, median, p95) in enumerate(series):
        x = left + index * group + group * 0.15
        bar = group * 0.3
        for offset, value, colour in ((0, median, "'#3a6ea5'"), (bar, p95, "'#e0a030'")):
            y = height - bottom - value * scale
            draw += [f"fill {colour}", f"rectangle {x + offset:.0f} {y:.0f} {x + offset + bar:.0f} {height - bottom}",
                     "fill black", f"text {x + offset:.0f} {y - 4:.0f} '{value:.0f}'"]
        draw += ["fill black", f"text {x:.0f} {height - bottom + 20} '{label}'"]
    draw += ["fill '#3a6ea5'", f"rectangle {width - 190} 18 {width - 178} 30", "fill black",
             f"text {width - 172} 29 'median'", "fill '#e0a030'", f"rectangle {width - 110} 18 {width - 98} 30",
             "fill black", f"text {width - 92} 29 'p95'"]
    font = subprocess.run(["fc-match", "-f", "%{file}", "Noto Sans CJK JP"], capture_output=True,
                          text=True).stdout.strip()
    subprocess.run(["convert", "-size", f"{width}x{height}", "xc:white"] +
                   (["-font", font] if font else []) + ["-pointsize", "13",
                    "-draw", " ".join(draw), out], check=True)


if __name__ == "__main__":
    main()
