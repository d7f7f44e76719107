#!/usr/bin/env bash
# Rebuilds a release artefact from a copy of this tree in another folder,
# under a clock a day ahead (faketime), and checks that it is the same bytes
# as the one already built here: any folder name or build time written into
# it shows. Prints the sha256 sums; on a difference diffoscope says which
# member differs and how.
#   deb      the Debian package of build/ (./run-tests builds it)
#   windows  build-win/finmaw-windows.zip (./build-windows)
#   web      dist/: the page and its zip (./build-web)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
finmaw_need_packages "${FINMAW_REPRO_PACKAGES[@]}"

tmp=$(mktemp -d -t finmaw-repro.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
# The tree as it is, uncommitted changes and git's history (the date) with it.
again=$tmp/finmaw-again
mkdir "$again"
git ls-files -z -co --exclude-standard | tar -c --null -T - --ignore-failed-read -f - | tar -x -C "$again"
cp -r "$(git rev-parse --git-dir)" "$again/.git"
quiet() { "$@" >"$tmp/out" 2>&1 || { cat "$tmp/out" >&2; exit 1; }; }
later() { (cd "$again" && FINMAW_JOBS=2 quiet faketime -f +1d "$@"); }

case ${1:-} in
deb)
    # Both packages take their date the way a plain cpack does.
    quiet env -u SOURCE_DATE_EPOCH cpack --config build/CPackConfig.cmake -G DEB -B "$tmp/here"
    build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' build/CMakeCache.txt)
    later cmake -S . -B elsewhere -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DFINMAW_TESTS=OFF
    later cmake --build elsewhere -j 2
    later env -u SOURCE_DATE_EPOCH cpack --config elsewhere/CPackConfig.cmake -G DEB -B "$tmp/there"
    first=$(echo "$tmp"/here/*.deb) second=$(echo "$tmp"/there/*.deb) ;;
windows)
    later ./build-windows
    first=build-win/finmaw-windows.zip second=$again/build-win/finmaw-windows.zip ;;
web)
    later ./build-web
    first=dist second=$again/dist ;;
*) echo "usage: $0 deb|windows|web" >&2; exit 2 ;;
esac

sums() { (cd "$(dirname "$1")" && find "$(basename "$1")" -type f | LC_ALL=C sort | xargs sha256sum); }
sums "$first" | tee "$tmp/first.sums"
if ! sums "$second" | cmp -s "$tmp/first.sums" -; then
    sums "$second" >&2
    echo "reproducible-test: FAIL: $1 differs when built in another folder a day later:" >&2
    diffoscope --exclude-directory-metadata=yes "$first" "$second" 2>&1 | head -n 80 >&2 || true
    exit 1
fi
echo "reproducible-test: $1: the same bytes from $again a day later"
