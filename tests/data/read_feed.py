#!/usr/bin/env python3
"""Reads a feed that plotmuf --feed wrote (latest.json) as a dashboard
would: Python's json, then the feed's JSON Schema (draft 2020-12, formats
checked) with python3-jsonschema. Prints one line per field, its name, a
tab and its value as JSON ("station.name", "station.code", then the other
fields in the file's order); exits 1 with the faults when the file is no
JSON, breaks the schema, writes a number in other than one decimal or
writes -0.0.

usage: tests/data/read_feed.py FEED SCHEMA
"""

import json
import re
import sys

import jsonschema


def refuse(constant):
    raise ValueError(f"not JSON: {constant}")


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
        feed = json.loads(text, parse_constant=refuse)
    except ValueError as error:
        print(f"{argv[1]}: {error}", file=sys.stderr)
        return 1
    with open(argv[2], encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft202012Validator(schema, format_checker=jsonschema.Draft202012Validator.FORMAT_CHECKER)
    faults = [f"{'/'.join(map(str, e.absolute_path))}: {e.message}" for e in validator.iter_errors(feed)]
    for name in ("mufd", "forecast_mhz", "departure_percent"):
        written = re.search(rf'"{name}": ([^,\n]*)', text)
        if written and written.group(1) != "null" and not re.fullmatch(r"-?[0-9]+\.[0-9]", written.group(1)):
            faults.append(f"{name}: {written.group(1)} is not written with one decimal")
        if written and written.group(1) == "-0.0":
            faults.append(f"{name}: -0.0")
    if faults:
        print("\n".join(f"{argv[1]}: {fault}" for fault in faults), file=sys.stderr)
        return 1
    for key, value in feed.items():
        if key == "station" and isinstance(value, dict):
            for part, v in value.items():
                print(f"station.{part}\t{json.dumps(v, ensure_ascii=False)}")
        else:
            print(f"{key}\t{json.dumps(value, ensure_ascii=False)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
