#!/usr/bin/env bash
# The Windows zip, made by CPack from a MinGW-w64 build after the Linux
# plotmuf ran in the source tree's example/ with every option that writes a
# file (example_runs.sh): its exact entries under one top folder (of the
# example station, the repository's files), schedule.cmd with CR LF line
# ends; then, under Wine, schedule.cmd unzipped to a folder with blanks and
# parentheses, run from cmd as an operator does. Wine's schtasks is a
# stub, so a stand-in (fake_schtasks.c) first on the PATH logs the
# arguments schtasks.exe gets, which must be these exactly, and runs the
# task's command as the Task Scheduler would when it is due: plotmuf.exe
# must then write the charts in the station folder, the Linux build's own
# for the same day.
#
# usage: tests/packaging/check_zip.sh WINDOWS_BUILD_FOLDER LINUX_PLOTMUF
# needs: cmake, mingw-w64, wine (64-bit), unzip, git. Runs headless, as any
# user; leaves nothing behind, and the source tree's example/ as the
# repository holds it (what runs left there is removed).
#
# The backslashes in '...' are Windows separators, and "check && check ||
# fail" means "fail unless both hold".
# shellcheck disable=SC1003,SC2015
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 WINDOWS_BUILD_FOLDER LINUX_PLOTMUF" >&2
    exit 2
fi
build=$(realpath "$1")
linux_plotmuf=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

# shellcheck source=tests/windows/wine_work.sh
source "$source_dir/tests/windows/wine_work.sh" plotmuf-zip
# shellcheck source=tests/packaging/example_runs.sh
source "$here/example_runs.sh"
# The tree the build installs from.
build_source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
trap 'cleanup; clean_example_outputs "$build_source"' EXIT

run_example_outputs "$build_source" "$linux_plotmuf" || fail "runs in the example station"
(cd "$build" && cpack -G ZIP -B "$work/package") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack" >&2; exit 1; }
clean_example_outputs "$build_source"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
top=plotmuf-$version-win64
zip=$work/package/$top.zip
[ -f "$zip" ] || { echo "FAIL: no $zip; cpack made: $(ls "$work/package")" >&2; exit 1; }
echo "Zip built in $((SECONDS - start)) s: $(basename "$zip")"

# The entries: everything in one top folder, the example station as the
# repository holds it (its .gitkeep files stand for its empty folders).
expected_entries() {
    printf '%s\n' plotmuf.exe schedule.cmd README.md LICENSE FONT-NOTICE latest.schema.json examples/ \
        examples/plotmuf-alerts.yml
    git -C "$source_dir" ls-files example | grep -v '/\.gitkeep$'
    git -C "$source_dir" ls-files example | while read -r path; do
        path=$(dirname "$path")
        while [ "$path" != . ]; do
            echo "$path/"
            path=$(dirname "$path")
        done
    done | sort -u
}
diff <(expected_entries | sed "s|^|$top/|" | sort) <(unzip -Z1 "$zip" | sort) >"$work/diff" ||
    fail "not the expected entries (< expected, > in the zip):
$(cat "$work/diff")"

unzip -q "$zip" -d "$work/unzipped"
[ "$(grep -c $'\r$' "$work/unzipped/$top/schedule.cmd")" -eq "$(wc -l <"$work/unzipped/$top/schedule.cmd")" ] ||
    fail "schedule.cmd has lines without CR LF"

wine_prefix
drive_c=$WINEPREFIX/drive_c
program_folder='C:\Program Files (x86)\plotmuf 1.0'
mkdir -p "$drive_c/Program Files (x86)" "$drive_c/fake"
cp -r "$work/unzipped/$top" "$drive_c/Program Files (x86)/plotmuf 1.0"
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -o "$drive_c/fake/schtasks.exe" "$here/fake_schtasks.c"

# station FOLDER: a copy of the example station, as unzipped, in FOLDER.
station() {
    mkdir -p "$1"
    cp -r "$work/unzipped/$top/example/." "$1/"
}

# schedule ARGS...: schedule.cmd run with ARGS (written as typed at a cmd
# prompt) from C:\, with the stand-in schtasks first on the PATH; its
# status in $status, its error output in $work/err, what schtasks got in
# $work/log. SCRIPT, if set, is the schedule.cmd to run instead.
schedule() {
    # Not "call": Wine's cmd turns the status of a called batch file into 1.
    printf '@echo off\r\nset PATH=C:\\fake;%%PATH%%\r\ncd /d C:\\\r\n"%s" %s\r\n' \
        "${SCRIPT:-$program_folder\\schedule.cmd}" "$*" >"$drive_c/case.cmd"
    rm -f "$drive_c/schtasks.log"
    status=0
    wine cmd /c 'C:\case.cmd' </dev/null >"$work/out" 2>"$work/err" || status=$?
    : >"$work/log"
    [ ! -f "$drive_c/schtasks.log" ] || tr -d '\r' <"$drive_c/schtasks.log" >"$work/log"
    tr -d '\r' <"$work/err" >"$work/err.txt" && mv "$work/err.txt" "$work/err"
}

# expect_log LINES...: schtasks got exactly these arguments, one a line.
expect_log() {
    diff <(printf '%s\n' "$@") "$work/log" >"$work/diff" ||
        fail "schtasks, for $(sed -n 4p "$drive_c/case.cmd" | tr -d '\r') (< expected, > got):
$(cat "$work/diff")"
}

