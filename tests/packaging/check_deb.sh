#!/usr/bin/env bash
# The Debian package, built by CPack from a clean release build of this
# source tree in a temporary folder (the "release" preset), after that
# build's plotmuf ran in the tree's example/ with every option that writes
# a file (example_runs.sh; none of it may be packaged), then checked:
# lintian reports no error and no warning; the control fields; the exact
# files of tests/packaging/expected_files.sh with their modes and owner;
# a stripped binary, and no file naming the build or source folder; the
# changelog's version, the copyright file's font notice, gzip files
# without name or date; the manual page through mandoc's and groff's
# checks, with every option of --help documented; both units through
# systemd-analyze verify; the README as installed naming only the
# package's files; and the packaged binary, run on a copy of the
# example station, writing the twelve GIF files of the build's own binary.
#
# usage: tests/packaging/check_deb.sh [--install] [OUTPUT_FOLDER]
#   --install        also install the package, check it in place (man, the
#                    units, a run) and remove it again. Root only. With
#                    apt-get on the machine, as an operator installs it;
#                    where plotmuf is installed already, with dpkg in a
#                    root of its own instead, so that the machine's
#                    installation is left as it was found.
#   OUTPUT_FOLDER    where to leave the package; by default it is deleted.
# needs: cmake, g++, dpkg-dev (dpkg-shlibdeps), lintian, mandoc, groff,
# man-db, systemd (systemd-analyze), binutils (readelf), git. Leaves the
# source tree's example/ as the repository holds it (what runs left there
# is removed).
#
# "check && check || fail" means "fail unless both hold".
# shellcheck disable=SC2015
set -euo pipefail

install=no
if [ "${1:-}" = --install ]; then
    install=yes
    shift
fi
if [ $# -gt 1 ]; then
    echo "usage: $0 [--install] [OUTPUT_FOLDER]" >&2
    exit 2
fi
output=${1:+$(realpath "$1")}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
# shellcheck source=tests/packaging/expected_files.sh
source "$here/expected_files.sh"
# shellcheck source=tests/packaging/units.sh
source "$here/units.sh"
# shellcheck source=tests/packaging/example_runs.sh
source "$here/example_runs.sh"

if [ "$install" = yes ]; then
    [ "$(id -u)" -eq 0 ] || { echo "$0: --install needs root" >&2; exit 2; }
fi
is_installed() { dpkg-query "$@" -W -f '${Status}' plotmuf 2>/dev/null | grep -q ' installed$'; }

work=$(mktemp -d "${TMPDIR:-/tmp}/plotmuf-deb.XXXXXX")
installed=no
cleanup() {
    [ "$installed" = yes ] && apt-get purge -y -qq plotmuf >/dev/null 2>&1
    rm -rf "$work"
    clean_example_outputs "$source_dir"
}
trap cleanup EXIT
umask 022

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

start=$SECONDS
build=$work/build
(cd "$source_dir" && cmake --preset release -B "$build" >/dev/null)
cmake --build "$build" -j2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; echo "FAIL: building" >&2; exit 1; }
run_example_outputs "$source_dir" "$build/plotmuf" || fail "runs in the example station"
(cd "$build" && cpack -G DEB -B "$work/package") >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; echo "FAIL: building the package" >&2; exit 1; }
clean_example_outputs "$source_dir"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$work/package/plotmuf_${version}_amd64.deb
[ -f "$deb" ] || { echo "FAIL: no $deb; cpack made: $(ls "$work/package")" >&2; exit 1; }
echo "Package built from a clean folder in $((SECONDS - start)) s: $(basename "$deb")"
[ -z "$output" ] || cp "$deb" "$output/"

# Lintian: nothing at error or warning level (overrides, each with its
# reason, are in packaging/lintian-overrides).
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
    fail "lintian: $(grep -v 'running with root privileges' "$work/lintian")"

# The control fields. Only the C library is a dependency: the C++ runtime
# is linked in.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = plotmuf ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[[ "$(field Depends)" =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "Depends: $(field Depends)"
[ "$(field Section)" = science ] || fail "Section: $(field Section)"
[ "$(field Priority)" = optional ] || fail "Priority: $(field Priority)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
description=$(field Description)
[ "$(echo "$description" | head -1)" = "MUF(3000)F2 charts of an ionospheric sounding station" ] ||
    fail "Description's synopsis: $(echo "$description" | head -1)"
[ "$(echo "$description" | wc -l)" -ge 3 ] || fail "Description: no long text"

# The files, their modes and owner.
list_deb "$deb" >"$work/listing" || fail "a file not owned by root/root"
diff <(expected_files usr debian) "$work/listing" >"$work/diff" ||
    fail "not the expected files (< expected, > in the package):
$(cat "$work/diff")"

tree=$work/tree
dpkg-deb -x "$deb" "$tree"
doc=$tree/usr/share/doc/plotmuf

