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

And that the station's files the README describes draw what it says: for
each row of its table of station kinds ("first line begins with"), a station
whose one sounding file has the row's name for the day and time of the
table's header, a first line that begins as the row says, and the line 4 of
the first row of the table of line 4s, draws that sounding at that time with
that row's value; for each row of the table of line 4s ("line 4"), whose
characters 16 to 19 must be the row's field, a sounding with that line 4
draws the row's value, or none ("no value"); and the forecast file the
README shows, its line 2, draws the values at the hours that the sentence
after it ("gives 6.8 MHz at 00 UT ...") names. What was drawn is read from
the CSV that --csv writes beside the chart.

usage: tests/docs/check_examples.py PLOTMUF [ROOT]
    PLOTMUF: the program to run; ROOT: the repository, by default the one
    that holds this script.
Prints each line or description that the example did not write, with the
README's line, and exits 1 when there is one; 2 when the check could not be
made. Python 3 standard library only.
"""

import csv
import datetime
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
TABLE_ROW = re.compile(r"^\s*\|(.*)\|\s*$")
CODE = re.compile(r"`([^`]+)`")
DAY_TIME = re.compile(r"(\d{1,2}) (January|February|March|April|May|June|July|August|September|October|November|"
                      r"December) (\d{4}), (\d\d):(\d\d) UT")
MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
          "November", "December"]
FORECAST_VALUE = re.compile(r"(\d+\.\d) MHz at (\d\d) UT")
# The run's clock, which differs from run to run.
WRITTEN = re.compile(r'^(  "written": )"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ",$')


class CheckError(Exception):
    """The check could not be made (exit status 2)."""


def fenced_samples(text, shows):
    """(line number, lines) of each fenced block of `text` whose lines `shows`."""
    samples, block, start, fence = [], None, 0, None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None:
            if opening:
                fence, block, start = opening.group(1), [], number + 1
        elif opening and line.strip() == opening.group(1) and opening.group(1)[0] == fence[0]:
            if block and shows(block):
                samples.append((start, block))
            fence = None
        else:
            block.append(line)
    return samples


def csv_samples(text):
    """(line number, lines) of each fenced block of `text` that shows CSV rows."""
    return fenced_samples(
        text, lambda block: block[0].startswith("time_utc,") or any(CSV_ROW.match(row) for row in block))


def feed_samples(text):
    """(line number, lines) of each fenced block of `text` that shows a feed."""
    return fenced_samples(
        text, lambda block: block[0] == "{" and any(row.startswith('  "generator": ') for row in block))


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


def run_plotmuf(plotmuf, options, folder, what, timeout):
    """Runs plotmuf with `options` in `folder`; a CheckError, naming `what`, unless it exits 0."""
    try:
        run = subprocess.run([str(plotmuf), *options], cwd=folder, capture_output=True, text=True, timeout=timeout)
    except OSError as error:
        raise CheckError(f"cannot run {plotmuf}: {error}")
    if run.returncode != 0:
        raise CheckError(f"{what}: {plotmuf} {' '.join(options)}: status {run.returncode}\n{run.stderr}")


def example_output(plotmuf, root, work):
    """The texts the example station writes: {file: text}, CSV files by their lines."""
    station = work / "example"
    shutil.copytree(root / "example", station)
    run_plotmuf(plotmuf, OPTIONS, station, "the example station", timeout=120)
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


def tables(text):
    """(line number of the header, header cells, [(line number, cells)]) of each table of `text` outside code
    blocks; cells as they stand, blanks around them removed."""
    found, current, fence = [], None, None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None and opening:
            fence, current = opening.group(1), None
            continue
        if fence is not None:
            if opening and line.strip() == opening.group(1) and opening.group(1)[0] == fence[0]:
                fence = None
            continue
        row = TABLE_ROW.match(line)
        if not row:
            current = None
            continue
        cells = [cell.strip() for cell in row.group(1).split("|")]
        if current is None:
            current = (number, cells, [])
            found.append(current)
        elif not all(re.fullmatch(r":?-+:?", cell) for cell in cells):
            current[2].append((number, cells))
    return found


def table(text, first_header):
    """The table of `text` whose header's first cell is `first_header`."""
    for found in tables(text):
        if found[1] and found[1][0] == first_header:
            return found
    raise CheckError(f"README.md has no table whose header begins \"{first_header}\"")


def code(cell, number):
    spans = CODE.findall(cell)
    if not spans:
        raise CheckError(f"README.md:{number}: no `code` in the cell {cell!r}")
    return spans[0]


def drawn_value(cell, number):
    """The value a table's cell says is drawn, as the CSV writes it: "" for none."""
    if cell.startswith("no value"):
        return ""
    value = re.match(r"(\d+\.\d) MHz", cell)
    if not value:
        raise CheckError(f"README.md:{number}: the cell {cell!r} gives neither a value in MHz nor \"no value\"")
    return value.group(1)


def forecast_sample(text):
    """(line number, lines, {hour: value}) of the fenced block that the sentence "gives ... MHz at HH UT ..."
    follows."""
    lines = text.splitlines()
    block, fence, start = None, None, 0
    for index, line in enumerate(lines):
        opening = FENCE.match(line)
        if fence is None and opening:
            fence, block, start = opening.group(1), [], index + 2
            continue
        if fence is not None:
            if opening and line.strip() == opening.group(1) and opening.group(1)[0] == fence[0]:
                fence = None
                after = index + 1
                while after < len(lines) and not lines[after].strip():
                    after += 1
                if after < len(lines) and lines[after].startswith("gives "):
                    sentence = []
                    while after < len(lines) and lines[after].strip():
                        sentence.append(lines[after])
                        after += 1
                    values = {int(hour): value for value, hour in FORECAST_VALUE.findall(" ".join(sentence))}
                    return start, block, values
            else:
                block.append(line)
    raise CheckError("README.md shows no forecast file followed by \"gives ... MHz at HH UT\"")


