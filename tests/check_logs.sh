#!/usr/bin/env bash
# Checks the two logs a played game left in FOLDER, the same for every
# platform: startup.log is tests/golden/startup.log once masked, and run.log
# holds the game's own lines in order (from a debug build, every spawn too).
#   check_logs.sh FOLDER [startup]   (with "startup", startup.log alone)
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$1
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

# The release form: no DEBUG lines; errno, the platform's, masked too.
# A difference leaves the masked log as startup.log.actual for review.
sed -E -f "$here/mask_log.sed" -e '/^DEBUG /d' -e 's/errno: [A-Za-z]+\)/errno: _)/' "$dir/startup.log" >"$dir/startup.log.actual"
if diff -u --label golden/startup.log --label "$dir/startup.log" <(grep -v '^#' "$here/golden/startup.log") "$dir/startup.log.actual"; then
    rm -f "$dir/startup.log.actual"
else
    fail "startup.log is not the expected one"
fi

[ "${2:-}" = startup ] && exit "$status"
tr -d '\r' <"$dir/run.log" >"$dir/run.txt"
# Each needle must follow the one before it.
in_order() {
    awk -v list="$1" 'BEGIN { n = split(list, want, "|"); k = 1 }
        k <= n && index($0, want[k]) { k++ }
        END { exit (k <= n) }' "$dir/run.txt"
}
head -n 1 "$dir/run.txt" | grep -qF "Starting up..." || fail "run.log does not start with Starting up..."
tail -n 1 "$dir/run.txt" | grep -qF "All cleaning done." || fail "run.log does not end with All cleaning done."
in_order "Starting up...|Score: 0|Quit message recieved.|Successfully reached end of execution.|Closing down systems.|Cleaning resources...|All cleaning done." ||
    fail "run.log lines out of order"
if grep -q '^DEBUG ' "$dir/run.txt"; then
    for fish in horiz_slow horiz_med horiz_fast sine_slow sine_wide sword puffer crab; do
        grep -qF "Remaking fish, type: $fish" "$dir/run.txt" || fail "no $fish spawned"
    done
    # The pause wrote its score line and closed the log; the quit came after
    # the log was reopened for appending.
    in_order "Remaking fish, type: crab|Score: |Quit message recieved." || fail "pause and quit lines out of order"
fi
exit "$status"
