#!/usr/bin/env python3
"""Checks that what the README shows of plotmuf's output is what plotmuf
writes: the example station, run in a copy of ROOT/example as the README
runs it (--today 2024-03-03) with the options whose output it shows (--csv,
--svg, --archive-page, --feed with the station named Rome, RO041), must have
written

- every line of each CSV sample of the README (a fenced block that begins
  with "time_utc," or holds a row that begins with a time, "2024-03-03T..."),
  the block's lines one after the other in one CSV file, as they stand;
- every page description the README quotes ("MUF(3000)F2 on ...", in prose,
  where a line break counts as one blank), as it stands in a page;
- each sample feed (a fenced block that begins with "{" and has a
  "generator" field) line for line as the feed web/latest.json, but for the
  time of the run in its "written" field.

usage: tests/docs/check_examples.py PLOTMUF [ROOT]
    PLOTMUF: the program to run; ROOT: the repository, by default the one
    that holds this script.
Prints each line or description that the example did not write, with the
README's line, and exits 1 when there is one; 2 when the check could not be
made. Python 3 standard library only.
"""

import html
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

OPTIONS = ["--today", "2024-03-03", "--csv", "--svg", "--archive-page", "--feed", "--station", "Rome",
           "--station-code", "RO041", "--verbose"]
FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
CSV_ROW = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ,")
DESCRIPTION = re.compile(r'"(MUF\(3000\)F2 on [^"]*)"')
# The run's clock, which differs from run to run.
WRITTEN = re.compile(r'^(  "written": )"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ",$')


class CheckError(Exception):
    """The check could not be made (exit status 2)."""


def csv_samples(text):
    """(line number, lines) of each fenced block of `text` that shows CSV rows."""
    samples, block, start, fence = [], None, 0, None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None:
            if opening:
                fence, block, start = opening.group(1), [], number + 1
        elif opening and line.strip() == opening.group(1) and opening.group(1)[0] == fence[0]:
            if block and (block[0].startswith("time_utc,") or any(CSV_ROW.match(row) for row in block)):
                samples.append((start, block))
            fence = None
        else:
            block.append(line)
    return samples


def feed_samples(text):
    """(line number, lines) of each fenced block of `text` that shows a feed."""
    samples, block, start, fence = [], None, 0, None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None:
            if opening:
                fence, block, start = opening.group(1), [], number + 1
        elif opening and line.strip() == opening.group(1) and opening.group(1)[0] == fence[0]:
            if block and block[0] == "{" and any(row.startswith('  "generator": ') for row in block):
                samples.append((start, block))
            fence = None
        else:
            block.append(line)
    return samples


def descriptions(text):
    """(line number, description) of each page description that `text` quotes outside code blocks."""
    prose, fence = [], None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None and opening:
            fence = opening.group(1)
        elif fence is not None:
            if opening and line.strip() == opening.group(1) and opening.group(1)[0] == fence[0]:
                fence = None
        else:
            prose.append((number, line))
    joined, starts = "", []
    for number, line in prose:
        starts.append((len(joined), number))
        joined += line.strip() + " "
    found = []
    for match in DESCRIPTION.finditer(joined):
        number = max(n for offset, n in starts if offset <= match.start())
        found.append((number, re.sub(r"\s+", " ", match.group(1))))
    return found


def example_output(plotmuf, root, work):
    """The texts the example station writes: {file: text}, CSV files by their lines."""
    station = work / "example"
    shutil.copytree(root / "example", station)
    try:
        run = subprocess.run([str(plotmuf), *OPTIONS], cwd=station, capture_output=True, text=True, timeout=120)
    except OSError as error:
        raise CheckError(f"cannot run {plotmuf}: {error}")
    if run.returncode != 0:
        raise CheckError(f"the example station: {plotmuf} {' '.join(OPTIONS)}: status {run.returncode}\n{run.stderr}")
    written = {}
    for path in sorted(station.rglob("*")):
        if path.suffix in (".csv", ".html", ".svg", ".json") and path.is_file():
            written[path.relative_to(station).as_posix()] = path.read_bytes().decode("utf-8")
    if not any(name.endswith(".csv") for name in written) or not any(name.endswith(".html") for name in written):
        raise CheckError(f"the example station wrote no CSV file or no page: {sorted(written)}")
    return written


def faults(readme, written):
    text = readme.read_text(encoding="utf-8")
    csv_files = {name: content.split("\r\n") for name, content in written.items() if name.endswith(".csv")}
    pages = {name: html.unescape(content) for name, content in written.items() if name.endswith(".html")}
    found, checked = [], 0
    for start, block in csv_samples(text):
        checked += len(block)
        missing = [offset for offset, line in enumerate(block)
                   if not any(line in lines for lines in csv_files.values())]
        for offset in missing:
            found.append(f"README.md:{start + offset}: no CSV file of the example holds the line {block[offset]!r}")
        in_one = any(lines[i:i + len(block)] == block for lines in csv_files.values() for i in range(len(lines)))
        if not in_one and not missing:
            found.append(f"README.md:{start}: no CSV file of the example holds these {len(block)} lines in this "
                         f"order")
    for number, description in descriptions(text):
        checked += 1
        if not any(description in page for page in pages.values()):
            found.append(f"README.md:{number}: no page of the example says \"{description}\"")
    feed = [WRITTEN.sub(r'\1"(the run\'s clock)",', line) for line in written.get("web/latest.json", "").split("\n")]
    for start, block in feed_samples(text):
        checked += len(block)
        sample = [WRITTEN.sub(r'\1"(the run\'s clock)",', line) for line in block]
        for offset, line in enumerate(sample):
            if offset >= len(feed) or feed[offset] != line:
                found.append(f"README.md:{start + offset}: the example's feed web/latest.json has not the line "
                             f"{block[offset]!r} there")
                break
        else:
            if feed[len(sample):] != [""]:
                found.append(f"README.md:{start}: the example's feed web/latest.json has more lines than the sample")
    if checked == 0:
        raise CheckError("README.md shows no CSV sample and quotes no page description")
    return found, checked


def main(argv):
    if len(argv) not in (2, 3):
        print("usage: tests/docs/check_examples.py PLOTMUF [ROOT]", file=sys.stderr)
        return 2
    plotmuf = pathlib.Path(argv[1]).resolve()
    root = pathlib.Path(argv[2] if len(argv) == 3 else pathlib.Path(__file__).parent / ".." / "..").resolve()
    with tempfile.TemporaryDirectory(prefix="check_examples-") as work:
        try:
            found, checked = faults(root / "README.md", example_output(plotmuf, root, pathlib.Path(work)))
        except (CheckError, OSError, subprocess.TimeoutExpired) as error:
            print(f"check_examples: {error}", file=sys.stderr)
            return 2
    for fault in found:
        print(fault, file=sys.stderr)
    if found:
        print(f"check_examples: {len(found)} of {checked} lines and descriptions not written by the example",
              file=sys.stderr)
        return 1
    print(f"check_examples: {checked} lines and descriptions of README.md, each written by the example station")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
