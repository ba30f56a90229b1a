#!/bin/sh
# Installs the build into a scratch prefix and runs the installed programs on
# the installed example, checking the files they write.
#
#   install_test.sh <build directory> [<web site directory>]
set -eu
build=$1
site=${2:-}
prefix=$(mktemp -d)
trap 'chmod -R u+w "$prefix"; rm -rf "$prefix"' EXIT

fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share/toolchain8080
for file in bin/Corvane bin/Pass2 bin/Tessily bin/Run8085 bin/Go8085 bin/Check8085 share/man/man1/Check8085.1 \
            share/man/man1/Corvane.1 \
            share/man/man1/Pass2.1 share/man/man1/Tessily.1 share/man/man1/Run8085.1 \
            share/man/man1/Go8085.1 share/toolchain8080/examples/multiply.asm \
            share/toolchain8080/examples/blockcopy.asm share/toolchain8080/examples/bcdadd.asm \
            share/toolchain8080/etc/opcodes.txt share/toolchain8080/examples/countdown.asm \
            share/toolchain8080/examples/countdown.regs share/toolchain8080/examples/countdown.hex; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done

# The web preset's site goes along when it has been built.
if [ -n "$site" ] && [ -f "$site/Run8085.wasm" ]; then
    for file in Corvane.wasm Pass2.wasm Tessily.wasm Run8085.wasm etc/opcodes.txt examples/index.json \
                examples/countdown.asm examples/countdown.regs; do
        [ -f "$share/site/$file" ] || fail "site/$file was not installed"
    done
fi

work=$prefix/work
mkdir -p "$work/etc"
cp "$share/etc/opcodes.txt" "$work/etc/"
cp "$share/examples/countdown.asm" "$work/"
(cd "$work" && "$prefix/bin/Corvane" countdown.asm) > "$work/stdout"
[ ! -s "$work/stdout" ] || fail "Corvane wrote to standard output: $(cat "$work/stdout")"
[ "$(head -n 1 "$work/countdown.asm.pass1")" = "8192       LXI       H       TABLE" ] || fail "unexpected listing"
[ "$(wc -l < "$work/countdown.asm.pass1")" -eq 11 ] || fail "listing is not 11 records"
[ "$(wc -l < "$work/countdown.asm.sym")" -eq 6 ] || fail "symbol file is not 6 symbols"
[ -s "$work/etc/log-Pass1.txt" ] || fail "no run log"

(cd "$work" && "$prefix/bin/Pass2" countdown.asm) > "$work/stdout" 2> "$work/stderr" || fail "Pass2 failed: $(cat "$work/stderr")"
[ ! -s "$work/stdout" ] && [ ! -s "$work/stderr" ] || fail "Pass2 wrote messages: $(cat "$work/stdout" "$work/stderr")"
[ "$(head -n 1 "$work/countdown.asm.hex")" = "2000 21 40 20 06 0A 78 D3 01 77 23 05 C2 05 20 76" ] || fail "unexpected machine code"
"$prefix/bin/Pass2" --version | grep -q '^Pass2 ' || fail "Pass2 --version"

"$prefix/bin/Tessily" "$share/examples/countdown.regs" "$share/examples/countdown.hex" "$work/image.bin" > "$work/stdout"
[ ! -s "$work/stdout" ] || fail "Tessily wrote to standard output: $(cat "$work/stdout")"
[ "$(wc -c < "$work/image.bin")" -eq 65560 ] || fail "image is not 65560 bytes"
[ "$(od -A n -t x1 -j 8192 -N 3 "$work/image.bin" | tr -d ' ')" = "214020" ] || fail "image does not hold the program"
"$prefix/bin/Tessily" "$share/examples/countdown.regs" "$work/countdown.asm.hex" "$work/built.bin" > "$work/stdout"
cmp -s "$work/image.bin" "$work/built.bin" || fail "the image built from Pass2's machine code differs"

"$prefix/bin/Run8085" "$work/image.bin" > "$work/report" || fail "Run8085 did not halt the example"
grep -qx "out 01: 01" "$work/report" || fail "Run8085 report lacks the example's last output"

# Go8085 from an unrelated directory on an installed example, as a user who
# cannot write to the install tree: the files land in the working directory,
# and nothing in the install tree changes. Run as root, the test runs it as
# the user nobody.
user_dir=$(mktemp -d)
scratch=$(mktemp -d)
stamp=$scratch/stamp
touch "$stamp"
trap 'chmod -R u+w "$prefix"; rm -rf "$prefix" "$user_dir" "$scratch"' EXIT
chmod -R a-w "$share"
chmod 755 "$prefix"
as_user() { "$@"; }
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null 2>&1 || fail "running as root needs setpriv to run Go8085 as a user"
    chown 65534 "$user_dir"
    as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
fi
(cd "$user_dir" && as_user env TMPDIR="$user_dir" "$prefix/bin/Go8085" "$share/examples/multiply.asm" --dump 2021-2024) \
    > "$scratch/report" 2> "$scratch/messages" || fail "Go8085 failed: $(cat "$scratch/messages")"
grep -qx 'dump 2021: 19 0D 45 01  |..E.|' "$scratch/report" || fail "unexpected report: $(cat "$scratch/report")"
grep -q 'note: cannot write beside' "$scratch/messages" || fail "no note about the files' place: $(cat "$scratch/messages")"
for suffix in pass1 sym log map hex img; do
    [ -f "$user_dir/multiply.asm.$suffix" ] || fail "Go8085 left no multiply.asm.$suffix in the working directory"
done
[ "$(ls "$user_dir" | wc -l)" -eq 6 ] || fail "Go8085 left more than its six files: $(ls "$user_dir")"
# The installed checker finds the installed chain and table.
printf 'case sum\n  expect memory 2040H: 33H 32H 33H 33H 01H\n' > "$scratch/bcd.check"
(cd "$scratch" && env TMPDIR="$scratch" "$prefix/bin/Check8085" bcd.check "$share/examples/bcdadd.asm") \
    > "$scratch/check" 2>&1 || fail "Check8085 failed: $(cat "$scratch/check")"
changed=$(find "$prefix" -newer "$stamp")
[ -z "$changed" ] || fail "Go8085 wrote into the install tree: $changed"

if command -v man >/dev/null 2>&1; then
    for page in Corvane Pass2 Tessily Run8085 Go8085 Check8085; do
        warnings=$(MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man page $page.1: $warnings"
        # Tabs in example symbol files are real tabs, never a visible \t.
        ! MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1" 2>/dev/null | grep -q -E ' \\t [0-9]' \
            || fail "man page $page.1 shows a literal \\t"
    done
fi
echo "install test passed"
