#!/usr/bin/env bash
# The whole run of plotmuf on four station folders (see make_stations.py),
# each figure beside the same figure of the baseline: open_loop.c, the
# 8,640 opens that trying every name of six days costs, in the same folder.
#
#   bench/run.sh [WORK_FOLDER]        (default: $TMPDIR/plotmuf-bench; no blanks)
#
# For each folder: wall time (median of $RUNS runs, hyperfine), peak resident
# memory (/usr/bin/time, the largest of 5 runs), instructions (callgrind:
# the program's own, not the kernel's; the same on every run), and the bytes
# of each GIF written against `gifsicle -O3` of the same picture (the GIF
# writer on pictures of other kinds: bench/gif_size.sh). Beside the
# wall times, two floors that no run can go below: least_work.c, the
# least file-system work of the run (the listing, the opens of the
# soundings that are there, the writes), and write_floor.c, the run's
# writes alone.
#
# Wall times are taken warm (every run finds the folders in the kernel's
# caches, as a run a few minutes after the last one may) and, as root, cold
# as well (the caches of names and inodes dropped before each run, as after
# a night of other work; COLD=0 leaves this out).
#
# The station folders (about 400 MB, mostly the year of soundings) are made
# once and kept in WORK_FOLDER.
#
# Needs: cmake, g++, gcc, python3, hyperfine, valgrind, gifsicle
# (Debian: apt-get install cmake g++ python3 hyperfine valgrind gifsicle).
# Exits 1 when a target is missed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-${TMPDIR:-/tmp}/plotmuf-bench}
runs=${RUNS:-30}
cold=${COLD:-1}
[ "$(id -u)" = 0 ] || cold=0
# Ahead of other work on the machine, where allowed, so that it disturbs
# the times less.
renice -n -19 $$ >/dev/null 2>&1 || true
today=2024-03-03
mkdir -p "$work"
work=$(cd "$work" && pwd)

for tool in cmake cc python3 hyperfine valgrind gifsicle; do
    command -v "$tool" >/dev/null || { echo "bench/run.sh: $tool is missing" >&2; exit 2; }
done

# --- the release binary and the baseline ---------------------------------
echo "Building the release binary in $work/build ..." >&2
cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DPLOTMUF_TESTS=OFF >/dev/null
cmake --build "$work/build" -j2 >/dev/null
plotmuf=$work/build/plotmuf
cc -std=c11 -O2 -Wall -Wextra -Werror "$root/bench/open_loop.c" -o "$work/open_loop"
cc -std=c11 -O2 -Wall -Wextra -Werror "$root/bench/write_floor.c" -o "$work/write_floor"
cc -std=c11 -O2 -Wall -Wextra -Werror "$root/bench/least_work.c" -o "$work/least_work"

# --- the station folders, made once ---------------------------------------
stations=$work/stations
stamp=$(cksum <"$root/bench/make_stations.py")
if [ ! -f "$stations/stamp" ] || [ "$(cat "$stations/stamp")" != "$stamp" ]; then
    echo "Making the station folders in $stations (a year of soundings: a minute or so) ..." >&2
    rm -rf "$stations"
    mkdir -p "$stations"
    python3 "$root/bench/make_stations.py" "$stations" >&2
    echo "$stamp" >"$stations/stamp"
fi

# --- measuring --------------------------------------------------------------
missed=0
judge() {  # judge 1_WHEN_MET: sets $verdict, counts a miss
    if [ "$1" = 1 ]; then verdict=met; else verdict=MISSED; missed=$((missed + 1)); fi
}
ratio_within() {  # ratio_within A B LIMIT: prints A/B and whether A/B <= LIMIT
    awk -v a="$1" -v b="$2" -v l="$3" 'BEGIN { r = a / b; printf "%.2f %d\n", r, (r <= l) }'
}
median_ms() {  # median_ms CSV ROW: the median of hyperfine's row (1 = first command)
    awk -F, -v row="$2" 'NR == row + 1 { printf "%.2f", $4 * 1000 }' "$1"
}
cpu_ms() {  # cpu_ms CSV ROW: user and system time, means
    awk -F, -v row="$2" 'NR == row + 1 { printf "%.1f", ($5 + $6) * 1000 }' "$1"
}
peak_kib() {  # the largest resident set of 5 runs
    local most=0 kib
    for _ in 1 2 3 4 5; do
        kib=$( /usr/bin/time -f %M -o "$work/time.txt" "$@" >/dev/null 2>&1; cat "$work/time.txt")
        [ "$kib" -gt "$most" ] && most=$kib
    done
    echo "$most"
}
instructions() {
    valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$@" >/dev/null 2>&1
    awk '/^summary:/ { printf "%.1f", $2 / 1e6 }' "$work/callgrind.out"
}

echo
echo "plotmuf --today $today on each station folder; baseline: bench/open_loop.c,"
echo "the 8,640 opens alone, in the same folder. Wall times are medians of $runs runs,"
echo "and beneath them the floors: the least file-system work of the run"
echo "(bench/least_work.c) and its writes alone (bench/write_floor.c)."
echo "Machine: $(nproc) cores, $(uname -sr), load $(cut -d' ' -f1-3 /proc/loadavg)"

