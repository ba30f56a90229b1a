#!/bin/sh
# scripts/install-deps stops with advice, before installing anything, when the
# CMake in PATH is older than 3.25.
#
#   install_deps_test.sh <source directory>
set -eu
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
printf '#!/bin/sh\necho "cmake version 3.22.1"\n' > "$stub/cmake"
chmod +x "$stub/cmake"

status=0
PATH="$stub:$PATH" "$1/scripts/install-deps" > "$stub/out" 2>&1 || status=$?
[ "$status" -eq 1 ] || { echo "install-deps exited $status with CMake 3.22.1"; cat "$stub/out"; exit 1; }
grep -q "CMake 3.25 or newer is needed, but $stub/cmake is 3.22.1" "$stub/out" \
    || { echo "install-deps gave no advice:"; cat "$stub/out"; exit 1; }
echo "install-deps test passed"
