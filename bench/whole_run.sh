#!/usr/bin/env bash
# Times a whole run of quarlen against the fprintf yardstick for the input 0, 10, 4, 300
# (453,231 fixed-point records), stdout to /dev/null, logs in a scratch folder; best of
# several runs, and the peak memory of each. The same run with the built-in functions
# typed as formulas must take at most 1.25 times as long, and stay under 8 MiB at four
# million steps.
#
#   bench/whole_run.sh [build-dir] [runs]      (default: build/test, 7)
set -euo pipefail

build=$(realpath "${1:-build/test}")
runs=${2:-7}
quarlen=$build/quarlen/quarlen
baseline=$build/bench/fprintf_baseline
input=$'0\n10\n4\n300\n'

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

typed=(-f 'x^3 + 100*x - 5*x^2 - 400' --ableitung '3*x^2 - 10*x + 100'
    -g 'exp(-x) - 0.1/(x + 1) + x')

# Best wall-clock microseconds and peak resident KiB over $runs runs of the command
# "$2"... on the input "$1".
measure() {
    local input=$1 best="" peak=0 start end us rss
    shift
    for ((i = 0; i < runs; i++)); do
        start=${EPOCHREALTIME/./}
        /usr/bin/time -f '%M' -o rss.txt "$@" <<<"$input" >/dev/null
        end=${EPOCHREALTIME/./}
        us=$((end - start))
        read -r rss <rss.txt
        if [[ -z $best ]] || ((us < best)); then best=$us; fi
        ((rss > peak)) && peak=$rss
    done
    echo "$best $peak"
}

# The built-in and the typed run in turns, so that both meet the same load of a shared
# machine; the best of each.
q_time="" t_time="" q_rss=0 t_rss=0
for ((k = 0; k < runs; k++)); do
    read -r time rss < <(runs=1 measure "$input" "$quarlen")
    if [[ -z $q_time ]] || ((time < q_time)); then q_time=$time; fi
    ((rss > q_rss)) && q_rss=$rss
    read -r time rss < <(runs=1 measure "$input" "$quarlen" "${typed[@]}")
    if [[ -z $t_time ]] || ((time < t_time)); then t_time=$time; fi
    ((rss > t_rss)) && t_rss=$rss
done
records=$(($(wc -l <fixpk_f1.dat) - 1))
read -r b_time b_rss < <(measure "$input" "$baseline")
# Memory must not grow with the number of steps: ten times the records, same peak.
read -r long_time long_rss < <(runs=1 measure $'0\n10\n4\n900\n' "$quarlen")
long_records=$(($(wc -l <fixpk_f1.dat) - 1))
read -r tlong_time tlong_rss < <(runs=1 measure $'0\n10\n4\n900\n' "$quarlen" "${typed[@]}")

ms() { echo $(($1 / 1000)); }
printf 'fixed-point records: %d\n' "$records"
printf '%-18s %10s %14s\n' program "best ms" "peak RSS KiB"
printf '%-18s %10s %14s\n' quarlen "$(ms "$q_time")" "$q_rss" "quarlen, typed" "$(ms "$t_time")" \
    "$t_rss" fprintf_baseline "$(ms "$b_time")" "$b_rss"
printf 'quarlen with %d fixed-point records: %s ms, peak RSS %s KiB\n' "$long_records" \
    "$(ms "$long_time")" "$long_rss"
printf 'quarlen, typed, with %d fixed-point records: %s ms, peak RSS %s KiB\n' "$long_records" \
    "$(ms "$tlong_time")" "$tlong_rss"
awk -v q="$q_time" -v b="$b_time" 'BEGIN { printf "speed-up: %.1fx\n", b / q }'
awk -v q="$q_time" -v t="$t_time" \
    'BEGIN { printf "typed formulas: %.2fx the built-in run (at most 1.25x)\n", t / q }'
