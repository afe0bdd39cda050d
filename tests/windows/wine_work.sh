# Sourced by the scripts that run Windows programs under Wine:
#   source tests/windows/wine_work.sh NAME
# makes a work folder "$work" (mktemp, named after NAME) with a Wine of its
# own: a fresh prefix, no debug chatter, no offer to install Mono or Gecko,
# no display (console programs need none), and a locale whose ANSI code page
# is 1252. Wine and the folder go when the script exits. fail MESSAGE counts
# a failed check in "$failures"; wine_prefix makes the prefix, wine_drive
# gives a folder a drive letter, and wine_finish ends the script with the
# tally. "$start" is the time the script sourced this.

work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

start=$SECONDS

# wine_prefix: the prefix made, and the time it took said.
wine_prefix() {
    wineboot -i >/dev/null 2>&1
    echo "Wine prefix ready in $((SECONDS - start)) s"
}

# wine_drive LETTER FOLDER: FOLDER is the drive LETTER: of Wine's Windows.
wine_drive() { ln -s "$2" "$WINEPREFIX/dosdevices/$1:"; }

# wine_finish WHAT: how long the checks of WHAT took and how they went;
# exits 1 when one failed.
wine_finish() {
    echo "$1: checks done in $((SECONDS - start)) s"
    if [ "$failures" -ne 0 ]; then
        echo "$1: $failures check(s) failed" >&2
        exit 1
    fi
    echo "$1: all checks passed"
}
