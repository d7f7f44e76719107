#!/usr/bin/env bash
# Rebuilds a release artefact from a copy of this tree in another folder,
# under a clock a day ahead (faketime), and checks that it is the same bytes
# as the one already built here: any folder name or build time written into
# it shows. Each build works its date out in its own tree, never from this
# shell's SOURCE_DATE_EPOCH. The .deb is also built from an unpacked
# `git archive` of the tree, which has no git history and takes its date from
# the archive. Prints the sha256 sums; on a difference diffoscope says which
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
# Runs a command in the tree $1, a day later.
later() { (cd "$1" && FINMAW_JOBS=2 quiet env -u SOURCE_DATE_EPOCH faketime -f +1d "${@:2}"); }
# Builds and packages the tree $1 a day later, into $1/elsewhere/deb.
deb_in() {
    later "$1" cmake -S . -B elsewhere -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DFINMAW_TESTS=OFF
    later "$1" cmake --build elsewhere -j 2
    later "$1" cpack --config elsewhere/CPackConfig.cmake -G DEB -B elsewhere/deb
}

case ${1:-} in
deb)
    # Both packages take their date the way a plain cpack does.
    quiet env -u SOURCE_DATE_EPOCH cpack --config build/CPackConfig.cmake -G DEB -B "$tmp/here"
    build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' build/CMakeCache.txt)
    # An unpacked archive of the tree as it is, committed in the copy with the
    # last commit's date (with nothing uncommitted, the last commit's archive).
    git -C "$again" add -A
    date=$(git -C "$again" log -1 --format='%ct +0000')
    commit=$(cd "$again" && GIT_COMMITTER_DATE=$date \
        git commit-tree -p HEAD -m archive "$(git write-tree)")
    mkdir "$tmp/archive"
    git -C "$again" archive "$commit" | tar -x -C "$tmp/archive"
    deb_in "$again"
    deb_in "$tmp/archive"
    first=$(echo "$tmp"/here/*.deb)
    others=("$(echo "$again"/elsewhere/deb/*.deb)" "$(echo "$tmp"/archive/elsewhere/deb/*.deb)") ;;
windows)
    later "$again" ./build-windows
    first=build-win/finmaw-windows.zip others=("$again/build-win/finmaw-windows.zip") ;;
web)
    later "$again" ./build-web
    first=dist others=("$again/dist") ;;
*) echo "usage: $0 deb|windows|web" >&2; exit 2 ;;
esac

sums() { (cd "$(dirname "$1")" && find "$(basename "$1")" -type f | LC_ALL=C sort | xargs sha256sum); }
sums "$first" | tee "$tmp/first.sums"
for second in "${others[@]}"; do
    if ! sums "$second" | cmp -s "$tmp/first.sums" -; then
        sums "$second" >&2
        echo "reproducible-test: FAIL: $second is not the same bytes:" >&2
        diffoscope --exclude-directory-metadata=yes "$first" "$second" 2>&1 | head -n 80 >&2 || true
        exit 1
    fi
    echo "reproducible-test: $1: the same bytes in $second, built there a day later"
done
