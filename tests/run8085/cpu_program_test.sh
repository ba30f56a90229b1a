#!/bin/sh
# Runs one of the public CP/M CPU test programs under Run8085 --cpm and
# checks what it printed and the instruction and T-state counts of the
# report against the figures published with the programs.
#
#   cpu_program_test.sh RUN8085 DIR PROGRAM CPU INSTRUCTIONS TSTATES ENDING [PASSES]
#
# DIR is the folder that holds PROGRAM.COM; when it is empty or the program
# is not there, the test is skipped (exit status 77). TSTATES may be - when
# no figure is published for the model. ENDING is the text the program's
# output must end with (\r and \n stand for CR and LF, as in printf);
# PASSES, when given, is how many times "PASS!" must appear, with no
# "ERROR" anywhere.
set -eu
run8085=$1 dir=$2 program=$3 cpu=$4 instructions=$5 states=$6 ending=$7 passes=${8:-}

if [ -z "$dir" ] || [ ! -f "$dir/$program.COM" ]; then
    echo "skipped: no $program.COM (configure with -DCPU_TESTS_DIR=<folder>)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$program ($cpu): $*" >&2; exit 1; }

status=0
"$run8085" --cpu "$cpu" --cpm --max-steps 0 --load "$dir/$program.COM@100" --pc 100 \
    >"$work/out" 2>"$work/report" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status; report: $(cat "$work/report")"
grep -qx 'stop: cpm-exit' "$work/report" || fail "did not end through 0000H: $(cat "$work/report")"

printf '%b' "$ending" >"$work/ending"
size=$(wc -c <"$work/ending")
tail -c "$size" "$work/out" | cmp -s - "$work/ending" || fail "output does not end with '$ending': $(cat "$work/out")"
if [ -n "$passes" ]; then
    [ "$(grep -o 'PASS!' "$work/out" | wc -l)" -eq "$passes" ] || fail "not $passes groups passed: $(cat "$work/out")"
    ! grep -q 'ERROR' "$work/out" || fail "an error was reported: $(cat "$work/out")"
fi

grep -qx "instructions: $instructions" "$work/report" ||
    fail "instructions: expected $instructions, report says $(grep '^instructions:' "$work/report")"
if [ "$states" != - ]; then
    grep -qx "t-states: $states" "$work/report" ||
        fail "t-states: expected $states, report says $(grep '^t-states:' "$work/report")"
fi
cat "$work/out"
echo
