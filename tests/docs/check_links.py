#!/usr/bin/env python3
"""Checks the relative links of the project's Markdown files: README.md,
docs/*.md and bench/README.md.

Every link [text](path), [text](path#anchor) or [text](#anchor), picture
![alt](path) and reference definition [name]: path must lead to a file or
folder of the repository, and every anchor to a heading of the Markdown file
it names, as GitHub makes anchors of headings: the heading's text in lower
case, each blank written "-", every character but letters, digits, "-" and
"_" left out, and "-1", "-2" ... added to a repeated one. Links with a
scheme (http:, https:, mailto:) are not checked; links in code are no links.

Names in backticks must be in the tree too: a path of the repository's
folders (`tests/golden/`) or a source file's name (`files.cpp`, `run.sh`)
must be a file or folder there, and a function or variable name with an
underscore or "::" (`write_file_atomic`, `Form1::report`, `run()`) must be
a word of some source file (each part of a "::" name).

usage: tests/docs/check_links.py [ROOT]    (ROOT: the repository, by default
                                            the one that holds this script)
Prints each broken link with its file and line and exits 1 when there is one.
Python 3 standard library only.
"""

import functools
import pathlib
import re
import sys
import urllib.parse

LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*<?([^)\s>]*)>?(?:\s+(?:\"[^\"]*\"|'[^']*'))?\s*\)")
DEFINITION = re.compile(r"^ {0,3}\[[^\]]+\]:\s*<?([^\s>]+)>?")
HEADING = re.compile(r"^ {0,3}(#{1,6})(?:[ \t]+(.*?))?(?:[ \t]+#+)?[ \t]*$")
FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
CODE_SPAN = re.compile(r"(`+)(?:(?!\1).)+?\1")
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")
ONE_WORD_SPAN = re.compile(r"(?<!`)`([^`\s]+)`(?!`)")
IDENTIFIER = re.compile(r"[A-Za-z_]\w*(?:::~?[A-Za-z_]\w*)*(?:\(\))?")
PATH = re.compile(r"[\w.+-]+(?:/[\w.+-]+)*/?")
SOURCE_SUFFIXES = {".c", ".cpp", ".h", ".py", ".sh", ".cmake", ".in", ".cmd", ".yml", ".json", ".md", ".service",
                   ".timer"}


def prose_lines(text):
    """(line number, line) of each line outside fenced code blocks."""
    fence = None
    for number, line in enumerate(text.splitlines(), 1):
        opening = FENCE.match(line)
        if fence is None:
            if opening:
                fence = opening.group(1)
                continue
            yield number, line
        elif opening and opening.group(1)[0] == fence[0] and len(opening.group(1)) >= len(fence) and \
                line.strip() == opening.group(1):
            fence = None


def slug(heading):
    """GitHub's anchor of a heading's text (before any "-1" for repeats)."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link's text stays, its target goes
    text = text.lower()
    text = "".join(c for c in text if c.isalnum() or c in "-_ ")
    return text.replace(" ", "-")


@functools.cache
def anchors(path):
    """The anchors of the headings of Markdown file `path`."""
    found, seen = set(), {}
    for _, line in prose_lines(path.read_text(encoding="utf-8")):
        heading = HEADING.match(line)
        if not heading:
            continue
        base = slug(heading.group(2) or "")
        count = seen.get(base, 0)
        seen[base] = count + 1
        found.add(base if count == 0 else f"{base}-{count}")
    return frozenset(found)


def links(path):
    """(line number, target) of each link of Markdown file `path`."""
    for number, line in prose_lines(path.read_text(encoding="utf-8")):
        definition = DEFINITION.match(line)
        if definition:
            yield number, definition.group(1)
            continue
        for link in LINK.finditer(CODE_SPAN.sub("", line)):
            yield number, link.group(1)


def broken(root, source, target):
    """Why `target`, a link of Markdown file `source`, is broken; None if it is not."""
    if SCHEME.match(target):
        return None
    address, _, anchor = target.partition("#")
    address = urllib.parse.unquote(address)
    anchor = urllib.parse.unquote(anchor)
    if not address and not anchor:
        return "an empty link"
    if not address:
        destination = source
    else:
        # A leading "/" starts from the repository's root, as on GitHub.
        base = root if address.startswith("/") else source.parent
        destination = (base / address.lstrip("/")).resolve()
    if not destination.is_relative_to(root):
        return f"{address} is outside the repository"
    shown = destination.relative_to(root)
    if not destination.exists():
        return f"no file {shown}"
    if anchor:
        if destination.suffix.lower() != ".md" or not destination.is_file():
            return f"#{anchor}: {shown} is no Markdown file, whose headings make anchors"
        if anchor not in anchors(destination):
            return f"no heading #{anchor} in {shown}"
    return None


@functools.cache
def tree(root):
    """The repository's files and folders (relative paths), the words of its source files, and the starts
    of names that the build or a script makes with a variable (fuzz_ of "fuzz_${target}")."""
    paths, words, starts = set(), set(), set()
    for path in root.rglob("*"):
        relative = path.relative_to(root)
        if relative.parts[0].startswith((".git", "build")) or "node_modules" in relative.parts:
            continue
        paths.add(relative.as_posix())
        if path.is_file() and path.suffix != ".md" and (path.suffix in SOURCE_SUFFIXES or path.name == "CMakeLists.txt"
                                                        or relative.parts[0] == ".ci"):
            text = path.read_text(encoding="utf-8", errors="replace")
            words.update(re.findall(r"~?\w+", text))
            starts.update(re.findall(r"(\w+_)\$\{?\w", text))
    return frozenset(paths), frozenset(words), frozenset(starts)


def names(path):
    """(line number, name) of each one-word code span of Markdown file `path`."""
    for number, line in prose_lines(path.read_text(encoding="utf-8")):
        for span in ONE_WORD_SPAN.finditer(line):
            yield number, span.group(1)


def missing_name(root, name):
    """Why `name`, in backticks, names nothing in the tree; None if it does or is no name to check."""
    paths, words, starts = tree(root)
    top = {p for p in paths if "/" not in p}
    if PATH.fullmatch(name) and ("/" in name or pathlib.PurePosixPath(name).suffix in SOURCE_SUFFIXES):
        path = name.rstrip("/")
        if "/" in path and path.split("/")[0] not in top or "/" not in path and not path.endswith(tuple(SOURCE_SUFFIXES)):
            return None  # a path of a station's folders or the system's, not of the repository
        if path in paths or ("/" not in path and any(p.rsplit("/", 1)[-1] == path for p in paths)):
            return None
        return "no such file in the tree"
    if IDENTIFIER.fullmatch(name) and ("_" in name or "::" in name):
        parts = [part for part in name.removesuffix("()").split("::")]
        absent = [part for part in parts
                  if part not in words and not any(part.startswith(s) and part[len(s):] in words for s in starts)]
        return f"{', '.join(absent)} is in no source file" if absent else None
    return None


def main(argv):
    if len(argv) > 2:
        print("usage: tests/docs/check_links.py [ROOT]", file=sys.stderr)
        return 2
    root = pathlib.Path(argv[1] if len(argv) == 2 else pathlib.Path(__file__).parent / ".." / "..").resolve()
    files = [root / "README.md", *sorted((root / "docs").glob("*.md")), root / "bench" / "README.md"]
    failures = checked = 0
    for source in files:
        if not source.is_file():
            print(f"{source.relative_to(root)}: missing", file=sys.stderr)
            failures += 1
            continue
        for number, target in links(source):
            checked += 1
            reason = broken(root, source, target)
            if reason:
                print(f"{source.relative_to(root)}:{number}: ({target}): {reason}", file=sys.stderr)
                failures += 1
        for number, name in names(source):
            reason = missing_name(root, name)
            if reason:
                print(f"{source.relative_to(root)}:{number}: `{name}`: {reason}", file=sys.stderr)
                failures += 1
    if failures:
        print(f"check_links: {failures} broken link(s) or missing name(s)", file=sys.stderr)
        return 1
    print(f"check_links: {checked} links in {len(files)} files, none broken")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
