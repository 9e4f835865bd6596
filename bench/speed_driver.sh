#!/usr/bin/env bash
# Runs sotra and its two floors (bench/write_floor, bench/compute_floor)
# side by side, interleaved round by round, for N = 10^5, 10^6 and 10^7
# points, each run in a fresh temporary directory with a stub plotter;
# prints each round, the medians, the ratios to the write-only floor and the
# peak memory, then the start-up time of a one-point run.
#   bench/speed_driver.sh [build directory] [rounds] [sizes...]
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-5}
shift 2 2>/dev/null || shift $#
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000 10000000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nexit 0\n' > "$work/bin/wgnuplot"
chmod +x "$work/bin/wgnuplot"
export PATH="$work/bin:$PATH"

# One run in a fresh directory: "seconds peak-KiB".
measure() {  # program points
    local dir
    dir=$(mktemp -d -p "$work")
    printf '1 1 %s\n2 345\n' "$2" > "$dir/answers"
    local start end
    start=$(date +%s%N)
    if [ "$1" = sotra ]; then
        (cd "$dir" && /usr/bin/time -f '%M' -o "$dir/time" "$build/sotra" < answers > /dev/null)
    else
        (cd "$dir" && /usr/bin/time -f '%M' -o "$dir/time" "$build/$1" "$2")
    fi
    end=$(date +%s%N)
    local bytes
    bytes=$(( $(stat -c %s "$dir/SOTRA.DAT") + $(stat -c %s "$dir/SOTRA.GNP") ))
    [ "$bytes" -eq $((68 * $2 + 26)) ] || { echo "speed_driver: $1 wrote $bytes bytes for $2 points" >&2; exit 1; }
    echo "$(awk -v a="$start" -v b="$end" 'BEGIN {print (b - a) / 1e9}') $(cat "$dir/time")"
    rm -rf "$dir"
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for n in "${sizes[@]}"; do
    echo "N = $n"
    declare -A times=() memory=()
    for round in $(seq "$rounds"); do
        line="  round $round:"
        for program in write_floor compute_floor sotra; do
            read -r t m < <(measure "$program" "$n")
            times[$program]+="$t "
            memory[$program]=$m
            line+=$(printf ' %s %.3f s' "$program" "$t")
        done
        floor=$(echo "${times[write_floor]}" | awk '{print $NF}')
        compute=$(echo "${times[compute_floor]}" | awk '{print $NF}')
        own=$(echo "${times[sotra]}" | awk '{print $NF}')
        line+=$(awk -v f="$floor" -v c="$compute" -v s="$own" \
            'BEGIN {if (f > 0) printf "  ratios: compute %.2f sotra %.2f", c / f, s / f}')
        echo "$line"
    done
    for program in write_floor compute_floor sotra; do
        med=$(echo "${times[$program]}" | tr ' ' '\n' | grep . | median)
        printf '  median %-13s %.3f s  peak %s KiB\n' "$program" "$med" "${memory[$program]}"
        eval "median_$program=$med"
    done
    awk -v f="$median_write_floor" -v c="$median_compute_floor" -v s="$median_sotra" \
        'BEGIN {if (f > 0) printf "  median ratios to the write-only floor: compute %.2f, sotra %.2f\n", c / f, s / f}'
    unset times memory
done

# Start-up: a one-point run, many times.
startup=()
for i in $(seq 30); do
    dir=$(mktemp -d -p "$work")
    start=$(date +%s%N)
    (cd "$dir" && printf '1 1 1\n2 345\n' | "$build/sotra" > /dev/null)
    end=$(date +%s%N)
    startup+=($(( (end - start) / 1000 )))
    rm -rf "$dir"
done
printf '%s\n' "${startup[@]}" | median | awk '{printf "start-up (N = 1, stub plotter included): median %.2f ms\n", $1 / 1000}'
