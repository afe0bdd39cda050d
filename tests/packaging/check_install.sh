#!/usr/bin/env bash
# `cmake --install` of a Linux build, with --prefix and with DESTDIR: the
# exact files of tests/packaging/expected_files.sh with their modes, units
# that start the program where it was installed and pass systemd-analyze
# verify, a manual page that `man` finds, and a README that links and names
# only files installed beside it (check_installed_readme.py). The example
# station installed is the repository's: before installing, the build's
# plotmuf is run in the source tree's example/ with every option that
# writes a file (example_runs.sh), and none of what it wrote may be
# installed, nor shown by `git status`.
#
# usage: tests/packaging/check_install.sh BUILD_FOLDER    (a release build)
# needs: cmake, systemd (systemd-analyze), man-db, git. Any user; leaves
# nothing, and the source tree's example/ as the repository holds it (what
# runs left there is removed).
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_FOLDER" >&2
    exit 2
fi
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/packaging/expected_files.sh
source "$here/expected_files.sh"
# shellcheck source=tests/packaging/units.sh
source "$here/units.sh"
# shellcheck source=tests/packaging/example_runs.sh
source "$here/example_runs.sh"
# The tree the build installs from.
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")

work=$(mktemp -d "${TMPDIR:-/tmp}/plotmuf-install.XXXXXX")
trap 'rm -rf "$work"; clean_example_outputs "$source_dir"' EXIT
umask 022

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# check_tree ROOT PREFIX: the tree installed in ROOT for the install prefix
# PREFIX, where its units must start the program; ROOT is either PREFIX
# itself (--prefix) or a DESTDIR, which holds PREFIX below it.
check_tree() {
    local root=$1 prefix=$2 below
    below=$([ "$root" = "$prefix" ] && echo "" || echo "${prefix#/}")
    local top=$root${below:+/$below}
    diff <(expected_files "$below") <(list_tree "$root") >"$work/diff" ||
        fail "$root: not the expected files (< expected, > installed):
$(cat "$work/diff")"
    python3 "$here/check_installed_readme.py" "$top/share/doc/plotmuf" "$source_dir" >"$work/readme" 2>&1 ||
        fail "$root: the installed README: $(cat "$work/readme")"
    grep -q '@[A-Z_]*@' "$top"/lib/systemd/system/plotmuf@.* && fail "$root: a placeholder is left in a unit"
    grep -qx "ExecStart=$prefix/bin/plotmuf --verbose" "$top/lib/systemd/system/plotmuf@.service" ||
        fail "$root: plotmuf@.service does not start $prefix/bin/plotmuf"
    [ "$(MANPATH="$top/share/man" man -w plotmuf 2>&1)" = "$top/share/man/man1/plotmuf.1.gz" ] ||
        fail "$root: man does not find the manual page"
}

# 0. The example station after an operator's runs in it.
run_example_outputs "$source_dir" "$build/plotmuf" || fail "runs in the example station"

# 1. --prefix: the units start the program in the prefix, and systemd
# accepts them as they are.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_tree "$work/prefix" "$work/prefix"
verify_units "$work/prefix/lib/systemd/system" "$work/prefix/share/man" || fail "--prefix: systemd-analyze verify"

# 2. DESTDIR: the build's own prefix below DESTDIR, and units that start the
# program where it will be once the tree is copied to /.
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
DESTDIR="$work/destdir" cmake --install "$build" >/dev/null
check_tree "$work/destdir" "$prefix"

if [ "$failures" -ne 0 ]; then
    echo "$failures install check(s) failed" >&2
    exit 1
fi
echo "cmake --install: all checks passed"
