#!/usr/bin/env bash
# The benchmark: plotmuf on four station folders (see make_stations.py), each
# figure beside its floor, and the targets:
#
#   - a whole run, warm, within 1.25 times least_work.c in each folder: the
#     least file-system work a run must do there, with nothing drawn or
#     encoded (the listing, the soundings that are there read, the writes);
#   - instructions executed (callgrind, which no machine's file system or
#     load can blur): at most 8 M in the empty and unrecognised folders,
#     10 M at the 15-minute station, 30 M in the year folder, and 800 M for
#     the year's archive redrawn;
#   - the run with --csv and --metrics FILE, and the run with --svg, each
#     within 1.25 times its own least work (least_work.c writing the files
#     the option adds too), and each at most 1.3 times the plain run's
#     instructions; the SVG of a day of soundings every 5 minutes at most
#     40 KB;
#   - the run with --feed (latest.json) at most 1.05 times the plain run's
#     instructions;
#   - peak resident memory under 8 MiB, with and without those options;
#   - every chart's GIF file no larger than what `gifsicle -O3` makes of it;
#   - --monthly: a scheduled run in the year folder (its archive holding
#     the days' CSVs of its two months) within 1.25 times least_work.c with
#     what such a run writes besides (the CSVs, the archived days of its
#     months read, the months' files written durably); and the year's
#     archive redrawn with --monthly within 1.1 times the same redraw with
#     --csv, in instructions and in wall time (the two run in turn, the
#     medians of $PAIRS pairs, 21 by default);
#   - the archive of a year redrawn (--archive, 365 days) in the folder of a
#     station sounding every 5 minutes within least_range.c, the least work
#     of such a redraw (the listing, the year's soundings read once, 365
#     files written durably), with --csv within 1.25 times its own least work
#     (least_range.c writing each day's CSV too; the two run in turn, the
#     medians of $PAIRS pairs), and in under 8 MiB whatever
#     the length of the range (a year and four years are measured).
#
#   bench/run.sh [WORK_FOLDER]        (default: $TMPDIR/plotmuf-bench; no blanks)
#
# Wall times are medians of $RUNS runs (hyperfine), warm: the folders in the
# kernel's caches, as for a run a few minutes after the last one. The
# station folders (about 400 MB, mostly the year of soundings) are made once
# and kept in WORK_FOLDER. Run it on an idle machine: the times are a few
# milliseconds.
#
# Needs: cmake, g++, gcc, python3, hyperfine, gifsicle, valgrind
# (Debian: apt-get install cmake g++ python3 hyperfine gifsicle valgrind).
# Exits 1 when a target is missed, 2 when it cannot measure.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-${TMPDIR:-/tmp}/plotmuf-bench}
runs=${RUNS:-30}
# Ahead of other work on the machine, where allowed, so that it disturbs
# the times less.
renice -n -19 $$ >/dev/null 2>&1 || true
today=2024-03-03
mkdir -p "$work"
work=$(cd "$work" && pwd)

for tool in cmake cc python3 hyperfine gifsicle valgrind; do
    command -v "$tool" >/dev/null || { echo "bench/run.sh: $tool is missing" >&2; exit 2; }
done

# --- the release binary and the floor --------------------------------------
echo "Building the release binary in $work/build ..." >&2
cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DPLOTMUF_TESTS=OFF >/dev/null
cmake --build "$work/build" -j2 >/dev/null
plotmuf=$work/build/plotmuf
cc -std=c11 -O2 -Wall -Wextra -Werror "$root/bench/least_work.c" -o "$work/least_work"
cc -std=c11 -O2 -Wall -Wextra -Werror "$root/bench/least_range.c" -o "$work/least_range"

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
missed=()
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
instructions() {  # instructions COMMAND...: what callgrind counts for one run, in millions
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        awk '/Collected :/ { printf "%.1f", $NF / 1e6 }'
}
interleaved_ms() {  # interleaved_ms PAIRS: "${first[@]}" and "${second[@]}" run in turn; their medians
    local a=() b=() i t0 t1 t2
    for ((i = 0; i < ${1:-2}; i++)); do
        if ((i % 2 == 0)); then
            t0=${EPOCHREALTIME/./}; "${first[@]}" >/dev/null 2>&1; t1=${EPOCHREALTIME/./}
            "${second[@]}" >/dev/null 2>&1; t2=${EPOCHREALTIME/./}
            a+=($((t1 - t0))) b+=($((t2 - t1)))
        else
            t0=${EPOCHREALTIME/./}; "${second[@]}" >/dev/null 2>&1; t1=${EPOCHREALTIME/./}
            "${first[@]}" >/dev/null 2>&1; t2=${EPOCHREALTIME/./}
            b+=($((t1 - t0))) a+=($((t2 - t1)))
        fi
    done
    median_us() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'; }
    echo "$(median_us "${a[@]}") $(median_us "${b[@]}")"
}
# check NAME MET DETAIL: prints the verdict and keeps a miss for the summary.
check() {
    if [ "$2" = 1 ]; then
        printf '    %-44s met\n' "$1"
    else
        printf '    %-44s MISSED: %s\n' "$1" "$3"
        missed+=("$1: $3")
    fi
}

