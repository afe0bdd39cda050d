#!/usr/bin/python3
"""Checks a chart's CSV against the chart beside it.

    check_csv.py NAME.csv...
        Each NAME.csv is read with Python's csv module as RFC 4180 wants it
        (a header line, CRLF line ends, ASCII, four fields a row) and every
        row is looked for in the chart NAME.gif beside it, decoded by Pillow:
        a forecast row's white dot, an observed row's red dot, a row without
        value's green tick, each where the row's time and value put it. The
        rows are in time order, the forecast first at the same time. Prints
        the rows of each file as JSON, one list per file. Exit status 0 when
        every file passes, 1 when one fails, 2 when the check could not be
        made.

Needs Debian's python3-pil; run with /usr/bin/python3.
"""

import csv
import io
import json
import math
import re
import struct
import sys

HEADER = ["time_utc", "series", "muf3000f2_mhz", "file"]
WHITE, RED, GREEN = (255, 255, 255), (255, 0, 0), (0, 255, 0)
TIME = re.compile(r"(\d{4}-\d{2}-\d{2})T(\d{2}):(\d{2}):00Z")
VALUE = re.compile(r"-?\d+\.\d")


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


# Where the surface puts a chart position (x in tenths of an hour, y in
# tenths of MHz), as its single-precision arithmetic does.
def column(x):
    return math.floor(f32(f32(x + 35) + 0.5))


def row(y):
    scale = f32(221 / f32(-681))
    return math.floor(f32(f32(f32(f32(y) - 600) * scale) + 0.5))


def faults_of(path):
    from PIL import Image
    with open(path, "rb") as file:
        raw = file.read()
    faults = []
    if any(byte > 0x7E or (byte < 0x20 and byte not in (0x0D, 0x0A)) for byte in raw):
        faults.append("not printable ASCII")
    if raw.replace(b"\r\n", b"").count(b"\n") or raw.replace(b"\r\n", b"").count(b"\r"):
        faults.append("a line end that is not CR LF")
    if not raw.endswith(b"\r\n"):
        faults.append("no CR LF after the last line")
    rows = list(csv.reader(io.StringIO(raw.decode("ascii", errors="replace"), newline=""), strict=True))
    if not rows or rows[0] != HEADER:
        return faults + [f"header {rows[:1]}, not {HEADER}"], []
    rows = rows[1:]

    image = Image.open(path[:-4] + ".gif").convert("RGB")
    width, height = image.size
    pixel = image.load()

    def colour_at(c, r):
        return pixel[c, r] if 0 <= c < width and 0 <= r < height else None

    keys = []
    observed_minutes = {int(t[11:13]) * 60 + int(t[14:16]) for t, s, *_ in rows if s == "observed" and TIME.fullmatch(t)}
    for number, fields in enumerate(rows, start=2):
        where = f"line {number}"
        if len(fields) != 4:
            faults.append(f"{where}: {len(fields)} fields")
            continue
        time, series, value, name = fields
        match = TIME.fullmatch(time)
        if not match or series not in ("forecast", "observed") or not name:
            faults.append(f"{where}: not a row of a chart: {fields}")
            continue
        if value and not VALUE.fullmatch(value) or (series == "forecast" and not value):
            faults.append(f"{where}: value {value!r}")
            continue
        hour, minute = int(match.group(2)), int(match.group(3))
        keys.append((hour * 60 + minute, series != "forecast"))
        if series == "forecast":
            # A forecast dot that a sounding of the same hour covers is red.
            if minute != 0:
                faults.append(f"{where}: a forecast that is not on the hour")
            x, y = 10 * hour, round(float(value) * 10)
            wanted = {WHITE} | ({RED, GREEN} if hour * 60 in observed_minutes else set())
        elif value:
            x, y = 10 * hour + (minute + 2) // 6, round(float(value) * 10)
            wanted = {RED, GREEN}  # a tick drawn later may cross a dot
        else:
            x, y = 10 * hour + (minute + 2) // 6, None
            wanted = {GREEN}
        c = column(x)
        if y is None:
            found = {colour_at(c, r) for r in range(row(73), row(52) + 1)}
            if GREEN not in found:
                faults.append(f"{where}: no green tick at column {c}")
        elif 0 <= row(y) < height and 0 <= c < width:
            if colour_at(c, row(y)) not in wanted:
                faults.append(f"{where}: the chart has {colour_at(c, row(y))} at column {c}, row {row(y)}")
    if keys != sorted(keys):
        faults.append("rows not in time order, the forecast first")
    return faults, rows


def main():
    paths = sys.argv[1:]
    if not paths:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    failed = 0
    try:
        for path in paths:
            faults, rows = faults_of(path)
            for fault in faults:
                print(f"FAIL {path}: {fault}", file=sys.stderr)
            failed += bool(faults)
            print(json.dumps(rows))
    except (OSError, ImportError, csv.Error) as error:
        print(f"check_csv: {error}", file=sys.stderr)
        return 2
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
