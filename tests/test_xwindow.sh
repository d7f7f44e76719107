#!/bin/sh
# The real program in a real X window (Xvfb), driven from outside by the
# window play that the Wine test shares (window_play.sh).
#   test_xwindow.sh <program> keys   keys sent to the window, Escape quits
#   test_xwindow.sh <program> term   SIGTERM ends the run
# Exits 77 (skipped) when xvfb-run or xdotool is not installed.
set -u

if [ "${1:-}" != "--inner" ]; then
    [ $# -eq 2 ] || { echo "usage: $0 <program> keys|term" >&2; exit 2; }
    . "$(dirname "$0")/xvfb_common.sh"
    xvfb_reenter "$0" xdotool "$1" "$2"
fi

here=$(cd "$(dirname "$0")" && pwd)
cd "$4" || exit 1
SDL_VIDEODRIVER=x11 exec bash "$here/window_play.sh" "$3" "$2"