for station in quarter year unrecognised empty; do
    folder=$stations/$station
    case $station in
    year) stem=SP044_ ;;
    *) stem=RM041_ ;;
    esac
    stems=()
    for day in 058 059 060 061 062 063; do stems+=("${stem}2024$day"); done
    baseline=("$work/open_loop" autoscalati/ 00.TXT "${stems[@]}")
    run=("$plotmuf" --today "$today")
    files=$(find "$folder/autoscalati" -type f | wc -l)
    case $station in
    quarter) limit=0.333 target="<= 1/3" ;;
    year) limit=1.2 target="<= 1.2" ;;
    *) limit=0.2 target="<= 1/5" ;;
    esac

    cd "$folder"
    # The run must end well, with its twelve GIF files.
    rm -f web/*.gif previsioni/previous_RAV3000I2_plots/*.gif
    "${run[@]}" || { echo "bench/run.sh: plotmuf failed in $folder" >&2; exit 2; }
    gifs=(web/plotMUF?.gif previsioni/previous_RAV3000I2_plots/2*.gif)
    [ "${#gifs[@]}" -eq 12 ] || { echo "bench/run.sh: ${#gifs[@]} GIF files in $folder" >&2; exit 2; }
    floor=("$work/write_floor" "$(wc -c <web/plotMUF6.gif)")
    least=("$work/least_work" autoscalati/ 00.TXT "$(wc -c <web/plotMUF6.gif)" "${stems[@]}")

    echo
    echo "== $station: $files files in the measurement folder"
    for regime in warm cold; do
        [ "$regime" = cold ] && [ "$cold" = 0 ] && continue
        prepare=()
        [ "$regime" = cold ] && prepare=(--prepare "sh -c 'sync; echo 2 > /proc/sys/vm/drop_caches'")
        hyperfine -N --warmup 5 --runs "$runs" "${prepare[@]}" --export-csv "$work/times.csv" \
            "${run[*]}" "${baseline[*]}" "${least[*]}" "${floor[*]}" >/dev/null 2>&1
        ours_ms=$(median_ms "$work/times.csv" 1)
        base_ms=$(median_ms "$work/times.csv" 2)
        least_ms=$(median_ms "$work/times.csv" 3)
        floor_ms=$(median_ms "$work/times.csv" 4)
        read -r ratio within <<<"$(ratio_within "$ours_ms" "$base_ms" "$limit")"
        judge "$within"
        printf '  %-16s plotmuf %8s ms   baseline %8s ms   ratio %5s  target %-7s %-6s\n' \
            "wall time, $regime" "$ours_ms" "$base_ms" "$ratio" "$target" "$verdict"
        printf '  %-16s plotmuf %8s ms   baseline %8s ms\n' \
            "  cpu (user+sys)" "$(cpu_ms "$work/times.csv" 1)" "$(cpu_ms "$work/times.csv" 2)"
        printf '  %-16s least work %5s ms (plotmuf %s of it)   the writes alone %s ms   at the floor: ratio %s\n' \
            "  floors" "$least_ms" "$(awk -v a="$ours_ms" -v b="$least_ms" 'BEGIN { printf "%.2f", a / b }')" \
            "$floor_ms" "$(awk -v a="$least_ms" -v b="$base_ms" 'BEGIN { printf "%.2f", a / b }')"
    done
    rm -f previsioni/floor* web/floor* previsioni/previous_RAV3000I2_plots/floor*

    ours_kib=$(peak_kib "${run[@]}")
    base_kib=$(peak_kib "${baseline[@]}")
    judge $((ours_kib < 8192))
    printf '  %-16s plotmuf %8s KiB  baseline %8s KiB                target %-7s %s\n' \
        "peak RSS" "$ours_kib" "$base_kib" "< 8 MiB" "$verdict"
    printf '  %-16s plotmuf %8s M    baseline %8s M\n' "instructions" \
        "$(instructions "${run[@]}")" "$(instructions "${baseline[@]}")"

    ours_total=0 theirs_total=0 larger=0 line=""
    for gif in "${gifs[@]}"; do
        gifsicle -O3 "$gif" -o "$work/O3.gif"
        ours=$(wc -c <"$gif")
        theirs=$(wc -c <"$work/O3.gif")
        ours_total=$((ours_total + ours))
        theirs_total=$((theirs_total + theirs))
        [ "$ours" -gt "$theirs" ] && larger=$((larger + 1))
        line+=$(printf '%s %s/%s  ' "$(basename "$gif")" "$ours" "$theirs")
    done
    judge $((larger == 0))
    printf '  %-16s plotmuf %8s B    gifsicle -O3 %5s B                 target each <= %s\n' \
        "GIF bytes" "$ours_total" "$theirs_total" "$verdict"
    echo "$line" | fold -s -w 100 | sed 's/^/    /'
done

echo
if [ "$missed" -eq 0 ]; then echo "All targets met."; else echo "Targets missed: $missed."; fi
[ "$missed" -eq 0 ]
