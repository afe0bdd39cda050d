#!/usr/bin/python3
"""Reads a CSV file as RFC 4180 wants it, with Python's csv module.

    csv_rows.py FILE
        FILE must be ASCII, every line ended by CR LF, and every row as long
        as the header. Prints each row, the header first, its fields joined
        by tabs, one row a line. Exit status 0 when it reads so, 1 when not.
"""

import csv
import io
import sys


def main():
    with open(sys.argv[1], "rb") as file:
        raw = file.read()
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError as error:
        print(f"not ASCII: {error}", file=sys.stderr)
        return 1
    if not text.endswith("\r\n") or text.replace("\r\n", "").count("\n") or text.replace("\r\n", "").count("\r"):
        print("not every line ends with CR LF", file=sys.stderr)
        return 1
    rows = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    for row in rows:
        if len(row) != len(rows[0]):
            print(f"a row of {len(row)} fields under a header of {len(rows[0])}: {row}", file=sys.stderr)
            return 1
        print("\t".join(row))
    return 0


if __name__ == "__main__":
    sys.exit(main())
