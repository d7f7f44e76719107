#!/bin/sh
# The real program in a real X window (Xvfb), driven from outside.
#   test_xwindow.sh <program> keys   keys sent to the window, Escape quits
#   test_xwindow.sh <program> term   SIGTERM ends the run
# Exits 77 (skipped) when xvfb-run or xdotool is not installed.
set -u

if [ "${1:-}" != "--inner" ]; then
    [ $# -eq 2 ] || { echo "usage: $0 <program> keys|term" >&2; exit 2; }
    . "$(dirname "$0")/xvfb_common.sh"
    xvfb_reenter "$0" xdotool "$1" "$2"
fi

exe=$2
mode=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
cd "$work" || exit 1

fail() {
    echo "FAIL: $*"
    for f in startup.log run.log; do
        echo "---- $f"
        [ -f "$f" ] && cat "$f"
    done
    exit 1
}

# Waits up to 30 s for run.log to hold a line containing $1.
wait_for_line() {
    i=0
    while [ $i -lt 300 ]; do
        grep -qF "$1" run.log 2>/dev/null && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

SDL_VIDEODRIVER=x11 "$exe" &
pid=$!
# A hung program must not hang the test.
# Its own output goes nowhere, so a leftover sleep cannot hold the test's
# output open after the test is done.
( sleep 60; kill -KILL "$pid" 2>/dev/null ) >/dev/null 2>&1 &
watchdog=$!

wait_for_line "Score: 0" || fail "the frame loop did not start"

case "$mode" in
keys)
    id=$(timeout 30 xdotool search --sync --name '^Finmaw$' | head -n 1)
    [ -n "$id" ] || fail "no window named Finmaw"
    xdotool key --window "$id" 1 2 3 4 5 6 7 8 Right space c p p c ||
        fail "xdotool could not send the keys"
    # The window goes away on Escape, possibly before xdotool's key-up.
    xdotool key --window "$id" Escape 2>/dev/null
    ;;
term)
    kill -TERM "$pid"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac

wait "$pid"
status=$?
kill "$watchdog" 2>/dev/null
[ "$status" -eq 0 ] || fail "exit status $status"

"$here/golden_startup.sh" startup.log || fail "startup.log is not the expected one"

head -n 1 run.log | grep -qF "Starting up..." || fail "run.log does not start with Starting up..."
tail -n 1 run.log | grep -qF "All cleaning done." || fail "run.log does not end with All cleaning done."

# Each needle must follow the one before it in run.log.
in_order() {
    awk -v list="$1" 'BEGIN { n = split(list, want, "|"); k = 1 }
        k <= n && index($0, want[k]) { k++ }
        END { exit (k <= n) }' run.log
}
in_order "Starting up...|Score: 0|Quit message recieved.|Successfully reached end of execution.|Closing down systems.|Cleaning resources...|All cleaning done." ||
    fail "run.log lines out of order"

if [ "$mode" = keys ]; then
    for fish in horiz_slow horiz_med horiz_fast sine_slow sine_wide sword puffer crab; do
        grep -qF "Remaking fish, type: $fish" run.log || fail "no $fish spawned"
    done
    # The pause wrote its score line and closed the log; the quit came after
    # the log was reopened for appending.
    [ "$(grep -cF 'Score: ' run.log)" -ge 2 ] || fail "no score line from the pause"
    in_order "Remaking fish, type: crab|Score: |Quit message recieved." ||
        fail "pause and quit lines out of order"
fi

echo "PASS: $mode"
exit 0
