#!/usr/bin/env bash
# The WebAssembly programs under node, run as a person or a script runs the native ones.
# Every case runs its steps twice, in a folder for node and one for the native programs:
# standard output and error, the exit status and every file written must be the same
# bytes; quarlen's console and logs must also be the golden ones.
#
#   node_runs.sh NODE WEB_BUILD NATIVE_BUILD GOLDEN_DIR
set -uo pipefail

if (($# != 4)); then
    echo "usage: node_runs.sh NODE WEB_BUILD NATIVE_BUILD GOLDEN_DIR" >&2
    exit 2
fi
node=$1
web=$(realpath "$2") native=$(realpath "$3") golden=$(realpath "$4") || exit 2
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

failures=0
case_name=""
steps=0

fail()
{
    echo "FAIL $case_name: $*"
    failures=$((failures + 1))
}

begin()
{
    case_name=$1
    steps=0
    mkdir -p "$work/node/$case_name" "$work/native/$case_name"
}

# step PROGRAM INPUT_FILE ARGS...: the program in the case's folders, on both builds.
# Its console goes to files beside the folder: <case>.<n>.out, .err and .status.
step()
{
    local program=$1 input=$2
    shift 2
    local build
    for build in node native; do
        local out=$work/$build/$case_name.$steps
        local run=("$native/$program/$program")
        [[ $build == node ]] && run=("$node" "$web/$program/$program.js")
        (cd "$work/$build/$case_name" && "${run[@]}" "$@" <"$input" >"$out.out" 2>"$out.err"
            echo $? >"$out.status")
    done
    steps=$((steps + 1))
}

# same_as_golden NAME GOLDEN: a file of the node run (a log in the case's folder, or
# "out" / "status" of step 0) is the golden file byte for byte.
same_as_golden()
{
    local file=$work/node/$case_name/$1
    [[ $1 == out || $1 == status ]] && file=$work/node/$case_name.0.$1
    cmp -s "$file" "$2" || fail "$1 differs from $2"
}

# konvergenz on the case's logs: the table with the chart (ARGS: its options), then the
# CSV. File times under node have whole seconds, so that logs written within one second
# look equally old there; the logs get one time in both folders, for konvergenz's check
# of logs left over from an earlier run to see the same.
analyse()
{
    local log
    for log in "$work"/{node,native}/"$case_name"/*_f1.dat; do
        [[ -f $log ]] && touch -d '2026-01-01 12:00:00' "$log"
    done
    step konvergenz /dev/null "$@"
    step konvergenz /dev/null --csv --kein-diagramm
}

# The golden runs of quarlen: the default run, the runs of other inputs, and the runs of
# every method (--verfahren, with their options).
begin default
printf '0\n10\n0\n4\n' >"$work/default.input"
step quarlen "$work/default.input"
same_as_golden out "$golden/stdout.txt"
for log in bisec_f1.dat newto_f1.dat fixpk_f1.dat; do same_as_golden "$log" "$golden/$log"; done
analyse

for folder in "$golden"/*/input.txt "$golden"/verfahren/*/input.txt; do
    folder=$(dirname "$folder")
    begin "${folder#"$golden"/}"
    args=()
    if [[ -f $folder/verfahren.txt ]]; then
        args=(--verfahren "$(<"$folder/verfahren.txt")")
        [[ -f $folder/optionen.txt ]] && mapfile -t -O 2 args <"$folder/optionen.txt"
    fi
    step quarlen "$folder/input.txt" "${args[@]}"
    same_as_golden out "$folder/stdout.txt"
    same_as_golden status "$folder/status.txt"
    for log in "$folder"/*_f1.dat; do same_as_golden "$(basename "$log")" "$log"; done
    analyse
done

# Typed formulas through the methods, each elementary function once: its own code in
# both builds, so the same bits. Each row: the methods (none: quarlen's own), f, the
# values asked for.
typed=(
    "|sin(x) - x/2|0 10 0 4"
    "newton,sekante|atan(x) - 1|0 0 3"
    "illinois,steffensen|tanh(x) - 0.5|0 10 4"
    "regula-falsi,newton|x^2.5 - 3|0 10 4"
    "bisektion,fixpunkt|2^x - 3|0 10 1"
    "sekante,steffensen|exp(x) - 3|0 2 1"
)
for row in "${typed[@]}"; do
    IFS='|' read -r methods formula values <<<"$row"
    begin "typed_${formula//[^a-z0-9]/_}"
    printf '%s\n' $values >"$work/$case_name.input"
    args=(-f "$formula" -n 200)
    [[ -n $methods ]] && args+=(-m "$methods")
    step quarlen "$work/$case_name.input" "${args[@]}"
done

# Failures, which must end alike: a bad number, a log that cannot be written, no log to
# analyse, and mirtova's dialogue and a bad start.
begin bad_number
printf 'zehn\n' >"$work/bad_number.input"
step quarlen "$work/bad_number.input"

begin log_not_writable
mkdir "$work/node/log_not_writable/bisec_f1.dat" "$work/native/log_not_writable/bisec_f1.dat"
step quarlen "$work/default.input"

begin no_log
step konvergenz /dev/null

# Links the user made are followed, as natively: a log thrown away, a chart kept elsewhere.
begin log_linked_by_user
for build in node native; do ln -s /dev/null "$work/$build/$case_name/newto_f1.dat"; done
step quarlen "$work/default.input"
same_as_golden status <(echo 0)

begin chart_linked_by_user
for build in node native; do
    mkdir "$work/$build/$case_name/charts"
    ln -s charts/newest.svg "$work/$build/$case_name/chart.svg"
done
step quarlen "$work/default.input"
analyse -o chart.svg

begin mirtova
printf '1\n' >"$work/mirtova.input"
step mirtova "$work/mirtova.input"
step mirtova "$work/mirtova.input" -f 'x^3 - 2*x - 5' -t 1e-5
step mirtova "$work/mirtova.input" -f 'sin(x) - x/2' -t 1e-5
step mirtova "$work/bad_number.input"

# Node and native alike: every console, status and file of every case.
if ! diff -r "$work/node" "$work/native" >"$work/differences"; then
    case_name="node and native"
    fail "$(head -c 4000 "$work/differences")"
fi

# and with the same permissions: node's files are made under the process's umask too.
modes() { (cd "$1" && find . -type f -printf '%m %p\n' | sort); }
if ! diff <(modes "$work/node") <(modes "$work/native") >"$work/mode_differences"; then
    case_name="node and native modes"
    fail "$(head -c 2000 "$work/mode_differences")"
fi

cases=$(find "$work/node" -name '*.status' | wc -l)
if ((failures > 0)); then
    echo "$failures of the checks failed ($cases program runs)"
    exit 1
fi
echo "all alike: $cases program runs under node, their consoles, statuses and files"
