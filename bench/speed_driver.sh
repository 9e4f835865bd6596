#!/usr/bin/env bash
# Runs sotra and its two floors (bench/write_floor, bench/compute_floor)
# side by side, interleaved round by round (the order turns each round),
# for N = 10^5, 10^6 and 10^7 points, each run in a fresh temporary
# directory with a stub plotter first on PATH; prints each round with its
# ratios to the write-only floor, the medians, the ratios of the medians
# and the peak memory (the largest of the rounds), the medians of the
# processor time (user and system) beside them, then the start-up time.
#   bench/speed_driver.sh [build directory] [rounds] [sizes...]
#
# Every run is started by bench/run_timed: one fork and exec, no shell and
# no time(1) in between, so the times hold only the program's own start,
# work and exit. The peak memory is the child's largest resident set (for
# sotra, that of the plotter's shell too, if larger).
#
# Start-up is a one-point run, median of 31. sotra ends by running the
# plotter command through /bin/sh, here the stub plotter, so the driver also
# times that command alone, as sotra runs it, and a one-point run of the
# write-only floor: the difference of the first two is sotra's own.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-5}
shift 2 2>/dev/null || shift $#
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000 10000000)
run_timed="$build/run_timed"
[ -x "$run_timed" ] || run_timed="$(dirname "$build")/run_timed"
[ -x "$run_timed" ] || { echo "speed_driver: no run_timed beside $build" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# The stub plotter: true(1) under the plotter's name, which ignores its
# arguments and succeeds, so that the plotter costs one exec.
for t in /bin/true /usr/bin/true; do [ -x "$t" ] && { ln -s "$t" "$work/bin/wgnuplot"; break; }; done
[ -x "$work/bin/wgnuplot" ] || { echo "speed_driver: no true(1) for the stub plotter" >&2; exit 2; }
export PATH="$work/bin:$PATH"

programs=(write_floor compute_floor sotra)

# One run in a fresh directory: "seconds peak-KiB". The files must hold the
# 68 N + 26 bytes of an N-point run.
measure() {  # program points
    local dir
    dir=$(mktemp -d -p "$work")
    printf '1 1 %s\n2 345\n' "$2" > "$dir/answers"
    local t m status cpu
    if [ "$1" = sotra ]; then
        read -r t m status cpu < <("$run_timed" "$dir" "$dir/answers" "$build/sotra")
    else
        read -r t m status cpu < <("$run_timed" "$dir" - "$build/$1" "$2")
    fi
    [ "$status" -eq 0 ] || { echo "speed_driver: $1 exited with $status" >&2; exit 1; }
    local bytes
    bytes=$(( $(stat -c %s "$dir/SOTRA.DAT") + $(stat -c %s "$dir/SOTRA.GNP") ))
    [ "$bytes" -eq $((68 * $2 + 26)) ] || { echo "speed_driver: $1 wrote $bytes bytes for $2 points" >&2; exit 1; }
    echo "$t $m $cpu"
    rm -rf "$dir"
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for n in "${sizes[@]}"; do
    echo "N = $n"
    declare -A times=() memory=() cpus=()
    for round in $(seq "$rounds"); do
        declare -A this=()
        # Turn the order each round, so that no program always runs first.
        for k in 0 1 2; do
            program=${programs[$(( (k + round - 1) % 3 ))]}
            read -r t m c < <(measure "$program" "$n")
            this[$program]=$t
            times[$program]+="$t "
            cpus[$program]+="$c "
            [ "${memory[$program]:-0}" -ge "$m" ] || memory[$program]=$m
        done
        line="  round $round:"
        for program in "${programs[@]}"; do line+=$(printf ' %s %.3f s' "$program" "${this[$program]}"); done
        line+=$(awk -v f="${this[write_floor]}" -v c="${this[compute_floor]}" -v s="${this[sotra]}" \
            'BEGIN {if (f > 0) printf "  ratios: compute %.2f sotra %.2f", c / f, s / f}')
        echo "$line"
        unset this
    done
    for program in "${programs[@]}"; do
        med=$(echo "${times[$program]}" | tr ' ' '\n' | grep . | median)
        cpu=$(echo "${cpus[$program]}" | tr ' ' '\n' | grep . | median)
        printf '  median %-13s %.3f s  (cpu %.3f s)  peak %s KiB\n' "$program" "$med" "$cpu" "${memory[$program]}"
        eval "median_$program=$med"
        eval "cpu_$program=$cpu"
    done
    awk -v f="$median_write_floor" -v c="$median_compute_floor" -v s="$median_sotra" \
        'BEGIN {if (f > 0) printf "  median ratios to the write-only floor: compute %.2f, sotra %.2f\n", c / f, s / f}'
    awk -v f="$cpu_write_floor" -v c="$cpu_compute_floor" -v s="$cpu_sotra" \
        'BEGIN {if (f > 0) printf "  processor-time ratios (medians): compute %.2f, sotra %.2f\n", c / f, s / f}'
    unset times memory cpus
done

# Start-up: one-point runs, and the plotter command alone.
startup() {  # what: sotra | write_floor | plotter; prints "wall-median cpu-median"
    local samples=() cpus=() dir t m status cpu
    for _ in $(seq 31); do
        dir=$(mktemp -d -p "$work")
        printf '1 1 1\n2 345\n' > "$dir/answers"
        case $1 in
            sotra) read -r t m status cpu < <("$run_timed" "$dir" "$dir/answers" "$build/sotra") ;;
            write_floor) read -r t m status cpu < <("$run_timed" "$dir" - "$build/write_floor" 1) ;;
            plotter) read -r t m status cpu < <("$run_timed" "$dir" - /bin/sh -c "wgnuplot sotra.gnp -") ;;
        esac
        [ "$status" -eq 0 ] || { echo "speed_driver: start-up run of $1 exited with $status" >&2; exit 1; }
        samples+=("$t")
        cpus+=("$cpu")
        rm -rf "$dir"
    done
    echo "$(printf '%s\n' "${samples[@]}" | median) $(printf '%s\n' "${cpus[@]}" | median)"
}
read -r s sc < <(startup sotra)
read -r p pc < <(startup plotter)
read -r w wc < <(startup write_floor)
awk -v s="$s" -v p="$p" -v w="$w" -v sc="$sc" -v pc="$pc" -v wc="$wc" 'BEGIN {
    printf "start-up (N = 1, medians of 31, wall and processor time):\n"
    printf "  sotra, with the stub plotter it runs through /bin/sh: %.2f ms wall, %.2f ms cpu\n", s * 1000, sc * 1000
    printf "  the plotter command alone (/bin/sh -c \"wgnuplot sotra.gnp -\"): %.2f ms wall, %.2f ms cpu\n", p * 1000, pc * 1000
    printf "  write-only floor, one point: %.2f ms wall, %.2f ms cpu\n", w * 1000, wc * 1000
    printf "  sotra less the plotter command: about %.2f ms wall, %.2f ms cpu\n", (s - p) * 1000, (sc - pc) * 1000
}'
