#!/usr/bin/env bash
# Smoke test of the Windows build: unpacks build-win/finmaw-windows.zip
# (making it first with ./build-windows), starts bin/finmaw.exe and
# bin/finmaw_dbg.exe under Wine on a virtual X display from a working folder
# outside the unpacked tree, plays them as the X11 test does
# (tests/window_play.sh: keys, Escape, the exit status and both log files
# checked); before that it checks that
# LICENSE.txt and README.txt are in the zip with CRLF line ends; last, that
# the zip rebuilt in another folder a day later is the same bytes. Each run
# gets its own display and ends its wineserver before the display goes away:
# a wineserver left over from an earlier run would keep the old desktop and
# the next window could not be created.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

fail() { echo "smoke-test: FAIL: $*" >&2; exit 1; }

# Runs inside xvfb-run: the window play the X11 test also runs (its keys,
# Escape, then the exit status and both logs checked), then the wineserver
# is ended.
if [ "${1:-}" = "--on-display" ]; then
    status=0
    "$repo/tests/window_play.sh" keys "$wine" "$2" || status=$?
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    exit "$status"
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

for name in finmaw finmaw_dbg; do
    run=$work/run-$name
    mkdir -p "$run"
    started=$(date +%s)
    # -noreset: a server that resets when its last client leaves may refuse
    # the next connection.
    (cd "$run" && xvfb-run -a -s '-noreset -screen 0 1024x768x24' \
        "$repo/scripts/windows/smoke-test.sh" --on-display "$work/game/bin/$name.exe") \
        || fail "$name.exe did not play as it should under Wine"
    echo "smoke-test: $name.exe played, quit on Escape and logged cleanly ($(($(date +%s) - started)) s)"
done
scripts/reproducible-test.sh windows
echo "smoke-test: passed"
