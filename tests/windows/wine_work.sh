# Sourced by the scripts that run Windows programs under Wine:
#   source tests/windows/wine_work.sh NAME
# makes a work folder "$work" (mktemp, named after NAME) with a Wine of its
# own: a fresh prefix, no debug chatter, no offer to install Mono or Gecko,
# no display (console programs need none), and a locale whose ANSI code page
# is 1252. Wine and the folder go when the script exits. fail MESSAGE counts
# a failed check in "$failures".

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
