#!/bin/sh
# Builds bench/gif_size.cpp with the GIF writer and compares the size of our
# GIF files with `gifsicle -O3` of the same files, and times the encoder.
# Needs g++ and gifsicle.
#   sh bench/gif_size.sh [WORK_FOLDER]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/gif_size.XXXXXX")}
mkdir -p "$work"
${CXX:-g++} -std=c++20 -O2 -Wall -Wextra -Werror -I"$root" \
    "$root/bench/gif_size.cpp" "$root/export/gif.cpp" -o "$work/gif_size"
"$work/gif_size" "$work/pictures"
