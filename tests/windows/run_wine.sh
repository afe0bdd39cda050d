#!/usr/bin/env bash
# The Windows build of plotmuf run under Wine on station folders written the
# Windows way (drive letters, "\" separators, a folder name in the ANSI code
# page), started from a subfolder and from a drive root. Each run must write
# the twelve GIF files, every one decodable by giflib and byte for byte the
# same as the Linux build's for the same inputs and --today date, and leave
# nothing else behind.
#
# usage: tests/windows/run_wine.sh LINUX_PLOTMUF WINDOWS_PLOTMUF_EXE
# needs: wine (64-bit), giftext (Debian: giflib-tools). Runs headless, as any
# user, root included; leaves nothing behind.
#
# The backslashes in '...' are Windows separators, and "check && check ||
# fail" means "fail unless both hold".
# shellcheck disable=SC1003,SC2015

set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 LINUX_PLOTMUF WINDOWS_PLOTMUF_EXE" >&2
    exit 2
fi
linux_plotmuf=$(realpath "$1")
windows_plotmuf=$(realpath "$2")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

# shellcheck source=tests/windows/wine_work.sh
source "$(dirname "$0")/wine_work.sh" plotmuf-wine

today=2024-03-03
days=(2024058 2024059 2024060 2024061 2024062 2024063)

# Soundings of the last two days, one every 15 minutes, of a station whose
# files begin "Rome"; every 17th sounding has no value. Beside them a hidden
# file and a note that must not decide the station: the hidden one would
# come first in byte order, the note first in the case-blind order of NTFS.
make_soundings() {
    printf 'Gibi\r\n' >"$1/.A.TXT"
    printf 'notes\r\n' >"$1/notes.txt"
    awk -v dir="$1" 'BEGIN {
        for (d = 62; d <= 63; d++) for (h = 0; h < 24; h++) for (m = 0; m < 60; m += 15) {
            n = h * 4 + m / 15
            value = n % 17 == 5 ? "N/A " : sprintf("%4.1f", 11 + 7 * sin(n / 15.0) + (d - 62) * 1.5)
            name = sprintf("%s/RM041_2024%03d%02d%02d00.TXT", dir, d, h, m)
            printf "Rome\r\n2024.%03d %02d:%02d\r\n\r\n%-15s%s\r\n", d, h, m, "MUF(3000)F2", value > name
            close(name)
        }
    }'
}