def draw_station(plotmuf, root, folder, day, forecast_lines, sounding_name, sounding_lines):
    """The rows of the CSV of the chart of `day` of a station made in `folder`: the example's configuration,
    a forecast file of `forecast_lines` for the day's month, one sounding file."""
    folder.mkdir()
    shutil.copy(root / "example" / "Quorel_RAV3000I2.ini", folder)
    for sub in ("previsioni/previous_RAV3000I2_plots", "autoscalati", "web"):
        (folder / sub).mkdir(parents=True)
    (folder / "previsioni" / f"{day.month:02}{day.year}.txt").write_bytes("\r\n".join(forecast_lines).encode() + b"\r\n")
    (folder / "autoscalati" / sounding_name).write_bytes("\r\n".join(sounding_lines).encode() + b"\r\n")
    options = ["--today", day.isoformat(), "--csv"]
    run_plotmuf(plotmuf, options, folder, str(folder), timeout=60)
    with open(folder / "web" / "plotMUF6.csv", newline="", encoding="ascii") as written:
        return list(csv.DictReader(written))


def station_faults(text, plotmuf, root, work):
    """What the README's tables of the station's files say that plotmuf does not draw."""
    found, checked = [], 0
    kinds_at, kinds_header, kinds = table(text, "first line begins with")
    when = DAY_TIME.search(kinds_header[-1])
    if not when:
        raise CheckError(f"README.md:{kinds_at}: no day and time (\"3 March 2024, 12:15 UT\") in {kinds_header[-1]!r}")
    day = datetime.date(int(when.group(3)), MONTHS.index(when.group(2)) + 1, int(when.group(1)))
    time = f"{day.isoformat()}T{when.group(4)}:{when.group(5)}:00Z"
    values_at, _, values = table(text, "line 4")
    if not kinds or not values:
        raise CheckError(f"README.md:{kinds_at}, {values_at}: a table of the station's files without rows")
    forecast_at, forecast_lines, forecast_values = forecast_sample(text)
    if not forecast_values:
        raise CheckError(f"README.md:{forecast_at}: the forecast shown is said to give no value")

    def sounding(start, line4):
        return [f"{start} sounder, first line", "line 2", "line 3", line4, "end"]

    def observed(rows, name):
        return [row["muf3000f2_mhz"] for row in rows
                if row["series"] == "observed" and row["time_utc"] == time and row["file"] == name]

    first_line4, first_value = code(values[0][1][0], values[0][0]), drawn_value(values[0][1][-1], values[0][0])
    for index, (number, cells) in enumerate(kinds):
        checked += 1
        start, name = code(cells[0], number), code(cells[-1], number)
        rows = draw_station(plotmuf, root, work / f"kind{index}", day, forecast_lines, name,
                            sounding(start, first_line4))
        if observed(rows, name) != [first_value]:
            found.append(f"README.md:{number}: a first line that begins {start!r} and a sounding {name} do not draw "
                         f"{first_value} MHz at {time}: the chart shows {observed(rows, name) or 'no such sounding'}")
        if index == 0:
            checked += 1
            forecast = {int(row["time_utc"][11:13]): row["muf3000f2_mhz"] for row in rows if row["series"] == "forecast"}
            for hour, value in forecast_values.items():
                if forecast.get(hour) != value:
                    found.append(f"README.md:{forecast_at}: the forecast shown does not give {value} MHz at {hour:02} "
                                 f"UT: the chart shows {forecast.get(hour)}")
    start, name = code(kinds[0][1][0], kinds[0][0]), code(kinds[0][1][-1], kinds[0][0])
    for index, (number, cells) in enumerate(values):
        checked += 1
        line4, field, value = code(cells[0], number), code(cells[1], number), drawn_value(cells[-1], number)
        if line4[15:19] != field:
            found.append(f"README.md:{number}: characters 16 to 19 of {line4!r} are {line4[15:19]!r}, not {field!r}")
        rows = draw_station(plotmuf, root, work / f"line{index}", day, forecast_lines, name, sounding(start, line4))
        if observed(rows, name) != [value]:
            found.append(f"README.md:{number}: a line 4 {line4!r} does not draw {value + ' MHz' if value else 'no value'}"
                         f" at {time}: the chart shows {observed(rows, name) or 'no such sounding'}")
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
            more, more_checked = station_faults((root / "README.md").read_text(encoding="utf-8"), plotmuf, root,
                                                pathlib.Path(work))
            found += more
            checked += more_checked
        except (CheckError, OSError, subprocess.TimeoutExpired) as error:
            print(f"check_examples: {error}", file=sys.stderr)
            return 2
    for fault in found:
        print(fault, file=sys.stderr)
    if found:
        print(f"check_examples: {len(found)} of {checked} lines, descriptions and station files not as plotmuf "
              f"writes them", file=sys.stderr)
        return 1
    print(f"check_examples: {checked} lines, descriptions and station files of README.md, each as plotmuf writes "
          f"them")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
