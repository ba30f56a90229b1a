#!/bin/sh
# The layout holds: every top-level folder is described in docs/layout.md
# (as `name/`), and no #include runs from a room to a higher one. Each room
# may include its own headers and those of the rooms listed after it below;
# a header found only elsewhere is an include that runs upward (or across).
#
#   tests/layout_test.sh SOURCE_DIR
set -eu
root=$1
status=0

# The rooms, each with the rooms below it that it may include from.
rooms='
isa:
files:
sourcemap:isa
pass1:
pass2:isa files
imagebuilder:
cpu:isa
machine:cpu isa sourcemap imagebuilder
debug:machine cpu isa sourcemap imagebuilder
run8085:debug machine cpu isa sourcemap imagebuilder files
go8085:sourcemap isa files
explain8085:go8085 sourcemap isa files
'

# Top-level folders: those git knows in a clone, every one but build
# folders otherwise.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    folders=$(git -C "$root" ls-files | sed -n 's#^\([^/.][^/]*\)/.*#\1#p' | sort -u)
else
    folders=$(cd "$root" && find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' | sed 's#^\./##' | sort)
fi
for folder in $folders; do
    if ! grep -q "\`$folder/\`" "$root/docs/layout.md"; then
        echo "docs/layout.md: error: the top-level folder $folder/ is not described"
        status=1
    fi
done

echo "$rooms" | while IFS=: read -r room below; do
    [ -n "$room" ] || continue
    for file in "$root/$room"/*.cpp "$root/$room"/*.h; do
        [ -e "$file" ] || continue
        sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" | while read -r header; do
            found=
            for allowed in "$room" $below; do
                if [ -e "$root/$allowed/$header" ]; then
                    found=$allowed
                    break
                fi
            done
            if [ -z "$found" ]; then
                echo "$room/$(basename "$file"): error: includes \"$header\", which is in none of: $room $below"
                exit 1
            fi
        done || exit 1
    done
done || status=1

[ $status -eq 0 ] && echo "layout: every top-level folder described, no include runs upward"
exit $status
