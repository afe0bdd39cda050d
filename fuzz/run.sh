#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a fixed number of
# executions, starting from its seed corpus in fuzz/corpus/<target>/.
#
#   fuzz/run.sh [RUNS] [BUILD_FOLDER]     default: 1000000 executions, build-fuzz
#
# New inputs that libFuzzer finds go to a temporary folder, not into the
# repository's corpus. A finding stops the script with libFuzzer's report
# and leaves the failing input (crash-*, leak-*, timeout-*) in the current
# folder; reproduce it with  BUILD_FOLDER/fuzz/fuzz_<target> <file>.
set -euo pipefail
runs=${1:-1000000}
build=${2:-build-fuzz}
root=$(cd "$(dirname "$0")/.." && pwd)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DPLOTMUF_FUZZ=ON -DPLOTMUF_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null

# The readers' files are written afresh for every input: in memory where possible.
scratch=$(mktemp -d "$( [ -d /dev/shm ] && [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/plotmuf-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

for target in configuration forecast observed_values bmp day_csv; do
    # Lines longer than the 4096-byte read buffer; BMP seeds are small pictures.
    max_len=$([ "$target" = bmp ] && echo 4096 || echo 10000)
    mkdir -p "$scratch/corpus-$target"
    start=$SECONDS
    TMPDIR="$scratch" "$build/fuzz/fuzz_$target" -runs="$runs" -max_len="$max_len" -timeout=10 -rss_limit_mb=512 \
        -print_final_stats=1 "$scratch/corpus-$target" "$root/fuzz/corpus/$target" 2>"$scratch/log-$target" ||
        { cat "$scratch/log-$target"; echo "fuzz_$target: FINDING" >&2; exit 1; }
    echo "fuzz_$target: $(grep -o 'Done [0-9]* runs' "$scratch/log-$target" | cut -d' ' -f2) executions, no finding ($((SECONDS - start)) s)"
done
