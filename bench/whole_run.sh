#!/usr/bin/env bash
# Times a whole run of quarlen for the input 0, 10, 4, 300 (453,231 fixed-point records),
# stdout to /dev/null, logs in a scratch folder, beside the same run with the built-in
# functions typed as formulas (at most 1.05 times as long, under 8 MiB at four million
# steps) and two yardsticks: quarlen_to_chars, quarlen built with its 64-bit reals written
# by std::to_chars instead of scientific17, and fprintf_baseline, the straightforward
# fprintf program. The runs of the four alternate, so that a change in the machine's load
# meets all of them; best of several runs, and the peak memory of each.
#
#   bench/whole_run.sh [build-dir] [runs]      (default: build/test, 7)
#
# On a busy machine, pin it to one core: taskset -c 1 bench/whole_run.sh
set -euo pipefail

build=$(realpath "${1:-build/test}")
runs=${2:-7}
quarlen=$build/quarlen/quarlen
program0=("$quarlen")
program1=("$quarlen" -f 'x^3 + 100*x - 5*x^2 - 400' --ableitung '3*x^2 - 10*x + 100'
    -g 'exp(-x) - 0.1/(x + 1) + x')
program2=("$build/bench/quarlen_to_chars")
program3=("$build/bench/fprintf_baseline")
names=(quarlen "quarlen, typed" quarlen_to_chars fprintf_baseline)
input=$'0\n10\n4\n300\n'

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

# Wall-clock microseconds of one run of program number "$1" on "$2", then its peak
# resident KiB from a second run under GNU time (whose own start would count in the
# first). The logs of the run before are removed first, outside the timing, so that no
# run waits for the disk to take the last one's 28 MB.
time_once() {
    local -n command="program$1"
    local start end rss
    rm -f ./*.dat
    start=${EPOCHREALTIME/./}
    "${command[@]}" <<<"$2" >/dev/null
    end=${EPOCHREALTIME/./}
    rm -f ./*.dat
    /usr/bin/time -f '%M' -o rss.txt "${command[@]}" <<<"$2" >/dev/null
    read -r rss <rss.txt
    echo "$((end - start)) $rss"
}

declare -a best peak
for ((i = 0; i < runs; i++)); do
    for p in "${!names[@]}"; do
        read -r us rss < <(time_once "$p" "$input")
        if [[ -z ${best[p]:-} ]] || ((us < best[p])); then best[p]=$us; fi
        ((rss > ${peak[p]:-0})) && peak[p]=$rss
    done
done
records=$(($(wc -l <fixpk_f1.dat) - 1))
# Memory must not grow with the number of steps: ten times the records, same peak.
read -r long_us long_rss < <(time_once 0 $'0\n10\n4\n900\n')
long_records=$(($(wc -l <fixpk_f1.dat) - 1))
read -r tlong_us tlong_rss < <(time_once 1 $'0\n10\n4\n900\n')

printf 'fixed-point records: %d\n' "$records"
printf '%-18s %10s %14s\n' program "best ms" "peak RSS KiB"
for p in "${!names[@]}"; do
    printf '%-18s %10s %14s\n' "${names[p]}" "$((best[p] / 1000))" "${peak[p]}"
done
printf 'quarlen with %d fixed-point records: %s ms, peak RSS %s KiB\n' \
    "$long_records" "$((long_us / 1000))" "$long_rss"
printf 'quarlen, typed, with %d fixed-point records: %s ms, peak RSS %s KiB\n' \
    "$long_records" "$((tlong_us / 1000))" "$tlong_rss"
awk -v q="${best[0]}" -v f="${best[1]}" -v t="${best[2]}" -v b="${best[3]}" 'BEGIN {
    printf "typed formulas: %.2fx the built-in run (at most 1.05x)\n", f / q
    printf "scientific17 against to_chars: %.2fx\n", t / q
    printf "speed-up against fprintf: %.1fx\n", b / q
}'
