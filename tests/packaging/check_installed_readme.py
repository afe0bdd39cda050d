#!/usr/bin/env python3
"""Checks the README as an install or a package holds it, in DOC_FOLDER:

- each of its links leads to a file installed beside it, or to one of its
  own headings (tests/docs/check_links.py's rules);
- each name of a file of the repository that it gives, in prose or code (a
  path whose first part is a folder of SOURCE_DIR, docs/windows.md, or the
  name of a file at SOURCE_DIR's top, LICENSE), is a file or folder of
  DOC_FOLDER: the README names no file that is not installed, nor one by its
  name in the repository where the install gives it another;
- with PACKAGE_ROOT, the folder a package was unpacked to, each path below
  /usr/ that names plotmuf (/usr/bin/plotmuf, /usr/share/doc/plotmuf/...)
  is one of the package's; those below /usr/local/ are a plain install's.

usage: tests/packaging/check_installed_readme.py DOC_FOLDER SOURCE_DIR [PACKAGE_ROOT]
Prints each fault with the README's line and exits 1 when there is one.
"""

import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "docs"))
import check_links  # noqa: E402

REPOSITORY_PATH = re.compile(r"(?<![\w./~@$-])([\w.+-]+(?:/[\w.+-]*)*)")
SYSTEM_PATH = re.compile(r"(?<![\w./~@$-])(/usr/[\w.@+/-]*)")


def faults(doc, source, package_root):
    readme = doc / "README.md"
    found = [f"README.md:{number}: ({target}): {why}" for number, target in check_links.links(readme)
             if (why := check_links.broken(doc, readme, target))]
    top = [entry for entry in source.iterdir() if not entry.name.startswith(("build", ".git"))]
    folders = {entry.name for entry in top if entry.is_dir()}
    files = {entry.name for entry in top if entry.is_file()}
    for number, line in enumerate(readme.read_text(encoding="utf-8").splitlines(), 1):
        for match in REPOSITORY_PATH.finditer(line):
            name = match.group(1).rstrip(".")
            named = name.split("/")[0] in folders if "/" in name else name in files
            if named and not (doc / name.rstrip("/")).exists():
                found.append(f"README.md:{number}: {name}: no such file installed beside the README")
        if package_root is None:
            continue
        for match in SYSTEM_PATH.finditer(line):
            path = match.group(1).rstrip(".")
            if "plotmuf" in path and not path.startswith("/usr/local/") and \
                    not (package_root / path.lstrip("/").rstrip("/")).exists():
                found.append(f"README.md:{number}: {path}: not in the package")
    return found


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    doc, source = pathlib.Path(argv[1]).resolve(), pathlib.Path(argv[2]).resolve()
    package_root = pathlib.Path(argv[3]).resolve() if len(argv) == 4 else None
    found = faults(doc, source, package_root)
    for fault in found:
        print(fault, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
