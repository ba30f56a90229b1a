#!/bin/sh
# Runs the Node tests of the web build (tests/web/*.test.mjs) on the site of
# the web preset, with the native programs named by CORVANE, PASS2, TESSILY
# and RUN8085. Skips (exit 77) when Node 18 or newer or the site is missing,
# unless REQUIRE_WEB_TESTS is set (as in CI), when that is a failure.
#
#   run_node_tests.sh <node> <site directory>
set -eu
node=$1
site=$2

skip() {
    echo "web tests skipped: $*"
    [ -z "${REQUIRE_WEB_TESTS:-}" ] || exit 1
    exit 77
}

command -v "$node" >/dev/null 2>&1 || skip "Node.js is not installed (scripts/install-deps with WITH_WEB=1)"
major=$("$node" -p 'process.versions.node.split(".")[0]')
[ "$major" -ge 18 ] || skip "Node.js $major is too old; 18 or newer is needed"
[ -f "$site/Run8085.wasm" ] \
    || skip "no web build in $site (cmake --preset web && cmake --build --preset web)"

TOOLCHAIN_SITE=$site exec "$node" --no-warnings --test "$(dirname "$0")"/*.test.mjs
