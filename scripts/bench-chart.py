#!/usr/bin/env python3
"""Draws the arrival-latency chart of a benchmark report as a PNG.

Reads the Wine benchmark's lines ("floor_createprocess_ms median M p95 P ...",
"arrival_to_start_ms actions=N [case] median M p95 P ...",
"arrival_to_start_ms usb_new [burst=B] others=N median M p95 P ...",
"arrival_to_start_ms usb_rhythm_drive others=N median M p95 P ...",
"window_longest_answer_ms usb_new burst=B others=N median M p95 P ...") and has
ImageMagick draw grouped bars: median and 95th percentile for the direct
CreateProcess floor, for a drive's arrival with each number of Actions stored,
for a new USB device among others and amid a burst of broadcasts, for a
drive's arrival in the new device's rhythm, and, past a
divider, the window's longest answer during that burst.
Usage: bench-chart.py REPORT.txt OUT.png
"""
import re
import subprocess
import sys

CASES = {"after_change": "changed", "steady": "steady", "log_off": "log off", "log_on": "log on"}


def read_series(report):
    """(first label line, second label line, median, p95, is an answer time) per series."""
    series = []
    for line in open(report, encoding="utf-8", errors="replace"):
        figures = re.search(r" median ([\d.]+) p95 ([\d.]+)", line)
        if not figures:
            continue
        median, p95 = float(figures[1]), float(figures[2])
        if line.startswith("floor_createprocess_ms "):
            series.append(("floor", "", median, p95, False))
        elif m := re.match(r"arrival_to_start_ms actions=(\d+)(?: (\S+))? median", line):
            name = "1 Action" if m[1] == "1" else f"{m[1]} Actions"
            series.append((name, CASES.get(m[2], ""), median, p95, False))
        elif m := re.match(r"arrival_to_start_ms usb_new burst=(\d+) others=(\d+) ", line):
            series.append((f"burst of {m[1]}", f"{m[2]} others", median, p95, False))
        elif m := re.match(r"arrival_to_start_ms usb_new others=(\d+) ", line):
            series.append(("new USB", f"{m[1]} others", median, p95, False))
        elif m := re.match(r"arrival_to_start_ms usb_rhythm_drive others=(\d+) ", line):
            series.append(("drive, same", f"rhythm {m[1]}", median, p95, False))
        elif m := re.match(r"window_longest_answer_ms usb_new burst=(\d+) others=(\d+) ", line):
            series.append(("answer in", f"burst of {m[1]}", median, p95, True))
    return series


def main():
    report, out = sys.argv[1], sys.argv[2]
    series = read_series(report)
    if not series:
        sys.exit("bench-chart: no latency figures in " + report)
    left, bottom, top, height = 70, 70, 80, 460
    width = max(860, left + 20 + 78 * len(series))
    peak = max(p95 for *_, p95, _ in series) or 1.0
    scale = (height - bottom - top) / peak
    group = (width - left - 20) / len(series)
    draw = [
        "fill black",
        f"text {left} 30 'Under Wine (ms): arrival to program start; longest answer of the window'",
        "stroke black", f"line {left} {height - bottom} {width - 10} {height - bottom}",
        f"line {left} {top} {left} {height - bottom}", "stroke none",
    ]
    for index, (label, case, median, p95, answer) in enumerate(series):
        x = left + index * group + group * 0.15
        bar = group * 0.3
        if answer and not series[index - 1][4]:
            divider = left + index * group
            draw += ["stroke gray", f"line {divider:.0f} {top} {divider:.0f} {height - bottom + 40}",
                     "stroke none"]
        for offset, value, colour in ((0, median, "'#3a6ea5'"), (bar, p95, "'#e0a030'")):
            y = height - bottom - value * scale
            draw += [f"fill {colour}", f"rectangle {x + offset:.0f} {y:.0f} {x + offset + bar:.0f} {height - bottom}",
                     "fill black", f"text {x + offset:.0f} {y - 4:.0f} '{value:.0f}'"]
        draw += ["fill black", f"text {x:.0f} {height - bottom + 20} '{label}'",
                 f"text {x:.0f} {height - bottom + 36} '{case}'"]
    draw += ["fill '#3a6ea5'", f"rectangle {width - 190} 48 {width - 178} 60", "fill black",
             f"text {width - 172} 59 'median'", "fill '#e0a030'", f"rectangle {width - 110} 48 {width - 98} 60",
             "fill black", f"text {width - 92} 59 'p95'"]
    font = subprocess.run(["fc-match", "-f", "%{file}", "Noto Sans CJK JP"], capture_output=True,
                          text=True).stdout.strip()
    subprocess.run(["convert", "-size", f"{width}x{height}", "xc:white"] +
                   (["-font", font] if font else []) + ["-pointsize", "12",
                    "-draw", " ".join(draw), out], check=True)


if __name__ == "__main__":
    main()