# make_station FOLDER WEB_FOLDER LINE2 LINE4 LINE6: the inputs of a station
# in FOLDER, its publication folder FOLDER/WEB_FOLDER, and a configuration
# whose folder lines are LINE2, LINE4 and LINE6 (bytes, written as given).
make_station() {
    mkdir -p "$1/previsioni/previous_RAV3000I2_plots" "$1/autoscalati" "$1/$2"
    cp "$source_dir"/example/previsioni/*.txt "$1/previsioni/"
    make_soundings "$1/autoscalati"
    printf 'Test station\r\n%s\r\nSoundings\r\n%s\r\nFigures\r\n%s\r\n' "$3" "$4" "$5" >"$1/Quorel_RAV3000I2.ini"
}

# The twelve files a run writes in a station, relative to it.
outputs() {
    local n
    for n in 1 2 3 4 5 6; do echo "$1/plotMUF$n.gif"; done
    for n in "${days[@]}"; do echo "previsioni/previous_RAV3000I2_plots/$n.gif"; done
}

# check_station FOLDER WEB_FOLDER: the twelve files are there, decode, equal
# the Linux build's, and nothing else was left (no bitmap, no temporary file).
check_station() {
    local station=$1 web=$2 n file reference
    for n in 1 2 3 4 5 6; do
        file="$station/$web/plotMUF$n.gif"
        reference="$work/linux/web/plotMUF$n.gif"
        if [ ! -f "$file" ]; then
            fail "$file missing"
            continue
        fi
        giftext -r "$file" >/dev/null 2>&1 || fail "$file does not decode"
        giftext "$file" | grep -q 'Width = 286, Height = 221' || fail "$file is not 286 x 221"
        cmp -s "$file" "$reference" || fail "$file differs from the Linux build's"
        cmp -s "$file" "$station/previsioni/previous_RAV3000I2_plots/${days[n - 1]}.gif" ||
            fail "$file differs from its archive copy"
    done
    local expected actual
    expected=$( (outputs "$web"; echo Quorel_RAV3000I2.ini; cd "$station" && find previsioni/*.txt autoscalati -type f) | sort)
    actual=$(cd "$station" && find . -type f | sed 's|^\./||' | sort)
    [ "$expected" = "$actual" ] || fail "$station holds other files: $(comm -13 <(echo "$expected") <(echo "$actual") | tr '\n' ' ')"
}

# run_windows FOLDER ARGS...: starts plotmuf.exe through cmd in the Windows
# folder FOLDER, the way a scheduled task does; output in $work/out, $work/err.
run_windows() {
    local folder=$1
    shift
    wine cmd /c "cd /d $folder && start /b /wait C:\\plotmuf\\plotmuf.exe $*" </dev/null >"$work/out" 2>"$work/err"
}

wine_prefix

# The Linux build on the same inputs: the reference.
make_station "$work/linux" web 'previsioni\' 'autoscalati\' 'web\'
(cd "$work/linux" && "$linux_plotmuf" --today "$today") || fail "the Linux build failed"

mkdir -p "$WINEPREFIX/drive_c/plotmuf"
cp "$windows_plotmuf" "$WINEPREFIX/drive_c/plotmuf/plotmuf.exe"

# 1. A subfolder, C:\stazione, with absolute folders in the configuration;
# the publication folder's name has an "à", byte E0 in code page 1252.
station="$WINEPREFIX/drive_c/stazione"
make_station "$station" "pubblicità" 'C:\stazione\previsioni\' 'C:\stazione\autoscalati\' \
    "$(printf 'C:\\stazione\\pubblicit\xe0\\')"
status=0
run_windows 'C:\stazione' --today "$today" --verbose || status=$?
[ "$status" -eq 0 ] || fail "run in C:\\stazione: status $status: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "run in C:\\stazione reported: $(cat "$work/err")"
check_station "$station" "pubblicità"

# 1b. The measurement folder gone (a share that is down): the run writes
# nothing, names the folder once and exits 1; every file stays as it was.
station="$WINEPREFIX/drive_c/stazione"
mv "$station/autoscalati" "$station/autoscalati.away"
before=$(cd "$station" && find . -type f -exec md5sum {} + | sort)
status=0
run_windows 'C:\stazione' --today "$today" --verbose || status=$?
[ "$status" -eq 1 ] || fail "run without measurement folder: status $status"
[ "$(tr -d '\r' <"$work/err" | wc -l)" -eq 1 ] &&
    grep -qF 'plotmuf: measurements: cannot read the folder C:\stazione\autoscalati\: ' "$work/err" ||
    fail "run without measurement folder reported: $(cat "$work/err")"
[ "$(cd "$station" && find . -type f -exec md5sum {} + | sort)" = "$before" ] ||
    fail "run without measurement folder changed files"
mv "$station/autoscalati.away" "$station/autoscalati"

# 2. A drive root, S:\, with folders relative to it.
station="$work/root"
make_station "$station" web 'previsioni\' 'autoscalati\' 'web\'
wine_drive s "$station"
status=0
run_windows 'S:\' --today "$today" --verbose || status=$?
[ "$status" -eq 0 ] || fail "run in S:\\: status $status: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "run in S:\\ reported: $(cat "$work/err")"
check_station "$station" web

# 2b. The run's figures: the format's own, their folder label the working
# folder in UTF-8, though Windows names it in its ANSI code page.
status=0
run_windows 'C:\stazione' --today "$today" --metrics 'C:\stazione.prom' || status=$?
[ "$status" -eq 0 ] || fail "run with --metrics: status $status: $(cat "$work/err")"
figures="$WINEPREFIX/drive_c/stazione.prom"
promtool check metrics <"$figures" >/dev/null 2>&1 || fail "--metrics: promtool rejects $figures"
grep -qxF 'plotmuf_charts_exported{folder="C:\\stazione"} 6' "$figures" || fail "--metrics: $(head -c 400 "$figures")"
mkdir -p "$WINEPREFIX/drive_c/città"
status=0
run_windows 'C:\città' --today "$today" --metrics 'C:\citta.prom' || status=$?
[ "$status" -eq 1 ] || fail "run in C:\\città: status $status (no archive folder there)"
grep -qxF 'plotmuf_charts_failed{folder="C:\\città"} 6' "$WINEPREFIX/drive_c/citta.prom" ||
    fail "--metrics in C:\\città: $(head -c 400 "$WINEPREFIX/drive_c/citta.prom")"
rm -rf "$WINEPREFIX/drive_c/città" "$figures" "$WINEPREFIX/drive_c/citta.prom"

# 3. What the program prints reaches whoever started it, although it is a
# GUI program: --version on standard output, a usage error on standard
# error with status 2, and --verbose's lines for a failing run.
status=0
run_windows 'S:\' --version || status=$?
[ "$status" -eq 0 ] && [ "$(tr -d '\r' <"$work/out")" = "$("$linux_plotmuf" --version)" ] ||
    fail "--version: status $status, output '$(cat "$work/out")'"
status=0
run_windows 'S:\' --today 2024-02-30 || status=$?
[ "$status" -eq 2 ] && grep -q 'usage: plotmuf' "$work/err" || fail "usage error: status $status, '$(cat "$work/err")'"
rm -r "$station/previsioni/previous_RAV3000I2_plots"
status=0
run_windows 'S:\' --today "$today" --verbose || status=$?
[ "$status" -eq 1 ] && [ "$(grep -c 'previous_RAV3000I2_plots' "$work/err")" -eq 6 ] ||
    fail "a run without archive folder: status $status, '$(cat "$work/err")'"

# 4. An archive range with its pages, CSV and SVG files, in a station of its
# own: every file byte for byte the Linux build's, and nothing else written.
range=(--archive 2024-02-28 2024-03-04 --archive-page --csv --svg)
make_station "$work/linux-range" web 'previsioni\' 'autoscalati\' 'web\'
(cd "$work/linux-range" && "$linux_plotmuf" "${range[@]}") || fail "the Linux build's range failed"
station="$WINEPREFIX/drive_c/archivio"
make_station "$station" web 'C:\archivio\previsioni\' 'C:\archivio\autoscalati\' 'C:\archivio\web\'
before=$(cd "$station" && find . -type f | sort)
status=0
run_windows 'C:\archivio' "${range[*]}" --verbose || status=$?
[ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "range: status $status: $(cat "$work/err")"
archive=previsioni/previous_RAV3000I2_plots
for file in 20240{59,60,61,62,63,64}.{gif,csv,svg} 2024-02.html 2024-03.html index.html; do
    cmp -s "$station/$archive/$file" "$work/linux-range/$archive/$file" || fail "range: $file differs from the Linux build's"
done
added=$(comm -13 <(echo "$before") <(cd "$station" && find . -type f | sort) | grep -vc "^\./$archive/\([0-9-]*\.\(gif\|csv\|svg\|html\)\|index\.html\)$" || true)
[ "$added" -eq 0 ] || fail "range: files other than the archive's were written"

# 5. The order of the calls that keep the archive through a power loss, as
# Wine's relay trace shows them: every new archived chart is flushed
# (FlushFileBuffers) before it replaces the old one with a rename written
# through (MoveFileExA, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
# in each thread; for a scheduled run, day 1's chart.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
    /d 'kernel32.FlushFileBuffers;kernel32.MoveFileExA' /f >/dev/null 2>&1
# check_flushes TRACE COUNT: COUNT archived charts, each renamed after a flush in its thread.
check_flushes() {
    awk -v want="$2" '
        /Call KERNEL32.FlushFileBuffers/ { flushed[$1] = 1 }
        /Call KERNEL32.MoveFileExA/ && /previous_RAV3000I2_plots\\\\20/ {
            moves++
            if (!flushed[$1]) { print "renamed before its flush: " $0; bad++ }
            if ($0 !~ /,00000009\)/) { print "not replaced and written through: " $0; bad++ }
            flushed[$1] = 0
        }
        END { if (moves != want) { print moves + 0 " archived charts renamed, not " want; bad++ } exit bad > 0 }
    ' "$1"
}
WINEDEBUG=+relay wine cmd /c "cd /d C:\archivio && C:\plotmuf\plotmuf.exe --archive 2024-01-01 2024-03-04" \
    </dev/null >/dev/null 2>"$work/relay" || fail "traced range: status $?"
grep -E ':Call KERNEL32.(FlushFileBuffers|MoveFileExA)' "$work/relay" | sed 's/^\([0-9a-f]*\):/\1 /' >"$work/calls"
check_flushes "$work/calls" 64 >"$work/flushes" || fail "range: $(cat "$work/flushes")"
WINEDEBUG=+relay wine cmd /c "cd /d C:\archivio && C:\plotmuf\plotmuf.exe --today $today" \
    </dev/null >/dev/null 2>"$work/relay" || fail "traced run: status $?"
grep -E ':Call KERNEL32.(FlushFileBuffers|MoveFileExA)' "$work/relay" | sed 's/^\([0-9a-f]*\):/\1 /' |
    awk '!/MoveFileExA/ || /2024058/' >"$work/calls"
check_flushes "$work/calls" 1 >"$work/flushes" || fail "scheduled run, day 1: $(cat "$work/flushes")"

# 6. Temporaries that runs killed part way left behind: the run removes its
# own of a process that is gone (an id never given) or written over a day
# ago, and keeps one of a process still running (a ping.exe that this script
# started, its id as winedbg lists it) and names that only look like them.
station="$WINEPREFIX/drive_c/residui"
make_station "$station" web 'C:\residui\previsioni\' 'C:\residui\autoscalati\' 'C:\residui\web\'
wine cmd /c "ping -n 120 127.0.0.1 >nul" </dev/null >/dev/null 2>&1 &
keeper=$!
live=""
for _ in $(seq 100); do
    live=$(winedbg --command "info proc" </dev/null 2>/dev/null | awk "/'ping.exe'/ { sub(/^=/, \"\", \$1); print \$1; exit }")
    [ -n "$live" ] && break
    sleep 0.2
done
[ -n "$live" ] || fail "temporaries: no ping.exe in winedbg's list of processes"
live=$((16#${live:-0}))
dead=4000000
archive=previsioni/previous_RAV3000I2_plots
removed=("web/.plotMUF4.gif.$dead-0.tmp" "previsioni/.grafico3.bmp.$dead-0.tmp" "$archive/.2024063.gif.$dead-0.tmp"
    "web/.plotMUF2.gif.$live-0.tmp")
kept=("web/.plotMUF1.gif.$live-0.tmp" "web/.plotMUF4.gif.$dead-100.tmp" "web/.plotMUF7.gif.$dead-0.tmp" "web/other.tmp")
for file in "${removed[@]}" "${kept[@]}"; do printf partial >"$station/$file"; done
touch -d '2 days ago' "$station/web/.plotMUF2.gif.$live-0.tmp" "$station/web/other.tmp"
status=0
run_windows 'C:\residui' --today "$today" --verbose || status=$?
[ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "temporaries: status $status: $(cat "$work/err")"
for file in "${removed[@]}"; do [ ! -e "$station/$file" ] || fail "temporaries: $file kept"; done
for file in "${kept[@]}"; do [ -e "$station/$file" ] || fail "temporaries: $file removed"; done
wine taskkill /f /pid "$live" >/dev/null 2>&1 || kill "$keeper" 2>/dev/null || true
wait "$keeper" 2>/dev/null || true
for file in "${kept[@]}"; do rm -f "$station/$file"; done
check_station "$station" web

# 7. plotmuf --check on stations whose folder lines are written with "\",
# one of them with line 6 without its final "\": the same findings and
# status as the Linux build's on the same station (the station's own folder
# taken out of the Windows lines, "\" read as "/"), and nothing written or
# touched.
# check_findings NAME LINE6_WINDOWS LINE6_LINUX STATUS
check_findings() {
    local name=$1 status=0 linux_status=0 before
    make_station "$work/linux-$name" web 'previsioni\' 'autoscalati\' "$3"
    station="$WINEPREFIX/drive_c/$name"
    make_station "$station" web "C:\\$name\\previsioni\\" "C:\\$name\\autoscalati\\" "$2"
    before=$(cd "$station" && find . -exec stat -c '%n %s %Y' {} + | sort)
    run_windows "C:\\$name" --check --today "$today" --metrics plotmuf.prom || status=$?
    tr -d '\r' <"$work/out" | sed "s|C:\\\\$name\\\\||g; s|\\\\|/|g" >"$work/windows-findings"
    (cd "$work/linux-$name" && "$linux_plotmuf" --check --today "$today" --metrics plotmuf.prom) \
        >"$work/linux-findings" || linux_status=$?
    [ "$status" -eq "$4" ] && [ "$linux_status" -eq "$4" ] ||
        fail "--check in C:\\$name: status $status, on Linux $linux_status, not $4: $(cat "$work/out")"
    [ -s "$work/linux-findings" ] && cmp -s "$work/windows-findings" "$work/linux-findings" ||
        fail "--check in C:\\$name: $(diff "$work/linux-findings" "$work/windows-findings" | tr '\n' ' ')"
    [ "$(cd "$station" && find . -exec stat -c '%n %s %Y' {} + | sort)" = "$before" ] ||
        fail "--check in C:\\$name changed files"
}
check_findings controllo 'C:\controllo\web\' 'web\' 0
check_findings separatore 'C:\separatore\web' 'web' 1
grep -qxF 'fail: publication (line 6): web is a folder, but the line lacks its final separator: the charts would be written as webplotMUF1.gif ... beside it (web/ ?)' \
    "$work/windows-findings" || fail "--check in C:\\separatore: $(cat "$work/windows-findings")"

wine_finish "Windows build under Wine"
