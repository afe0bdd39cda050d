# shellcheck shell=bash
# What an install of plotmuf holds, as "MODE PATH" lines sorted by path,
# directories included: the form of `list_tree` below and of `list_deb`.
# Sourced by the checks of tests/packaging/.
#
#   expected_files PREFIX [debian]
#
# PREFIX is the install prefix as a relative path ("usr" in the package,
# "" for a tree installed with --prefix); "debian" adds the files only the
# Debian package holds, and leaves out LICENSE, which its copyright file
# carries instead. The example station is the repository's own
# (git ls-files), so the charts, bitmaps and hidden files a run leaves in it
# must not be installed; its .gitkeep files stand for empty folders.

expected_files() {
    local prefix=${1:+$1/} debian=${2:-}
    local root doc=share/doc/plotmuf
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    {
        printf -- '-rwxr-xr-x %s\n' bin/plotmuf
        printf -- '-rw-r--r-- %s\n' lib/systemd/system/plotmuf@.service lib/systemd/system/plotmuf@.timer \
            share/man/man1/plotmuf.1.gz "$doc/README.md" "$doc/FONT-NOTICE" \
            "$doc/latest.schema.json" "$doc/examples/plotmuf-alerts.yml"
        if [ "$debian" = debian ]; then
            printf -- '-rw-r--r-- %s\n' "$doc/copyright" "$doc/changelog.gz" share/lintian/overrides/plotmuf
        else
            printf -- '-rw-r--r-- %s\n' "$doc/LICENSE"
        fi
        git -C "$root" ls-files example | grep -v '/\.gitkeep$' | sed "s|^|-rw-r--r-- $doc/|"
        # Every folder above those files, and the folders the .gitkeep keep.
        {
            printf '%s\n' bin/plotmuf lib/systemd/system/x share/man/man1/x "$doc/x" "$doc/examples/x"
            [ "$debian" = debian ] && echo share/lintian/overrides/x
            git -C "$root" ls-files example | sed "s|^|$doc/|"
        } | while read -r path; do
            path=$(dirname "$path")
            while [ "$path" != . ]; do
                echo "$path"
                path=$(dirname "$path")
            done
        done | sort -u | sed 's|^|drwxr-xr-x |'
        # The folders of the prefix itself.
        local dir=${prefix%/}
        while [ -n "$dir" ] && [ "$dir" != . ]; do
            echo "drwxr-xr-x /$dir"
            dir=$(dirname "$dir")
        done
    } | awk -v prefix="$prefix" '{ print $1, (substr($2, 1, 1) == "/" ? substr($2, 2) : prefix $2) }' | sort -k2
}

# list_tree DIR: the files and folders below DIR, in the same form.
list_tree() {
    (cd "$1" && find . -mindepth 1 -printf '%M %P\n') | sort -k2
}

# list_deb DEB: the files and folders a Debian package holds, in the same
# form, checking on the way that root owns them all.
list_deb() {
    dpkg-deb -c "$1" | awk '
        $2 != "root/root" { print "owner " $2 ": " $6 > "/dev/stderr"; exit 1 }
        { path = $6; sub(/^\.\//, "", path); sub(/\/$/, "", path); if (path != "") print $1, path }' | sort -k2
}
