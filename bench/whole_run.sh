#!/usr/bin/env bash
# Times a whole run of quarlen for the input 0, 10, 4, 300 (453,231 fixed-point records),
# stdout to /dev/null, logs in a scratch folder, against two yardsticks in the same run:
# quarlen_to_chars, quarlen built with its 64-bit reals written by std::to_chars instead
# of scientific17, and fprintf_baseline, the straightforward fprintf program. The runs of
# the three alternate, so that a change in the machine's load meets all of them; best of
# several runs, and the peak memory of each.
#
#   bench/whole_run.sh [build-dir] [runs]      (default: build/test, 7)
#
# On a busy machine, pin it to one core: taskset -c 1 bench/whole_run.sh
set -euo pipefail

build=$(realpath "${1:-build/test}")
runs=${2:-7}
programs=("$build/quarlen/quarlen" "$build/bench/quarlen_to_chars" "$build/bench/fprintf_baseline")
names=(quarlen quarlen_to_chars fprintf_baseline)
input=$'0\n10\n4\n300\n'

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

# Wall-clock microseconds of one run of "$1" on "$2", then its peak resident KiB from a
# second run under GNU time (whose own start would count in the first). The logs of the
# run before are removed first, outside the timing, so that no run waits for the disk to
# take the last one's 28 MB.
time_once() {
    local start end rss
    rm -f ./*.dat
    start=${EPOCHREALTIME/./}
    "$1" <<<"$2" >/dev/null
    end=${EPOCHREALTIME/./}
    rm -f ./*.dat
    /usr/bin/time -f '%M' -o rss.txt "$1" <<<"$2" >/dev/null
    read -r rss <rss.txt
    echo "$((end - start)) $rss"
}

declare -a best peak
for ((i = 0; i < runs; i++)); do
    for p in "${!programs[@]}"; do
        read -r us rss < <(time_once "${programs[p]}" "$input")
        if [[ -z ${best[p]:-} ]] || ((us < best[p])); then best[p]=$us; fi
        ((rss > ${peak[p]:-0})) && peak[p]=$rss
    done
done
records=$(($(wc -l <fixpk_f1.dat) - 1))
# Memory must not grow with the number of steps: ten times the records, same peak.
read -r long_us long_rss < <(time_once "${programs[0]}" $'0\n10\n4\n900\n')
long_records=$(($(wc -l <fixpk_f1.dat) - 1))

printf 'fixed-point records: %d\n' "$records"
printf '%-18s %10s %14s\n' program "best ms" "peak RSS KiB"
for p in "${!programs[@]}"; do
    printf '%-18s %10s %14s\n' "${names[p]}" "$((best[p] / 1000))" "${peak[p]}"
done
printf 'quarlen with %d fixed-point records: %s ms, peak RSS %s KiB\n' \
    "$long_records" "$((long_us / 1000))" "$long_rss"
awk -v q="${best[0]}" -v t="${best[1]}" -v b="${best[2]}" 'BEGIN {
    printf "scientific17 against to_chars: %.2fx\n", t / q
    printf "speed-up against fprintf: %.1fx\n", b / q
}'
