#!/usr/bin/env bash
# Times one whole run of the built program over a sweep of N points
# (default one million), in a fresh temporary directory with a plotter
# stub first on PATH, over a few rounds; prints each round and the median.
#   bench/sweep_million.sh [path/to/sotra] [points] [rounds]
set -euo pipefail
sotra=$(realpath "${1:-build/sotra}")
points=${2:-1000000}
rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nexit 0\n' > "$work/bin/wgnuplot"
chmod +x "$work/bin/wgnuplot"
times=()
for round in $(seq "$rounds"); do
    start=$(date +%s.%N)
    (cd "$work" && printf '1 1 %s\n2 345\n' "$points" | PATH="$work/bin:$PATH" "$sotra" > /dev/null)
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
    times+=("$t")
    printf 'round %d: %.3f s\n' "$round" "$t"
done
lines=$(wc -l < "$work/SOTRA.DAT")
printf 'points written: %s\n' "$lines"
printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "median: %.3f s\n", a[int((NR+1)/2)]}'