# The README as installed: each of its links leads to a file installed
# beside it, or to one of its own headings; each file of the repository it
# names is installed beside it under that name, and each /usr/ path it
# names is the package's.
python3 "$here/check_installed_readme.py" "$doc" "$source_dir" "$tree" >"$work/readme" 2>&1 ||
    fail "the installed README: $(cat "$work/readme")"

# A stripped binary, and no build or source folder named in any file.
readelf -S "$tree/usr/bin/plotmuf" | grep -Eq '\.symtab|\.debug_' && fail "usr/bin/plotmuf is not stripped"
for folder in "$build" "$source_dir"; do
    grep -rlF "$folder" "$tree" >"$work/paths" && fail "files naming $folder: $(cat "$work/paths")"
done

# The changelog of this version; the font's whole notice in the copyright
# file, as a license text: each line indented, empty lines written " .".
[ "$(zcat "$doc/changelog.gz" | head -1)" = "plotmuf ($version) unstable; urgency=medium" ] ||
    fail "changelog.gz: first line '$(zcat "$doc/changelog.gz" | head -1)', package version $version"
sed 's/^$/./; s/^/ /' "$source_dir/canvas/FONT-NOTICE" >"$work/notice"
grep -qzF -- "$(cat "$work/notice")" "$doc/copyright" || fail "copyright: not the whole of canvas/FONT-NOTICE"
head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright: not machine-readable"
cmp -s "$doc/FONT-NOTICE" "$source_dir/canvas/FONT-NOTICE" || fail "FONT-NOTICE differs from canvas/FONT-NOTICE"
for gz in "$doc/changelog.gz" "$tree/usr/share/man/man1/plotmuf.1.gz"; do
    # Bytes 4-7: the date; flag 0x08: a file name.
    [ "$(od -An -tu4 -j4 -N4 "$gz" | tr -d ' ')" = 0 ] && [ $(($(od -An -tu1 -j3 -N1 "$gz") & 8)) -eq 0 ] ||
        fail "$gz records a name or a date"
done

# The manual page: clean for mandoc and groff, and every option the
# program's --help names is an item of its OPTIONS (a tag after .TP or .TQ).
man_page=$work/plotmuf.1
zcat "$tree/usr/share/man/man1/plotmuf.1.gz" >"$man_page"
cmp -s "$man_page" "$source_dir/packaging/plotmuf.1" || fail "the packaged manual page is not packaging/plotmuf.1"
mandoc -T lint -W warning "$man_page" >"$work/mandoc" 2>&1 || fail "mandoc: $(cat "$work/mandoc")"
groff -ww -z -man "$man_page" >"$work/groff" 2>&1 && [ ! -s "$work/groff" ] || fail "groff: $(cat "$work/groff")"
awk '/^\.SH/ { options = $2 == "OPTIONS" } options && tag { print } { tag = $1 == ".TP" || $1 == ".TQ" }' "$man_page" |
    sed 's/\\-/-/g' >"$work/tags"
for option in $("$tree/usr/bin/plotmuf" --help | grep -oE -- '--[a-z-]+' | sort -u); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$work/tags" || fail "plotmuf.1 has no item for $option"
done

# verify_units_below ROOT UNITS: the units of the package unpacked or
# installed below ROOT verified as they are, but for the program's path,
# ROOT's /usr/bin/plotmuf (verify wants to find it), in a copy in UNITS.
verify_units_below() {
    local root=$1 units=$2
    mkdir "$units"
    cp "$root"/usr/lib/systemd/system/plotmuf@.timer "$units/"
    sed "s|^ExecStart=/usr/bin/plotmuf |ExecStart=$root/usr/bin/plotmuf |" \
        "$root/usr/lib/systemd/system/plotmuf@.service" >"$units/plotmuf@.service"
    [ "$(diff "$root/usr/lib/systemd/system/plotmuf@.service" "$units/plotmuf@.service" | grep -c '^>')" -eq 1 ] ||
        { echo "plotmuf@.service: no single line ExecStart=/usr/bin/plotmuf ..." >&2; return 1; }
    verify_units "$units" "$root/usr/share/man"
}
verify_units_below "$tree" "$work/units" || fail "systemd-analyze verify of the packaged units"

# run_example PLOTMUF FOLDER: PLOTMUF run on a fresh copy of the example
# station in FOLDER, for the date the example has data for; it must write
# the twelve GIF files and end with status 0.
run_example() {
    cp -r "$source_dir/example" "$2"
    find "$2" \( -name '*.gif' -o -name '*.bmp' \) -delete
    (cd "$2" && "$1" --today 2024-03-03 --verbose) || fail "$1 in $2: status $?"
}
charts() { (cd "$1" && find . -name '*.gif' | sort); }
same_charts() {
    [ "$(charts "$1" | wc -l)" -eq 12 ] || fail "$1: $(charts "$1" | wc -l) GIF files, not 12"
    [ "$(charts "$1")" = "$(charts "$2")" ] || fail "$1 and $2: not the same GIF files"
    local file
    for file in $(charts "$1"); do
        cmp -s "$1/$file" "$2/$file" || fail "$1/$file differs from $2/$file"
    done
}
run_example "$build/plotmuf" "$work/reference"
run_example "$tree/usr/bin/plotmuf" "$work/packaged"
same_charts "$work/packaged" "$work/reference"

