#!/usr/bin/env bash
# The list of the example station's files that an install holds,
# packaging/example-files.txt, is the repository's own: `git ls-files
# example`, line for line. A source tree that is no git checkout (a
# tarball) has only the list: the check is skipped (status 77).
#
# usage: tests/packaging/check_example_files.sh SOURCE_DIR
# needs: git.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 SOURCE_DIR" >&2
    exit 2
fi
source_dir=$(realpath "$1")
top=$(git -C "$source_dir" rev-parse --show-toplevel 2>/dev/null) || top=
if [ "$top" != "$source_dir" ]; then
    echo "$source_dir is no git checkout: nothing to compare packaging/example-files.txt with"
    exit 77
fi
if ! diff <(git -C "$source_dir" ls-files example) "$source_dir/packaging/example-files.txt"; then
    echo "FAIL: packaging/example-files.txt is not \`git ls-files example\` (< git, > the list):" \
        "write it again with \`git ls-files example >packaging/example-files.txt\`" >&2
    exit 1
fi
echo "packaging/example-files.txt: the $(wc -l <"$source_dir/packaging/example-files.txt") files of git ls-files example"
