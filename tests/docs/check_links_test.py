#!/usr/bin/env python3
"""tests/docs/check_links.py on a repository of its own: each link of the
table below is written into one of its Markdown files, and the checker must
pass the good ones and name each broken one with its file and line; and
so for the names in backticks, against a small tree of source files."""

import pathlib
import subprocess
import sys
import tempfile

CHECKER = pathlib.Path(__file__).with_name("check_links.py")

GUIDE = """# Guide

## Options and exit status

## The `--archive` range

## Repeated

## Repeated

```
## Not a heading
[a link in code](missing.md)
```
"""

# (file the link is written in, the line, what the checker says of it:
# None for a good link, else the start of its reason)
CASES = [
    ("README.md", "[guide](docs/guide.md)", None),
    ("README.md", "[options](docs/guide.md#options-and-exit-status)", None),
    ("README.md", "[range](docs/guide.md#the---archive-range)", None),
    ("README.md", "[the second](docs/guide.md#repeated-1)", None),
    ("README.md", "[here](#top-heading)", None),
    ("README.md", "![picture](docs/picture.png)", None),
    ("README.md", "[folder](docs/)", None),
    ("README.md", "[web](https://example.org/nothing#none) [mail](mailto:a@example.org)", None),
    ("README.md", "`[in code](missing.md)`", None),
    ("README.md", "[defined]: docs/guide.md#guide", None),
    ("docs/guide.md", "[back](../README.md#top-heading) [itself](#guide) [from the root](/LICENSE)", None),
    ("README.md", "[missing](missing.md)", "no file missing.md"),
    ("README.md", "![picture](docs/missing.png)", "no file docs/missing.png"),
    ("README.md", "[anchor](docs/guide.md#nothing)", "no heading #nothing in docs/guide.md"),
    ("README.md", "[code](docs/guide.md#not-a-heading)", "no heading #not-a-heading"),
    ("README.md", "[third](docs/guide.md#repeated-2)", "no heading #repeated-2"),
    ("README.md", "[capital](#Top-heading)", "no heading #Top-heading in README.md"),
    ("README.md", "[picture's anchor](docs/picture.png#top)", "#top: docs/picture.png is no Markdown file"),
    ("README.md", "[outside](../outside.md)", "../outside.md is outside the repository"),
    ("README.md", "[gone]: docs/gone.md", "no file docs/gone.md"),
    ("docs/guide.md", "[not from here](docs/guide.md)", "no file docs/docs/guide.md"),
]

# Names in backticks (file, the line, the name, what the checker says: None
# for a name in the tree or no name to check, else its reason).
NAME_CASES = [
    ("README.md", "`write_chart` and `Form1::report()` and `app/run.cpp` and `run.cpp`", None),
    ("README.md", "`docs/` and `fuzz_bmp`, made as fuzz_${target}", None),
    ("README.md", "`--csv`, `plotMUF<n>.gif`, `FIGURES/plotMUF6.gif`, `yyyy-mm.html`, `quarter/`, `cmake`", None),
    ("README.md", "```write_file_durable``` in a span of three", None),
    ("docs/guide.md", "`write_file_durable`", "write_file_durable is in no source file"),
    ("README.md", "`Form1::write_file_durable`", "write_file_durable is in no source file"),
    ("README.md", "`app/gone.cpp`", "no such file in the tree"),
    ("README.md", "`gone.h`", "no such file in the tree"),
    ("README.md", "`docs/gone/`", "no such file in the tree"),
]


def repository(folder, extra_file=None, extra_line=None):
    files = {
        "README.md": "# Top heading\n\nText.\n",
        "docs/guide.md": GUIDE,
        "bench/README.md": "# Bench\n",
        "LICENSE": "MIT\n",
        "docs/picture.png": "",
        "app/run.cpp": "// run_test.cpp\nstruct Form1 { void report(); };\nvoid write_chart();\n",
        "fuzz/CMakeLists.txt": "foreach(target bmp)\n  add_executable(fuzz_${target} ${target}_fuzz.cpp)\nendforeach()\n",
    }
    if extra_file:
        files[extra_file] += "\n" + extra_line + "\n"
    for name, text in files.items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        (folder / name).write_text(text, encoding="utf-8")
    return len(files[extra_file].splitlines()) if extra_file else 0


def check(folder):
    return subprocess.run([sys.executable, str(CHECKER), str(folder)], capture_output=True, text=True)


def main():
    failures = []
    for file, line, reason in CASES:
        with tempfile.TemporaryDirectory() as temp:
            folder = pathlib.Path(temp) / "repository"
            number = repository(folder, file, line)
            run = check(folder)
            if reason is None:
                if run.returncode != 0:
                    failures.append(f"{file}: {line}: passed over as broken: {run.stderr.strip()}")
                continue
            target = line[line.index("](") + 2:-1] if "](" in line else line.split(": ", 1)[1]
            expected = f"{file}:{number}: ({target}): {reason}"
            if run.returncode != 1 or expected not in run.stderr:
                failures.append(f"{file}: {line}: status {run.returncode}, not '{expected}' but: {run.stderr.strip()}")
    for file, line, reason in NAME_CASES:
        with tempfile.TemporaryDirectory() as temp:
            folder = pathlib.Path(temp) / "repository"
            number = repository(folder, file, line)
            run = check(folder)
            if reason is None:
                if run.returncode != 0:
                    failures.append(f"{file}: {line}: passed over as missing: {run.stderr.strip()}")
                continue
            expected = f"{file}:{number}: {line}: {reason}"
            if run.returncode != 1 or expected not in run.stderr:
                failures.append(f"{file}: {line}: status {run.returncode}, not '{expected}' but: {run.stderr.strip()}")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        return 1
    print("check_links_test: every link and name judged right")
    return 0


if __name__ == "__main__":
    sys.exit(main())
