#!/bin/sh
# Prints the time every release artefact carries, SOURCE_DATE_EPOCH as
# reproducible builds define it: the variable itself when it is set; else
# the date of the last commit, which git gives in a checkout and which
# `git archive` has written into scripts/commit-date in an unpacked archive
# (the export-subst attribute in .gitattributes). A checkout and an archive
# of one commit so build the same bytes. With none of them it fails: a
# release never takes the clock's date.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd -P)
fail() {
    echo "source-date-epoch.sh: $*" >&2
    exit 1
}

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$SOURCE_DATE_EPOCH
    from=SOURCE_DATE_EPOCH
elif [ -e "$root/.git" ]; then
    # A checkout that git refuses to read (another user's, say) is still a
    # checkout: its date is not to be looked for anywhere else.
    date=$(git -C "$root" log -1 --format=%ct) \
        || fail "git could not read the last commit's date in $root (see above)"
    from="the last commit in $root"
else
    date=$(cat "$root/scripts/commit-date" 2>/dev/null || true)
    from="$root/scripts/commit-date"
    case $date in
    '' | *[!0-9]*)
        fail "no date: SOURCE_DATE_EPOCH is not set, $root is not a git checkout" \
            "(no .git), and $from holds none ('$date'); only \`git archive\` writes it"
        ;;
    esac
fi
case $date in
'' | *[!0-9]*)
    fail "the date from $from is '$date', not a whole number of seconds since 1970"
    ;;
esac
echo "$date"
