#!/usr/bin/env bash
# Compares a start-up log written on any platform with the one kept in
# tests/golden/startup.log: the source line and errno are masked, DEBUG
# lines and carriage returns dropped. Prints the difference and exits 1
# when they differ.
#   golden_startup.sh LOG
golden=$(dirname "$0")/golden/startup.log
sed -E -e 's/\r$//' -e '/^DEBUG /d' -e 's/\(\):[0-9]+:/():_:/' -e 's/errno: [A-Za-z]+\)/errno: _)/' "$1" |
    diff -u --label golden/startup.log --label "$1" <(grep -v '^#' "$golden") -
