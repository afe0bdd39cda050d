#!/usr/bin/env python3
"""tests/docs/check_links.py on a repository of its own: each link of the
table below is written into one of its Markdown files, and the checker must
pass the good ones and name each broken one with its file and line."""

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


def repository(folder, extra_file=None, extra_line=None):
    files = {
        "README.md": "# Top heading\n\nText.\n",
        "docs/guide.md": GUIDE,
        "bench/README.md": "# Bench\n",
        "LICENSE": "MIT\n",
        "docs/picture.png": "",
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
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        return 1
    print("check_links_test: every link judged right")
    return 0


if __name__ == "__main__":
    sys.exit(main())
