#!/bin/sh
# Writes the front ends' cases with Run8085's end of each (frontend_cases)
# and has Node run them through the web build's Debug8085.wasm
# (debugger_module.mjs). Skips (exit 77) when Node 18 or newer or the web
# build is missing, unless REQUIRE_WEB_TESTS is set (as in CI). The same
# comparison with the module's C++ compiled natively always runs
# (frontends_tests).
#
#   debugger_module_test.sh <node> <site directory> <frontend_cases program>
set -eu
node=$1
site=$2
writer=$3

skip() {
    echo "Debug8085.wasm NOT compared with Run8085: $*"
    [ -z "${REQUIRE_WEB_TESTS:-}" ] || exit 1
    exit 77
}

command -v "$node" >/dev/null 2>&1 || skip "Node.js is not installed (scripts/install-deps with WITH_WEB=1)"
major=$("$node" -p 'process.versions.node.split(".")[0]')
[ "$major" -ge 18 ] || skip "Node.js $major is too old; 18 or newer is needed"
[ -f "$site/Debug8085.wasm" ] \
    || skip "no web build in $site (cmake --preset web && cmake --build --preset web)"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/frontends.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM HUP
"$writer" "$scratch"
"$node" --no-warnings "$(dirname "$0")/debugger_module.mjs" "$scratch" "$site"
