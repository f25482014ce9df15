#!/usr/bin/env bash
# Times a whole run of quarlen against the fprintf yardstick for the input 0, 10, 4, 300
# (453,231 fixed-point records), stdout to /dev/null, logs in a scratch folder; best of
# several runs, and the peak memory of each.
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

# Best wall-clock milliseconds and peak resident KiB over $runs runs of "$1" on "$2".
measure() {
    local best="" peak=0 start end us rss
    for ((i = 0; i < runs; i++)); do
        start=${EPOCHREALTIME/./}
        /usr/bin/time -f '%M' -o rss.txt "$1" <<<"$2" >/dev/null
        end=${EPOCHREALTIME/./}
        us=$((end - start))
        read -r rss <rss.txt
        if [[ -z $best ]] || ((us < best)); then best=$us; fi
        ((rss > peak)) && peak=$rss
    done
    echo "$((best / 1000)) $peak"
}

read -r q_time q_rss < <(measure "$quarlen" "$input")
records=$(($(wc -l <fixpk_f1.dat) - 1))
read -r b_time b_rss < <(measure "$baseline" "$input")
# Memory must not grow with the number of steps: ten times the records, same peak.
read -r long_time long_rss < <(runs=1 measure "$quarlen" $'0\n10\n4\n900\n')
long_records=$(($(wc -l <fixpk_f1.dat) - 1))

printf 'fixed-point records: %d\n' "$records"
printf '%-18s %10s %14s\n' program "best ms" "peak RSS KiB"
printf '%-18s %10s %14s\n' quarlen "$q_time" "$q_rss" fprintf_baseline "$b_time" "$b_rss"
printf 'quarlen with %d fixed-point records: %s ms, peak RSS %s KiB\n' "$long_records" "$long_time" "$long_rss"
awk -v q="$q_time" -v b="$b_time" 'BEGIN { printf "speed-up: %.1fx\n", b / q }'
