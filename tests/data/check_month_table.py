#!/usr/bin/python3
"""Checks the table of a month's page against the month's two CSV files.

    check_month_table.py PAGE HOURLY_CSV SUMMARY_CSV
        PAGE (yyyy-mm.html) is read with Python's html.parser and must hold
        one <table> with a <caption> and header cells (<th>) for its hours
        and its rows. Its rows must be, cell by cell: the header, "Day" and
        the hours 00 to 23; a row for each row of HOURLY_CSV (yyyy-mm-hourly.csv,
        read with the csv module), the day's number 1 to 31, then its 24
        values as the file has them; then Count, Median, Upper quartile, Lower
        quartile, Upper decile and Lower decile, each hour's as SUMMARY_CSV
        (yyyy-mm.csv) has them. Prints the number of cells compared. Exit
        status 0 when they are equal, 1 when not (one line for each fault).
"""

import csv
import html.parser
import sys

STATISTICS = [("Count", "count"), ("Median", "median_mhz"), ("Upper quartile", "upper_quartile_mhz"),
              ("Lower quartile", "lower_quartile_mhz"), ("Upper decile", "upper_decile_mhz"),
              ("Lower decile", "lower_decile_mhz")]


class Tables(html.parser.HTMLParser):
    """Every table of a page: its caption, and its rows as (tag, text) cells."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables = []
        self.cell = None  # the text of the open cell or caption

    def handle_starttag(self, tag, attributes):
        if tag == "table":
            self.tables.append({"caption": None, "rows": []})
        elif not self.tables:
            return
        elif tag == "tr":
            self.tables[-1]["rows"].append([])
        elif tag in ("td", "th", "caption"):
            self.cell = [tag, ""]

    def handle_endtag(self, tag):
        if self.cell is None or tag != self.cell[0]:
            return
        if tag == "caption":
            self.tables[-1]["caption"] = self.cell[1].strip()
        else:
            self.tables[-1]["rows"][-1].append((tag, self.cell[1].strip()))
        self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell[1] += data


def csv_rows(path):
    with open(path, newline="", encoding="ascii") as file:
        return list(csv.reader(file, strict=True))


def faults_of(page, hourly, summary):
    parser = Tables()
    with open(page, encoding="utf-8") as file:
        parser.feed(file.read())
    parser.close()
    if len(parser.tables) != 1:
        return [f"{len(parser.tables)} tables, not one"], 0
    table = parser.tables[0]
    faults = []
    if not table["caption"]:
        faults.append("no caption")

    hours = [f"{h:02d}" for h in range(24)]
    expected = [[("th", "Day")] + [("th", h) for h in hours]]
    days, statistics = csv_rows(hourly), csv_rows(summary)
    if days[0] != ["date"] + hours:
        faults.append(f"{hourly}: header {days[0]}")
    for number, row in enumerate(days[1:], 1):
        if not row[0].endswith(f"-{number:02d}"):
            faults.append(f"{hourly}: row {number} is {row[0]}")
        expected.append([("th", str(number))] + [("td", value) for value in row[1:]])
    header = statistics[0]
    by_hour = {row[0]: row for row in statistics[1:]}
    for name, column in STATISTICS:
        index = header.index(column)
        expected.append([("th", name)] + [("td", by_hour[h][index]) for h in hours])

    rows = table["rows"]
    if len(rows) != len(expected):
        faults.append(f"{len(rows)} rows, not {len(expected)}")
    cells = 0
    for number, (row, wanted) in enumerate(zip(rows, expected)):
        if len(row) != len(wanted):
            faults.append(f"row {number} ({wanted[0][1]}): {len(row)} cells, not {len(wanted)}")
            continue
        for column, (cell, want) in enumerate(zip(row, wanted)):
            cells += 1
            if cell != want:
                faults.append(f"row {number} ({wanted[0][1]}), column {column}: <{cell[0]}>{cell[1]!r}, "
                              f"not <{want[0]}>{want[1]!r}")
    return faults, cells


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    faults, cells = faults_of(*sys.argv[1:])
    for fault in faults[:20]:
        print(f"FAIL {fault}")
    print(f"{cells} cells compared")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
