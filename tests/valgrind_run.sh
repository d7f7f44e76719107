#!/bin/sh
# A whole run of the real program under valgrind's memcheck: start-up in a
# real X window (Xvfb), fish of every kind spawned and steered into with
# xdotool, at least 300 frames, then Escape and the full shutdown.
#   valgrind_run.sh <program> <suppressions file>
# Fails on any invalid access or definite leak; exits 77 (skipped) when
# valgrind, xvfb-run or xdotool is not installed.
set -u

if [ "${1:-}" != "--inner" ]; then
    [ $# -eq 2 ] || { echo "usage: $0 <program> <suppressions>" >&2; exit 2; }
    . "$(dirname "$0")/xvfb_common.sh"
    # The run happens in a scratch folder: make the paths absolute first.
    exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    supp=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    xvfb_reenter "$0" "valgrind xdotool" "$exe" "$supp"
fi

exe=$2
supp=$3
work=$4
cd "$work" || exit 1

fail() {
    echo "FAIL: $*"
    for f in startup.log run.log valgrind.log; do
        echo "---- $f"
        [ -f "$f" ] && tail -n 80 "$f"
    done
    exit 1
}

score_lines() {
    n=$(grep -cF 'Score: ' run.log 2>/dev/null)
    echo "${n:-0}"
}

# Waits up to $2 tenths of a second for run.log to hold $1 "Score:" lines.
wait_for_scores() {
    i=0
    while [ $i -lt "$2" ]; do
        [ "$(score_lines)" -ge "$1" ] && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

# libdbus forks a helper during SDL's start-up: only the game itself is
# reported on.
SDL_VIDEODRIVER=x11 valgrind --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite --show-leak-kinds=definite \
    --child-silent-after-fork=yes --suppressions="$supp" \
    --log-file=valgrind.log "$exe" &
pid=$!
# A hung run must not hang the test. The watchdog's own output goes nowhere,
# so a leftover sleep cannot hold the test's output open.
( sleep 400; kill -KILL "$pid" 2>/dev/null ) >/dev/null 2>&1 &
watchdog=$!

# Frame 1 writes the first score line.
wait_for_scores 1 1800 || fail "the frame loop did not start"

id=$(timeout 60 xdotool search --sync --name '^Finmaw$' | head -n 1)
[ -n "$id" ] || fail "no window named Finmaw"
# Every kind of fish, twice; the hitbox view on, a health point, and a
# pause and resume (which writes one more score line and reopens the log).
xdotool key --window "$id" 1 2 3 4 5 6 7 8 1 2 3 4 5 6 7 8 c h p p ||
    fail "xdotool could not send the keys"
# The shark swims right into the oncoming fish with its jaws open.
xdotool keydown --window "$id" Right space && sleep 2 &&
    xdotool keyup --window "$id" Right space && xdotool key --window "$id" 4 5 8 Down 1 2 3 ||
    fail "xdotool could not steer"

# The countdown's line of frame 301 is the third score line.
wait_for_scores 3 3000 || fail "300 frames did not pass"

# The window goes away on Escape, possibly before xdotool's key-up.
xdotool key --window "$id" Escape 2>/dev/null
wait "$pid"
status=$?
kill "$watchdog" 2>/dev/null

grep -E '^==[0-9]+== +(ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|suppressed|All heap blocks)' valgrind.log |
    sed 's/^==[0-9]*== */valgrind: /'
[ "$status" -eq 0 ] || fail "exit status $status (1: valgrind found errors)"
grep -qE '^==[0-9]+== ERROR SUMMARY: 0 errors' valgrind.log || fail "valgrind gave no clean error summary"
! grep -E '^==[0-9]+== ERROR SUMMARY: [1-9]' valgrind.log >/dev/null || fail "valgrind reported errors"
tail -n 1 run.log | grep -qF "All cleaning done." || fail "run.log does not end with All cleaning done."
# The debug build logs each spawn: every kind swam in the checked run.
if grep -qF "DEBUG " run.log; then
    for fish in horiz_slow horiz_med horiz_fast sine_slow sine_wide sword puffer crab; do
        grep -qF "Remaking fish, type: $fish" run.log || fail "no $fish spawned"
    done
fi
echo "PASS: $(grep -cF 'Score: ' run.log) score lines"
exit 0
