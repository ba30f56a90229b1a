#!/bin/bash
# Runs every program of a collection through Go8085, as a user would, and
# checks what its header lines expect:
#
#   ; expect-status: 0              Go8085's exit status
#   ; expect-stop: halt             the report's stop line
#   ; expect-dump: 2052 5C 00       bytes from an address on, after the run
#   ; expect-stderr: some words     a piece of standard error (repeatable)
#   ; expect-stdout: some words     a piece of standard output (repeatable)
#   ; expect-no-stdout: some words  a piece standard output must not hold
#   ; run-with: --kit dyna85 ...    options before the source (words apart
#                                   by spaces; not an expectation)
#
# A header line may start with // instead of ; (for a program that is meant
# to be refused for it). Every program runs with --max-steps 10000000.
#
# Usage: programs_test.sh GO8085 PROGRAM_DIRECTORY
set -u

go8085=$1
programs=$2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/programs-test.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM HUP

failures=0
count=0

fail()
{
    echo "FAIL $name: $*"
    failures=$((failures + 1))
}

# The bytes at address $1 (hexadecimal), $2 of them, from a report's dump
# lines ("dump 2050: 25 37 5C ...  |%7\|"), as upper-case pairs.
dumped_bytes()
{
    local address=$((16#$1)) count=$2 report=$3 line bytes=""
    local first=$(printf '%04X' "$address")
    line=$(grep "^dump $first: " "$report") || return 1
    bytes=${line#dump $first: }
    bytes=${bytes%%  |*}
    echo "$bytes" | tr ' ' '\n' | head -n "$count" | tr '\n' ' ' | sed 's/ $//'
}

for source in "$programs"/*.asm; do
    name=$(basename "$source")
    count=$((count + 1))
    dir="$scratch/${name%.asm}"
    mkdir "$dir" && cp "$source" "$dir/$name" || exit 1

    # The expectations, as "key<TAB>value" lines.
    expectations=$(tr -d '\r' <"$source" |
        sed -n 's,^\(;\|//\)[[:blank:]]*expect-\([a-z-]*\):[[:blank:]]*\(.*[^[:blank:]]\)[[:blank:]]*$,\2\t\3,p')
    read -r -a before <<<"$(tr -d '\r' <"$source" | sed -n 's,^;[[:blank:]]*run-with:[[:blank:]]*,,p' | tr '\n' ' ')"
    if [ -z "$expectations" ]; then
        fail "no expect- lines"
        continue
    fi

    args=("$name" --max-steps 10000000)
    while IFS=$'\t' read -r key value; do
        case $key in
        dump)
            set -- $value
            address=$1
            shift
            last=$(printf '%04X' $((16#$address + $# - 1)))
            args+=(--dump "$address-$last")
            ;;
        esac
    done <<<"$expectations"

    failures_before=$failures
    (cd "$dir" && "$go8085" "${before[@]}" "${args[@]}" >stdout 2>stderr </dev/null)
    status=$?

    while IFS=$'\t' read -r key value; do
        case $key in
        status)
            [ "$status" = "$value" ] || fail "exit status $status, expected $value"
            ;;
        stop)
            grep -qx "stop: $value" "$dir/stdout" ||
                fail "expected 'stop: $value', the report says '$(grep '^stop:' "$dir/stdout")'"
            ;;
        dump)
            set -- $value
            address=$1
            shift
            wanted="$*"
            got=$(dumped_bytes "$address" $# "$dir/stdout") || got="(no dump line)"
            [ "${got^^}" = "${wanted^^}" ] || fail "bytes at $address are $got, expected $wanted"
            ;;
        stderr | stdout)
            grep -qF -- "$value" "$dir/$key" || fail "$key does not say: $value"
            ;;
        no-stdout)
            ! grep -qF -- "$value" "$dir/stdout" || fail "stdout says: $value"
            ;;
        *)
            fail "unknown expectation expect-$key"
            ;;
        esac
    done <<<"$expectations"

    if [ "$failures" != "$failures_before" ]; then
        echo "--- $name: standard error"
        cat "$dir/stderr"
        echo "--- $name: standard output (first lines)"
        head -n 8 "$dir/stdout"
    fi
done

if [ "$count" = 0 ]; then
    echo "FAIL: no programs in $programs"
    exit 1
fi
echo "$count programs, $failures failed expectations"
[ "$failures" = 0 ]