echo
echo "plotmuf --today $today in each station folder, beside least_work.c, the least"
echo "file-system work of the same run. Wall times: medians of $runs warm runs."
echo "Machine: $(nproc) cores, $(uname -sr), load $(cut -d' ' -f1-3 /proc/loadavg)"

for station in quarter year unrecognised empty; do
    folder=$stations/$station
    case $station in
    year) stem=SP044_ ;;
    *) stem=RM041_ ;;
    esac
    stems=()
    for day in 058 059 060 061 062 063; do stems+=("${stem}2024$day"); done
    run=("$plotmuf" --today "$today")
    files=$(find "$folder/autoscalati" -type f | wc -l)

    cd "$folder"
    # The run must end well, with its twelve GIF files.
    rm -f web/*.gif previsioni/previous_RAV3000I2_plots/*.gif
    "${run[@]}" || { echo "bench/run.sh: plotmuf failed in $folder" >&2; exit 2; }
    gifs=(web/plotMUF?.gif previsioni/previous_RAV3000I2_plots/2*.gif)
    [ "${#gifs[@]}" -eq 12 ] || { echo "bench/run.sh: ${#gifs[@]} GIF files in $folder" >&2; exit 2; }
    least=("$work/least_work" autoscalati/ 00.TXT "$(wc -c <web/plotMUF6.gif)" "${stems[@]}")

    # The same run with the data beside each chart and the run's figures,
    # and with the vector charts; each beside its own least work, which
    # writes the files the option adds, of the sizes the run writes.
    data_run=("${run[@]}" --csv --metrics "$work/plotmuf.prom")
    svg_run=("${run[@]}" --svg)
    "${data_run[@]}" --svg || { echo "bench/run.sh: plotmuf --csv --svg --metrics failed in $folder" >&2; exit 2; }
    least_data=("${least[@]}" --csv "$(wc -c <web/plotMUF6.csv)" --metrics "$work/floor.prom" "$(wc -c <"$work/plotmuf.prom")")
    least_svg=("${least[@]}" --svg "$(wc -c <web/plotMUF6.svg)")

    echo
    echo "== $station: $files files in the measurement folder"
    hyperfine -N --warmup 5 --runs "$runs" --export-csv "$work/times.csv" "${run[*]}" "${least[*]}" \
        "${data_run[*]}" "${least_data[*]}" "${svg_run[*]}" "${least_svg[*]}" >/dev/null 2>&1
    rm -f previsioni/floor* web/floor* previsioni/previous_RAV3000I2_plots/floor* "$work/floor.prom"
    ours_ms=$(median_ms "$work/times.csv" 1)
    least_ms=$(median_ms "$work/times.csv" 2)
    data_ms=$(median_ms "$work/times.csv" 3)
    least_data_ms=$(median_ms "$work/times.csv" 4)
    svg_ms=$(median_ms "$work/times.csv" 5)
    least_svg_ms=$(median_ms "$work/times.csv" 6)
    ratio=$(awk -v a="$ours_ms" -v b="$least_ms" 'BEGIN { printf "%.2f", a / b }')
    data_ratio=$(awk -v a="$data_ms" -v b="$least_data_ms" 'BEGIN { printf "%.2f", a / b }')
    svg_ratio=$(awk -v a="$svg_ms" -v b="$least_svg_ms" 'BEGIN { printf "%.2f", a / b }')
    printf '  wall time   plotmuf %7s ms   least work %7s ms   ratio %s\n' "$ours_ms" "$least_ms" "$ratio"
    printf '  --csv --metrics %7s ms   least work %7s ms   ratio %s (%s x the plain run)\n' "$data_ms" "$least_data_ms" \
        "$data_ratio" "$(awk -v a="$data_ms" -v b="$ours_ms" 'BEGIN { printf "%.2f", a / b }')"
    printf '  --svg       %7s ms   least work %7s ms   ratio %s (%s x the plain run)\n' "$svg_ms" "$least_svg_ms" \
        "$svg_ratio" "$(awk -v a="$svg_ms" -v b="$ours_ms" 'BEGIN { printf "%.2f", a / b }')"
    printf '  cpu         plotmuf %7s ms   least work %7s ms\n' "$(cpu_ms "$work/times.csv" 1)" "$(cpu_ms "$work/times.csv" 2)"
    ours_kib=$(peak_kib "${run[@]}")
    options_kib=$(peak_kib "${data_run[@]}" --svg)
    printf '  peak RSS    plotmuf %7s KiB, with --csv --metrics --svg %s KiB\n' "$ours_kib" "$options_kib"
    svgs=(web/plotMUF?.svg previsioni/previous_RAV3000I2_plots/2*.svg)
    svg_most=$(wc -c "${svgs[@]}" | sort -n | tail -2 | head -1 | awk '{ print $1 }')
    printf '  SVG bytes   the largest of %s: %s B\n' "${#svgs[@]}" "$svg_most"
    rm -f web/*.csv web/*.svg previsioni/previous_RAV3000I2_plots/*.csv previsioni/previous_RAV3000I2_plots/*.svg
    case $station in
    empty | unrecognised) most_m=8 ;;
    quarter) most_m=10 ;;
    year) most_m=30 ;;
    esac
    ours_m=$(instructions "${run[@]}")
    data_m=$(instructions "${data_run[@]}")
    svg_m=$(instructions "${svg_run[@]}")
    feed_m=$(instructions "${run[@]}" --feed)
    rm -f web/latest.json
    rm -f web/*.csv web/*.svg previsioni/previous_RAV3000I2_plots/*.csv previsioni/previous_RAV3000I2_plots/*.svg
    data_times=$(awk -v a="$data_m" -v b="$ours_m" 'BEGIN { printf "%.2f", a / b }')
    svg_times=$(awk -v a="$svg_m" -v b="$ours_m" 'BEGIN { printf "%.2f", a / b }')
    feed_times=$(awk -v a="$feed_m" -v b="$ours_m" 'BEGIN { printf "%.3f", a / b }')
    printf '  callgrind   plotmuf %7s M instructions   target %s M; --csv --metrics %s M (%s x), --svg %s M (%s x), --feed %s M (%s x)\n' \
        "$ours_m" "$most_m" "$data_m" "$data_times" "$svg_m" "$svg_times" "$feed_m" "$feed_times"

    ours_total=0 theirs_total=0 larger=() line=""
    for gif in "${gifs[@]}"; do
        gifsicle -O3 "$gif" -o "$work/O3.gif"
        ours=$(wc -c <"$gif")
        theirs=$(wc -c <"$work/O3.gif")
        ours_total=$((ours_total + ours))
        theirs_total=$((theirs_total + theirs))
        [ "$ours" -gt "$theirs" ] && larger+=("$(basename "$gif") $((ours - theirs)) B larger")
        line+=$(printf '%s %s/%s  ' "$(basename "$gif")" "$ours" "$theirs")
    done
    printf '  GIF bytes   plotmuf %7s B    gifsicle -O3 %6s B\n' "$ours_total" "$theirs_total"
    echo "$line" | fold -s -w 100 | sed 's/^/    /'

    echo "  targets:"
    check "$station: wall time <= 1.25 x least work" \
        "$(awk -v r="$ratio" 'BEGIN { print (r <= 1.25) }')" \
        "$ratio x, $(awk -v a="$ours_ms" -v b="$least_ms" 'BEGIN { printf "%.2f", a - 1.25 * b }') ms over"
    check "$station: peak RSS < 8 MiB" "$((ours_kib < 8192 && options_kib < 8192))" "$ours_kib / $options_kib KiB"
    check "$station: --csv --metrics <= 1.25 x its least work" \
        "$(awk -v r="$data_ratio" 'BEGIN { print (r <= 1.25) }')" "$data_ratio x"
    check "$station: --svg <= 1.25 x its least work" "$(awk -v r="$svg_ratio" 'BEGIN { print (r <= 1.25) }')" \
        "$svg_ratio x"
    check "$station: --csv --metrics <= 1.3 x the run's instructions" \
        "$(awk -v r="$data_times" 'BEGIN { print (r <= 1.3) }')" "$data_times x"
    check "$station: --svg <= 1.3 x the run's instructions" "$(awk -v r="$svg_times" 'BEGIN { print (r <= 1.3) }')" \
        "$svg_times x"
    check "$station: --feed <= 1.05 x the run's instructions" \
        "$(awk -v r="$feed_times" 'BEGIN { print (r <= 1.05) }')" "$feed_times x"
    if [ "$station" = year ]; then
        check "$station: an SVG of a day every 5 minutes <= 40 KB" "$((svg_most <= 40000))" "$svg_most B"
    fi
    check "$station: <= $most_m M instructions" "$(awk -v n="$ours_m" -v t="$most_m" 'BEGIN { print (n <= t) }')" \
        "$ours_m M"
    check "$station: each GIF <= gifsicle -O3" "$((${#larger[@]} == 0))" "${larger[*]:-}"
done

# --- the archive of a year, redrawn ---------------------------------------
folder=$stations/year
cd "$folder"
from=2023-03-05
range=("$plotmuf" --archive "$from" "$today")
"${range[@]}" || { echo "bench/run.sh: plotmuf --archive failed in $folder" >&2; exit 2; }
gif_bytes=$(wc -c <previsioni/previous_RAV3000I2_plots/2024063.gif)
"${range[@]}" --csv || { echo "bench/run.sh: plotmuf --archive --csv failed in $folder" >&2; exit 2; }
csv_bytes=$(wc -c <previsioni/previous_RAV3000I2_plots/2024063.csv)
rm -f previsioni/previous_RAV3000I2_plots/*.csv
floor=("$work/least_range" autoscalati/ SP044_ "$from" 365 "$gif_bytes")
floor_csv=("${floor[@]}" --csv "$csv_bytes")
echo
echo "== a year's archive redrawn: ${range[*]#$work/build/} in the year folder"
range_runs=$(( runs < 10 ? runs : 10 ))
hyperfine -N --warmup 2 --runs "$range_runs" --export-csv "$work/times.csv" "${range[*]}" "${floor[*]}" \
    "${floor[*]} each" "${floor[*]} none" "${run[*]}" >/dev/null 2>&1
# The range with --csv and its least work, run in turn as the months' pair
# below is: the disk's flushes of their 730 files drift too much for runs
# of one after those of the other.
pairs=${PAIRS:-21}
first=("${range[@]}" --csv)
second=("${floor_csv[@]}")
read -r csv_ms least_csv_ms < <(interleaved_ms "$pairs")
rm -f previsioni/previous_RAV3000I2_plots/floor* previsioni/previous_RAV3000I2_plots/.floor* \
    previsioni/previous_RAV3000I2_plots/*.csv
ours_ms=$(median_ms "$work/times.csv" 1)
least_ms=$(median_ms "$work/times.csv" 2)
each_ms=$(median_ms "$work/times.csv" 3)
none_ms=$(median_ms "$work/times.csv" 4)
run_ms=$(median_ms "$work/times.csv" 5)
ratio=$(awk -v a="$ours_ms" -v b="$least_ms" 'BEGIN { printf "%.2f", a / b }')
csv_ratio=$(awk -v a="$csv_ms" -v b="$least_csv_ms" 'BEGIN { printf "%.2f", a / b }')
printf '  wall time   plotmuf %8s ms   least work %8s ms   ratio %s\n' "$ours_ms" "$least_ms" "$ratio"
printf '  with --csv  %8s ms   least work %8s ms   ratio %s (%s x the plain redraw; medians of %s interleaved pairs)\n' \
    "$csv_ms" "$least_csv_ms" "$csv_ratio" "$(awk -v a="$csv_ms" -v b="$ours_ms" 'BEGIN { printf "%.2f", a / b }')" "$pairs"
printf '  cpu         plotmuf %8s ms   least work %8s ms\n' "$(cpu_ms "$work/times.csv" 1)" "$(cpu_ms "$work/times.csv" 2)"
printf '  durability  the least work with its 365 files flushed 32 at a time %s ms, one at a time %s ms, not at all %s ms\n' \
    "$least_ms" "$each_ms" "$none_ms"
printf '  per day     the range %s ms, a scheduled run here %s ms (%s ms for each of its six days)\n' \
    "$(awk -v a="$ours_ms" 'BEGIN { printf "%.2f", a / 365 }')" "$run_ms" "$(awk -v a="$run_ms" 'BEGIN { printf "%.2f", a / 6 }')"
year_kib=$(peak_kib "${range[@]}")
years_kib=$(peak_kib "$plotmuf" --archive 2020-03-04 "$today")
printf '  peak RSS    a year %s KiB, four years %s KiB\n' "$year_kib" "$years_kib"
range_m=$(instructions "${range[@]}")
printf '  callgrind   plotmuf %8s M instructions   target 800 M\n' "$range_m"
echo "  targets:"
check "range: wall time <= least work" "$(awk -v r="$ratio" 'BEGIN { print (r <= 1.0) }')" \
    "$ratio x, $(awk -v a="$ours_ms" -v b="$least_ms" 'BEGIN { printf "%.0f", a - b }') ms over"
check "range: --csv <= 1.25 x its least work" "$(awk -v r="$csv_ratio" 'BEGIN { print (r <= 1.25) }')" "$csv_ratio x"
check "range: peak RSS < 8 MiB" "$(( year_kib < 8192 && years_kib < 8192 ))" "$year_kib / $years_kib KiB"
check "range: <= 800 M instructions" "$(awk -v n="$range_m" 'BEGIN { print (n <= 800) }')" "$range_m M"

# --- the month's product ---------------------------------------------------
echo
echo "== --monthly in the year folder"
"${range[@]}" --csv >/dev/null 2>&1 || { echo "bench/run.sh: plotmuf --archive --csv failed in $folder" >&2; exit 2; }
monthly_run=("${run[@]}" --monthly)
"${monthly_run[@]}" || { echo "bench/run.sh: plotmuf --monthly failed in $folder" >&2; exit 2; }
csv_bytes=$(wc -c <web/plotMUF6.csv)
stems=()
for day in 058 059 060 061 062 063; do stems+=("SP044_2024$day"); done
least_monthly=("$work/least_work" autoscalati/ 00.TXT "$(wc -c <web/plotMUF6.gif)" "${stems[@]}" --csv "$csv_bytes" --months 2024-02 2024-03)
hyperfine -N --warmup 5 --runs "$runs" --export-csv "$work/times.csv" "${monthly_run[*]}" "${least_monthly[*]}" \
    >/dev/null 2>&1
# The year's range with --monthly and with --csv, run in turn, each pair in
# the other order than the one before, so that the machine's drift and its
# other work fall on both alike: the medians of $pairs pairs.
first=("${range[@]}" --csv)
second=("${range[@]}" --monthly)
interleaved_ms 2 >/dev/null
read -r range_csv_ms range_monthly_ms < <(interleaved_ms "$pairs")
rm -f previsioni/floor* web/floor* previsioni/previous_RAV3000I2_plots/floor*
monthly_ms=$(median_ms "$work/times.csv" 1)
least_ms=$(median_ms "$work/times.csv" 2)
monthly_ratio=$(awk -v a="$monthly_ms" -v b="$least_ms" 'BEGIN { printf "%.2f", a / b }')
range_ratio=$(awk -v a="$range_monthly_ms" -v b="$range_csv_ms" 'BEGIN { printf "%.3f", a / b }')
csv_m=$(instructions "${range[@]}" --csv)
monthly_m=$(instructions "${range[@]}" --monthly)
m_ratio=$(awk -v a="$monthly_m" -v b="$csv_m" 'BEGIN { printf "%.3f", a / b }')
rm -f previsioni/previous_RAV3000I2_plots/*.csv previsioni/previous_RAV3000I2_plots/2???-??.gif web/*.csv
printf '  scheduled   --monthly %s ms   least work %s ms   ratio %s (target <= 1.25; medians of %s runs)\n' \
    "$monthly_ms" "$least_ms" "$monthly_ratio" "$runs"
printf '  year range  --csv %s ms   --monthly %s ms   ratio %s (target <= 1.1; medians of %s interleaved pairs)\n' \
    "$range_csv_ms" "$range_monthly_ms" "$range_ratio" "$pairs"
printf '  callgrind   --csv %s M   --monthly %s M   ratio %s (target <= 1.1)\n' "$csv_m" "$monthly_m" "$m_ratio"
echo "  targets:"
check "monthly: wall time <= 1.25 x least work" "$(awk -v r="$monthly_ratio" 'BEGIN { print (r <= 1.25) }')" \
    "$monthly_ratio x"
check "range: --monthly <= 1.1 x --csv, wall time" "$(awk -v r="$range_ratio" 'BEGIN { print (r <= 1.1) }')" \
    "$range_ratio x"
check "range: --monthly <= 1.1 x --csv, instructions" "$(awk -v r="$m_ratio" 'BEGIN { print (r <= 1.1) }')" \
    "$m_ratio x"

echo
if [ "${#missed[@]}" -eq 0 ]; then
    echo "All targets met."
else
    echo "Targets missed on this machine:"
    printf '  %s\n' "${missed[@]}"
fi
[ "${#missed[@]}" -eq 0 ] || exit 1
