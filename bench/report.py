#!/usr/bin/env python3
"""Turns the RESULT lines of the benchmark programs into one table, prints it
and, with --readme, writes it as the README's last section, "Benchmarks".

    report.py --results LOG --product EXE32 --product-x64 EXE64 --machine TEXT
              [--readme README.md]

A RESULT line is: RESULT <name> <baseline median> <program median> <ratio>
<unit> <runs> <median of the pair ratios>. Exits 1 when a figure is missing.
"""

import argparse
import datetime
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "inspect"))
from check_pe import PeFile, SYSTEM_DLLS  # noqa: E402

SIZE_BUDGET = 128 * 1024
SECTION = "## Benchmarks"


class Figure:
    def __init__(self, fields):
        self.name = fields[0]
        self.baseline, self.program, self.ratio = map(float, fields[1:4])
        self.unit = fields[4]
        self.runs = int(fields[5])
        self.pair_ratio = float(fields[6])


def read_results(path):
    figures = {}
    with open(path, encoding="utf-8", errors="replace") as log:
        for line in log:
            fields = line.split()
            if len(fields) == 8 and fields[0] == "RESULT":
                figures[fields[1]] = Figure(fields[1:])
    return figures


def timed_row(label, baseline_label, figure, target):
    met = "met" if figure.ratio <= target else "**missed**"
    return [label, "%.1f ms (%s)" % (figure.baseline, baseline_label), "%.1f ms" % figure.program,
            "%.3fx (pairs %.3fx)" % (figure.ratio, figure.pair_ratio),
            "at most %.2fx" % target, met]


def memory_row(label, figure, leak_expected):
    growth = figure.program - figure.baseline
    if leak_expected:
        verdict = "shows" if growth >= 100 else "**does not show**"
        target = "must show (about +200 MiB)"
    else:
        verdict = "met" if growth < 1.0 else "**missed**"
        target = "no growth (under one 1 MiB snippet)"
    return [label, "%.3f MiB (after press 1)" % figure.baseline,
            "%.3f MiB (after press 200)" % figure.program,
            "%.3fx, %+.3f MiB" % (figure.ratio, growth), target, verdict]


def size_row(path):
    with open(path, "rb") as exe:
        data = exe.read()
    dlls = PeFile(data).imported_dlls()
    foreign = [dll for dll in dlls
               if dll.lower() not in SYSTEM_DLLS and not dll.lower().startswith("api-ms-win-")]
    met = "met" if len(data) <= SIZE_BUDGET and not foreign else "**missed**"
    imports = ", ".join(sorted(dll.lower() for dll in dlls))
    return ["Size of the i686 `Morvessa.exe`", "-", "{:,} bytes".format(len(data)), "-",
            "at most {:,} bytes, system DLLs only ({})".format(SIZE_BUDGET, imports), met]


def markdown(rows):
    header = ["Figure", "Baseline", "Morvessa", "Ratio", "Target", ""]
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def section(rows, machine, runs, x64_size):
    today = datetime.date.today().isoformat()
    return "\n".join([
        SECTION,
        "",
        "`make bench` (`scripts/bench.sh`, programs in `bench/`) measures each figure against a",
        "baseline in the same run, as medians of alternating runs; \"pairs\" is the median of the",
        "ratios of runs taken back to back. Start-up is timed from just before `CreateProcess` to",
        "the visible main window, against a bare program that only initialises OLE and shows one",
        "window with one sorted list box filled from the same folder. Preview latency is timed",
        "in process from just before `BM_CLICK` on 预览 in the real main window to the entry of",
        "the library's `UpdateTobrilCode` (a bench `Browse.dll`), against one `CreateFile` +",
        "`ReadFile` + `CloseHandle` of the same cached file into a fresh buffer (its allocation",
        "not timed). Memory is the private bytes (`PagefileUsage`) and",
        "the process heap's busy bytes; the leak row has the bench library keep a copy of every",
        "snippet, to show the figures would catch one.",
        "",
        "Last run: %s, %s; %d alternating runs per timed figure, 5 rounds of 200 presses."
        % (today, machine, runs),
        "",
        markdown(rows),
        "",
        "The x86-64 build timed above (the test build) is {:,} bytes.".format(x64_size),
        "",
        "Where start-up time went, and what each fix did (start-up ratios from this benchmark,",
        "10 files / 10,000 files):",
        "",
        "| Cost found | Fix | Before | After |",
        "|---|---|---|---|",
        "| Every `LB_ADDSTRING` of the fill passed the skin's `WH_CALLWNDPROC` hook, a round "
        "trip to the server under Wine | the skin catches new controls with a `WH_CBT` hook, "
        "which runs on window events only (first measured with the narrower fix it replaced: "
        "the fill calling the list box's procedure directly) | 10,000 files at 5x | "
        "1.20x / 1.15x |",
        "| Loading comctl32 (about 10% of the bare start-up under Wine), pulled in by the "
        "manifest's Common Controls 6 dependency and by the skin's `SetWindowSubclass` | "
        "no Common Controls 6 dependency; the skin swaps window procedures itself | "
        "1.20x / 1.15x | the table above |",
        "",
        "Not loading comctl32 also took about 1.7 MiB off the private bytes.",
        "",
    ])


def write_readme(path, text):
    with open(path, encoding="utf-8") as readme:
        content = readme.read()
    start = content.find("\n" + SECTION + "\n")
    if start >= 0:
        content = content[:start + 1]
    content = content.rstrip("\n") + "\n\n" + text
    with open(path, "w", encoding="utf-8") as readme:
        readme.write(content)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--results", required=True)
    parser.add_argument("--product", required=True)
    parser.add_argument("--product-x64", required=True)
    parser.add_argument("--machine", required=True)
    parser.add_argument("--readme")
    args = parser.parse_args()

    figures = read_results(args.results)
    wanted = ["startup_10_files", "startup_10000_files", "preview_latency_64MiB",
              "memory_private_MiB", "memory_heap_MiB", "memory_private_MiB_with_leak",
              "memory_heap_MiB_with_leak"]
    missing = [name for name in wanted if name not in figures]
    if missing:
        print("bench: no result for %s (see %s)" % (", ".join(missing), args.results))
        return 1

    rows = [
        timed_row("Start-up, 10 snippet files", "bare program", figures["startup_10_files"], 1.10),
        timed_row("Start-up, 10,000 snippet files", "bare program",
                  figures["startup_10000_files"], 1.10),
        timed_row("Preview of a 64 MiB snippet, press to library entry", "CreateFile + ReadFile",
                  figures["preview_latency_64MiB"], 1.20),
        memory_row("Private bytes, 200 presses on a 1 MiB snippet",
                   figures["memory_private_MiB"], False),
        memory_row("Process heap in use, the same presses", figures["memory_heap_MiB"], False),
        memory_row("Private bytes, with a leak of every snippet (bench library)",
                   figures["memory_private_MiB_with_leak"], True),
        memory_row("Process heap in use, with that leak",
                   figures["memory_heap_MiB_with_leak"], True),
        size_row(args.product),
    ]
    text = section(rows, args.machine, figures["startup_10_files"].runs,
                   os.path.getsize(args.product_x64))
    print()
    print(text)
    if args.readme:
        write_readme(args.readme, text)
        print("bench: table written to %s" % args.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