# The command of the task of station folder TARGET (as quoted in it).
task_command() {
    echo "cmd /c cd /d \"$1\" && start /b /wait \"\" \"$program_folder\\plotmuf.exe\""
}

# charts FOLDER: the GIF files below it.
charts() { (cd "$1" && find . -name '*.gif' | sort); }

# 1. A station folder with blanks, "&" and parentheses. The task runs
# plotmuf.exe there: the charts of today, byte for byte those of the Linux
# build run on the same station today.
station "$drive_c/stazioni meteo/Roma & Co (2)"
schedule '"C:\stazioni meteo\Roma & Co (2)"'
[ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "case 1: status $status, '$(cat "$work/err")'"
expect_log /create /tn 'plotmuf\C_stazioni meteo_Roma & Co (2)' /sc minute /mo 15 /ru SYSTEM \
    /tr "$(task_command 'C:\stazioni meteo\Roma & Co (2)')" /f -- 'exit 0'
station "$work/linux"
(cd "$work/linux" && "$linux_plotmuf") || fail "the Linux build on the example station today: status $?"
[ "$(charts "$work/linux" | wc -l)" -eq 12 ] || fail "the Linux build wrote $(charts "$work/linux" | wc -l) GIF files"
[ "$(charts "$drive_c/stazioni meteo/Roma & Co (2)")" = "$(charts "$work/linux")" ] ||
    fail "case 1: the task wrote $(charts "$drive_c/stazioni meteo/Roma & Co (2)" | tr '\n' ' ')"
for file in $(charts "$work/linux"); do
    cmp -s "$drive_c/stazioni meteo/Roma & Co (2)/$file" "$work/linux/$file" || fail "case 1: $file differs from the Linux build's"
done

# 2. A folder relative to the current one, with a trailing "\", without a
# configuration: a warning, the task all the same; its run fails (no
# archive folder), and the task's status is plotmuf's.
mkdir -p "$drive_c/stazione"
schedule 'stazione\'
[ "$status" -eq 0 ] && grep -q 'warning: no Quorel_RAV3000I2.ini in "C:\\stazione"' "$work/err" ||
    fail "case 2: status $status, '$(cat "$work/err")'"
expect_log /create /tn 'plotmuf\C_stazione' /sc minute /mo 15 /ru SYSTEM /tr "$(task_command 'C:\stazione')" /f -- 'exit 1'

# 3. A drive's root: quoted as S:\. so that no "\" escapes the quote.
station "$work/root"
wine_drive s "$work/root"
schedule 'S:\'
[ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "case 3: status $status, '$(cat "$work/err")'"
expect_log /create /tn 'plotmuf\S' /sc minute /mo 15 /ru SYSTEM /tr "$(task_command 'S:\.')" /f -- 'exit 0'
[ "$(charts "$work/root" | wc -l)" -eq 12 ] || fail "case 3: the task wrote $(charts "$work/root" | wc -l) GIF files"

# 4. /delete names the same task, whether the folder is still there or not.
schedule /delete '"C:\stazioni meteo\Roma & Co (2)"'
[ "$status" -eq 0 ] || fail "case 4: status $status, '$(cat "$work/err")'"
expect_log /delete /tn 'plotmuf\C_stazioni meteo_Roma & Co (2)' /f --
schedule /DELETE 'C:\gone\'
[ "$status" -eq 0 ] || fail "case 4, a folder gone: status $status, '$(cat "$work/err")'"
expect_log /delete /tn 'plotmuf\C_gone' /f --

# 5. Failures: the status, the message (its first line), and schtasks not
# run at all...
while IFS='|' read -r expected_status message args; do
    schedule "$args"
    [ "$status" -eq "$expected_status" ] && [ "$(head -1 "$work/err")" = "$message" ] && [ ! -s "$work/log" ] ||
        fail "schedule.cmd $args: status $status (not $expected_status), '$(cat "$work/err")', schtasks got '$(cat "$work/log")'"
done <<'EOF'
2|usage: schedule.cmd STATIONFOLDER|
2|usage: schedule.cmd STATIONFOLDER|/delete
2|usage: schedule.cmd STATIONFOLDER|C:\stazione C:\stazione
1|schedule.cmd: "C:\nothing" is no folder|C:\nothing
1|schedule.cmd: "C:\Program Files (x86)\plotmuf 1.0\README.md" is no folder|"C:\Program Files (x86)\plotmuf 1.0\README.md"
2|schedule.cmd: "\\server\share\stazione" is a network folder: see README.md for a task on a share|\\server\share\stazione
EOF
# ... schedule.cmd away from plotmuf.exe ...
cp "$drive_c/Program Files (x86)/plotmuf 1.0/schedule.cmd" "$drive_c/fake/schedule.cmd"
SCRIPT='C:\fake\schedule.cmd' schedule 'C:\stazione'
[ "$status" -eq 1 ] && [ ! -s "$work/log" ] &&
    [ "$(cat "$work/err")" = 'schedule.cmd: "C:\fake\plotmuf.exe" not found: keep schedule.cmd beside plotmuf.exe' ] ||
    fail "schedule.cmd away from plotmuf.exe: status $status, '$(cat "$work/err")'"
# ... and schtasks' own failure is schedule.cmd's.
FAKE_SCHTASKS_EXIT=5 schedule 'C:\stazione'
[ "$status" -eq 5 ] || fail "schtasks failing with status 5: schedule.cmd's status $status"

wine_finish "Windows zip"
