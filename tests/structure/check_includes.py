#!/usr/bin/env python3
"""Checks how the program's files include one another (app/, canvas/,
series/, export/, platform/; tests left out):

  - no two files include each other's headers, directly or through others;
  - the pure writers (the chart's description, SVG and CSV, the metrics, the
    archive's pages, the markup, the month's statistics and files, the day
    against its forecast, the feed) reach app/form1.h through no include.

A header counts with its .cpp: what foo.cpp includes, foo.h reaches too.

usage: tests/structure/check_includes.py [ROOT]   (ROOT: the repository, by
                                                   default the one that holds this script)
Prints each fault and exits 1 when there is one. Python 3 standard library only.
"""

import pathlib
import re
import sys

FOLDERS = ("app", "canvas", "series", "export", "platform")
PURE = ("export/chart_description", "export/chart_svg", "export/chart_csv", "export/metrics",
        "export/archive_pages", "export/markup", "export/month_statistics", "export/month_files",
        "export/day_against_forecast", "export/feed")
FORM = "app/form1"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)\.(?:h|cpp)"', re.MULTILINE)


def units(root):
    """Each unit (a header with its .cpp, by path without extension) and the units it includes."""
    graph = {}
    for folder in FOLDERS:
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp") or path.stem.endswith("_test"):
                continue
            unit = f"{folder}/{path.stem}"
            graph.setdefault(unit, set()).update(INCLUDE.findall(path.read_text(encoding="utf-8")))
    for unit, included in graph.items():
        included.discard(unit)
    return graph


def reached(graph, unit):
    seen, todo = set(), [unit]
    while todo:
        for other in graph.get(todo.pop(), ()):
            if other not in seen:
                seen.add(other)
                todo.append(other)
    return seen


def faults(root):
    graph = units(root)
    found = [f"{unit} includes itself through {', '.join(sorted(u for u in graph[unit] if unit in reached(graph, u)))}"
             for unit in sorted(graph) if unit in reached(graph, unit)]
    found += [f"{unit} reaches {FORM}.h" for unit in PURE if FORM in reached(graph, unit)]
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
    found = faults(root)
    for fault in found:
        print(fault)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
