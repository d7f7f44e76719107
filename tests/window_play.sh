#!/usr/bin/env bash
# One play of the real program in a real window, the same on X11 and under
# Wine. Run on a display, in the program's working folder:
#   window_play.sh keys|term COMMAND...
# Waits for the window "Finmaw" and the first frame, then either sends every
# spawn key, a steer, a bite, the hitbox view and a pause and quits with
# Escape, or ends the program with SIGTERM. Checks the exit status and the
# logs (check_logs.sh).
set -u
here=$(cd "$(dirname "$0")" && pwd)
mode=$1
shift

fail() {
    echo "FAIL: $*"
    for f in startup.log run.log program.out; do
        echo "---- $f"
        [ -f "$f" ] && tr -d '\r' <"$f"
    done
    exit 1
}

"$@" >program.out 2>&1 &
pid=$!
# A hung program must not hang the test; the sleep's output goes nowhere,
# so it cannot hold the test's output open.
(sleep 90; kill -KILL "$pid" 2>/dev/null) >/dev/null 2>&1 &
watchdog=$!

window=""
for _ in $(seq 1 400); do
    window=$(xdotool search --name '^Finmaw$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && grep -qF "Score: 0" run.log 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
[ -n "$window" ] || fail "no window named Finmaw"
if [ "$mode" = term ]; then
    kill -TERM "$pid"
else
    # Under Wine xdotool complains of the input focus on every key; its status tells.
    xdotool key --window "$window" 1 2 3 4 5 6 7 8 Right space c p p c 2>/dev/null || fail "xdotool could not send the keys"
    # The window goes away on Escape, possibly before xdotool's key-up.
    xdotool key --window "$window" Escape 2>/dev/null
fi
wait "$pid"
status=$?
kill "$watchdog" 2>/dev/null
[ "$status" -eq 0 ] || fail "exit status $status"

"$here/check_logs.sh" . || fail "the logs are not the expected ones"
echo "PASS: $mode"
