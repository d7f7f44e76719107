#!/bin/sh
# Prints the time every release artefact carries, SOURCE_DATE_EPOCH as
# reproducible builds define it: the variable itself when it is set; else
# the date of the last commit of the checkout this script is in; else (an
# unpacked source archive, or no git) the date of the newest entry in
# packaging/debian/changelog, as Debian's own tools take it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd -P)
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
elif [ "$(git -C "$root" rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    git -C "$root" log -1 --format=%ct
else
    date -d "$(sed -n 's/^ -- .*>  //p' "$root/packaging/debian/changelog" | head -n1)" +%s
fi
