#!/usr/bin/env python3
"""Prints one table of the benchmarks that carry a goal, from the JSON files
Google Benchmark wrote (--benchmark_out): action, goal, measured, ratio and
whether the goal was met. A row's `measured` and `goal` counters share the
unit its label names in brackets; ratio <= 1 means met (goal/measured for
throughputs, higher_is_better = 1). Rows skipped with an error are listed
under the table. Usage: bench-table.py [--no-pg] FILE..."""

import json
import os
import re
import sys


def rows(paths, skip_pg):
    table, skipped = [], []
    for path in paths:
        binary = os.path.splitext(os.path.basename(path))[0]
        try:
            with open(path, encoding="utf-8") as f:
                text = f.read()
            # Empty when the binary has none of the rows (an older build).
            benchmarks = json.loads(text).get("benchmarks", []) if text.strip() else []
        except (OSError, ValueError) as e:
            skipped.append((binary, f"no results ({e})"))
            continue
        if not benchmarks:
            skipped.append((binary, "none of its benchmarks is a row of the table"))
        for b in benchmarks:
            name = b.get("run_name", b["name"])
            if skip_pg and re.search(r"pg:1|Postgres", name):
                continue
            if b.get("error_occurred"):
                skipped.append((name, b.get("error_message", "")))
                continue
            if "goal" not in b or b.get("run_type") == "aggregate":
                continue
            label = b.get("label", name)
            m = re.match(r"(.*?)\s*\[(.+)\]$", label)
            action, unit = (m.group(1), m.group(2)) if m else (label, "")
            goal, measured = b["goal"], b["measured"]
            higher = b.get("higher_is_better", 0) == 1
            ratio = (goal / measured if measured else float("inf")) if higher else measured / goal
            table.append((action, unit, goal, measured, ratio, higher))
    return table, skipped


def number(x):
    return f"{x:,.0f}" if abs(x) >= 100 else f"{x:.3g}"


def main(argv):
    skip_pg = "--no-pg" in argv
    table, skipped = rows([a for a in argv if a != "--no-pg"], skip_pg)
    lines = [("action", "goal", "measured", "ratio", "")]
    for action, unit, goal, measured, ratio, higher in table:
        sign = ">= " if higher else "<= "
        lines.append((action, sign + number(goal) + " " + unit, number(measured) + " " + unit,
                      f"{ratio:.2f}", "met" if ratio <= 1 else "missed"))
    widths = [max(len(line[i]) for line in lines) for i in range(5)]
    for n, line in enumerate(lines):
        print("  ".join(cell.ljust(widths[i]) if i == 0 else cell.rjust(widths[i])
                        for i, cell in enumerate(line)).rstrip())
        if n == 0:
            print("  ".join("-" * w for w in widths))
    for name, why in skipped:
        print(f"not run: {name}: {why}")
    return 0 if table else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
