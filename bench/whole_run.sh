#!/usr/bin/env bash
# Times a whole run of quarlen for the input 0, 10, 4, 300 (453,231 fixed-point records),
# stdout to /dev/null, logs in a scratch folder, side by side with:
#   - the same run with the built-in functions typed as formulas (at most 1.05 times the
#     built-in run's time, under 8 MiB at four million steps);
#   - record_floor, the cheapest program that writes the same bytes (checked with cmp
#     first): quarlen should take at most 1.15 times its time and 1.3 times its
#     instructions;
#   - quarlen_to_chars, quarlen built with its 64-bit reals written by std::to_chars
#     instead of scientific17, and fprintf_baseline, the straightforward fprintf program.
# Each is timed as CPU time, the best of several runs, the runs of all of them
# alternating so that a change in the machine's load meets every one; then, where
# valgrind is installed, the instructions each executes, which no load changes.
#
#   bench/whole_run.sh [build-dir] [runs]      (default: build/test, 11)
set -euo pipefail

build=$(realpath "${1:-build/test}")
runs=${2:-11}
quarlen=$build/quarlen/quarlen
cpu_time=$build/bench/cpu_time
program0=("$quarlen")
program1=("$quarlen" -f 'x^3 + 100*x - 5*x^2 - 400' --ableitung '3*x^2 - 10*x + 100'
    -g 'exp(-x) - 0.1/(x + 1) + x')
program2=("$build/bench/record_floor")
program3=("$build/bench/quarlen_to_chars")
program4=("$build/bench/fprintf_baseline")
names=(quarlen "quarlen, typed" record_floor quarlen_to_chars fprintf_baseline)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
printf '0\n10\n4\n300\n' >standard.in
printf '0\n10\n4\n900\n' >long.in

# The floor must write quarlen's bytes, or it is no floor.
mkdir same
(cd same && "$quarlen" <../standard.in >out && mkdir floor && cd floor &&
    "${program2[@]}" <../../standard.in >out)
for f in out bisec_f1.dat newto_f1.dat fixpk_f1.dat; do
    cmp "same/$f" "same/floor/$f"
done
rm -rf same

# CPU microseconds and peak KiB of one run of program number "$1" on input file "$2".
# The logs of the run before are removed first, so that no run waits for the disk to
# take the last one's 28 MB.
time_once() {
    local -n command="program$1"
    rm -f ./*.dat
    "$cpu_time" "$2" "${command[@]}"
}

declare -a best peak
for ((i = 0; i < runs; i++)); do
    for p in "${!names[@]}"; do
        read -r us rss < <(time_once "$p" standard.in)
        if [[ -z ${best[p]:-} ]] || ((us < best[p])); then best[p]=$us; fi
        ((rss > ${peak[p]:-0})) && peak[p]=$rss
    done
done
records=$(($(wc -l <fixpk_f1.dat) - 1))
# Memory must not grow with the number of steps: ten times the records, same peak.
read -r long_us long_rss < <(time_once 0 long.in)
long_records=$(($(wc -l <fixpk_f1.dat) - 1))
read -r tlong_us tlong_rss < <(time_once 1 long.in)

declare -a instructions
if command -v valgrind >/dev/null; then
    for p in "${!names[@]}"; do
        declare -n command="program$p"
        rm -f ./*.dat
        instructions[p]=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null \
            "${command[@]}" <standard.in 2>&1 >/dev/null | sed -n 's/.*Collected : //p')
        unset -n command
    done
fi

printf 'fixed-point records: %d\n' "$records"
printf '%-18s %12s %14s %16s\n' program "best CPU ms" "peak RSS KiB" instructions
for p in "${!names[@]}"; do
    printf '%-18s %12s %14s %16s\n' "${names[p]}" \
        "$(awk -v us="${best[p]}" 'BEGIN { printf "%.1f", us / 1000 }')" "${peak[p]}" \
        "${instructions[p]:--}"
done
printf 'quarlen with %d fixed-point records: %s ms, peak RSS %s KiB\n' \
    "$long_records" "$((long_us / 1000))" "$long_rss"
printf 'quarlen, typed, with %d fixed-point records: %s ms, peak RSS %s KiB\n' \
    "$long_records" "$((tlong_us / 1000))" "$tlong_rss"
awk -v q="${best[0]}" -v f="${best[1]}" -v fl="${best[2]}" -v t="${best[3]}" -v b="${best[4]}" \
    -v qi="${instructions[0]:-0}" -v fli="${instructions[2]:-0}" 'BEGIN {
    printf "typed formulas: %.2fx the built-in run (at most 1.05x)\n", f / q
    printf "against the floor: %.2fx its CPU time (at most 1.15x)", q / fl
    if (fli > 0) printf ", %.2fx its instructions (at most 1.3x)", qi / fli
    printf "\nscientific17 against to_chars: %.2fx\n", t / q
    printf "speed-up against fprintf: %.1fx\n", b / q
}'
