#!/usr/bin/env bash
# Smoke test of the Windows build: unpacks build-win/finmaw-windows.zip
# (making it first with ./build-windows), starts bin/finmaw.exe and
# bin/finmaw_dbg.exe under Wine on a virtual X display from a working folder
# outside the unpacked tree, waits for the window, quits with Escape and
# checks the exit status and both log files; before that it checks that
# LICENSE.txt and README.txt are in the zip with CRLF line ends. Each run
# gets its own display and ends its wineserver before the display goes away:
# a wineserver left over from an earlier run would keep the old desktop and
# the next window could not be created.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

fail() { echo "smoke-test: FAIL: $*" >&2; exit 1; }

# Runs inside xvfb-run: one game run, then the wineserver is ended.
if [ "${1:-}" = "--on-display" ]; then
    exe=$2
    status=0
    "$wine" "$exe" >wine.out 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 1 240); do
        window=$(xdotool search --name '^Finmaw$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    if [ -z "$window" ]; then
        echo "no window appeared" >window.err
    else
        sleep 1
        xdotool key --window "$window" Escape 2>/dev/null || echo "Escape could not be sent" >window.err
    fi
    for _ in $(seq 1 60); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "did not end after Escape" >window.err
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || status=$?
    echo "$status" >exit.status
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    exit 0
fi

cd "$repo"
source scripts/setup.sh
finmaw_need_packages wine64 xvfb xauth xdotool libgl1 libgl1-mesa-dri
build_out=$(mktemp)
./build-windows >"$build_out" 2>&1 \
    || { cat "$build_out" >&2; rm -f "$build_out"; fail "./build-windows failed"; }
rm -f "$build_out"
zip=$repo/build-win/finmaw-windows.zip

# The program swaps every "bin" in its folder's path for "res", so no other
# part of the path may hold one.
work=""
for _ in 1 2 3; do
    work=$(mktemp -d -t finmaw-wine.XXXXXX)
    [[ $work != *bin* ]] && break
    rm -rf "$work"
    work=""
done
[ -n "$work" ] || fail "no temporary folder free of \"bin\""
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game" "$work/prefix"
(cd "$work/game" && cmake -E tar xf "$zip")

# The licence and the read-me, both with Windows line ends throughout.
for text in LICENSE.txt README.txt; do
    [ -s "$work/game/$text" ] || fail "the zip has no $text"
    lines=$(wc -l <"$work/game/$text")
    crlf=$(grep -c $'\r$' "$work/game/$text" || true)
    [ "$lines" -eq "$crlf" ] || fail "$text: $((lines - crlf)) of $lines lines do not end in CRLF"
    [ "$(tail -c2 "$work/game/$text" | od -An -c | tr -d ' ')" = '\r\n' ] \
        || fail "$text does not end with CRLF"
done
tr -d '\r' <"$work/game/LICENSE.txt" | cmp -s - "$repo/LICENSE" \
    || fail "LICENSE.txt is not the project's LICENSE"

export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
# No Mono or Gecko install prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The last line apart from the debug build's DEBUG lines.
last_line() { tr -d '\r' <"$1" | grep -v -e '^DEBUG ' -e '^$' | tail -n1; }

for name in finmaw finmaw_dbg; do
    run=$work/run-$name
    mkdir -p "$run"
    started=$(date +%s)
    (cd "$run" && xvfb-run -a -s '-screen 0 1024x768x24' \
        "$repo/scripts/windows/smoke-test.sh" --on-display "$work/game/bin/$name.exe") \
        || fail "$name.exe: could not run on a virtual display"
    show() { for f in "$run"/*.log "$run"/wine.out; do [ -f "$f" ] && { echo "--- $f"; tr -d '\r' <"$f"; }; done; }
    if [ -f "$run/window.err" ]; then show; fail "$name.exe: $(cat "$run/window.err")"; fi
    status=$(cat "$run/exit.status")
    [ "$status" = 0 ] || { show; fail "$name.exe exited with status $status"; }
    [ -f "$run/startup.log" ] || { show; fail "$name.exe wrote no startup.log"; }
    [ -f "$run/run.log" ] || { show; fail "$name.exe wrote no run.log"; }
    "$repo/tests/golden_startup.sh" "$run/startup.log" \
        || { show; fail "startup.log of $name.exe is not the expected one"; }
    for text in "Score: 0" "Quit message recieved."; do
        grep -qF "$text" "$run/run.log" || { show; fail "run.log of $name.exe lacks \"$text\""; }
    done
    [[ $(last_line "$run/run.log") == *"All cleaning done." ]] \
        || { show; fail "run.log of $name.exe does not end with \"All cleaning done.\""; }
    echo "smoke-test: $name.exe ran, quit on Escape and logged cleanly ($(( $(date +%s) - started )) s)"
done
echo "smoke-test: passed"