if [ "$install" = yes ] && ! is_installed; then
    # Installed the way an operator does it, checked in place, removed.
    apt-get install -y -qq "$deb" >"$work/apt" 2>&1 || fail "apt-get install: $(cat "$work/apt")"
    installed=yes
    [ "$(man -w plotmuf 2>&1)" = /usr/share/man/man1/plotmuf.1.gz ] || fail "man -w plotmuf: $(man -w plotmuf 2>&1)"
    [ "$(command -v plotmuf)" = /usr/bin/plotmuf ] || fail "plotmuf is not /usr/bin/plotmuf on the PATH"
    diff <(expected_files usr debian | awk '{ print "/" $2 }') <(dpkg -L plotmuf | grep -vx '/\.' | sort) >"$work/diff" ||
        fail "dpkg -L plotmuf: $(cat "$work/diff")"
    verify_units || fail "systemd-analyze verify of the installed units"
    cp -r /usr/share/doc/plotmuf/example "$work/installed"
    (cd "$work/installed" && plotmuf --today 2024-03-03 --verbose) || fail "the installed plotmuf: status $?"
    same_charts "$work/installed" "$work/reference"
    apt-get remove -y -qq plotmuf >"$work/apt" 2>&1 || fail "apt-get remove: $(cat "$work/apt")"
    installed=no
    for file in /usr/bin/plotmuf /usr/lib/systemd/system/plotmuf@.service /usr/share/man/man1/plotmuf.1.gz; do
        [ ! -e "$file" ] || fail "$file is left after apt-get remove"
    done
    ! is_installed || fail "still installed after apt-get remove"
    echo "Installed with apt-get, checked in place and removed"
elif [ "$install" = yes ]; then
    # An operator's machine, where plotmuf is installed already: the package
    # goes into a root of its own with a dpkg database of its own (its one
    # dependency, the C library, is the machine's), is checked there and
    # purged again; the machine's plotmuf is not touched.
    echo "plotmuf $(dpkg-query -W -f '${Version}' plotmuf) is installed on this machine and stays so:" \
        "the package is installed, checked and purged in a root of its own instead"
    root=$work/root
    admin=$root/var/lib/dpkg
    mkdir -p "$admin/info" "$admin/updates"
    touch "$admin/status" "$admin/available"
    in_root=(--root="$root" --log=/dev/null)
    dpkg "${in_root[@]}" --force-depends -i "$deb" >"$work/dpkg" 2>&1 || fail "dpkg --root -i: $(cat "$work/dpkg")"
    is_installed --admindir="$admin" || fail "not installed in $root"
    [ "$(MANPATH="$root/usr/share/man" man -w plotmuf 2>&1)" = "$root/usr/share/man/man1/plotmuf.1.gz" ] ||
        fail "man -w plotmuf: $(MANPATH="$root/usr/share/man" man -w plotmuf 2>&1)"
    diff <(expected_files usr debian | awk '{ print "/" $2 }') \
        <(dpkg "${in_root[@]}" -L plotmuf | grep -vx '/\.' | sort) >"$work/diff" ||
        fail "dpkg --root -L plotmuf: $(cat "$work/diff")"
    verify_units_below "$root" "$work/installed-units" || fail "systemd-analyze verify of the installed units"
    cp -r "$root/usr/share/doc/plotmuf/example" "$work/installed"
    (cd "$work/installed" && "$root/usr/bin/plotmuf" --today 2024-03-03 --verbose) ||
        fail "the installed plotmuf: status $?"
    same_charts "$work/installed" "$work/reference"
    dpkg "${in_root[@]}" --purge plotmuf >"$work/dpkg" 2>&1 || fail "dpkg --root --purge: $(cat "$work/dpkg")"
    left=$(find "$root" -mindepth 1 -not -path "$admin" -not -path "$admin/*" \( -type f -o -type l \) -print)
    [ -z "$left" ] || fail "left in $root after dpkg --purge: $left"
    ! is_installed --admindir="$admin" || fail "still installed in $root after dpkg --purge"
    is_installed || fail "the machine's plotmuf is no longer installed"
    echo "Installed with dpkg in a root of its own, checked there and purged; the machine's plotmuf left as it was"
fi

echo "Package checks done in $((SECONDS - start)) s"
if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "Debian package: all checks passed"
