#!/usr/bin/env bash
# Installs the game into a temporary root as a distribution would (prefix
# /usr under DESTDIR) and builds the Debian package: both trees, every path
# with its mode and every link's target, are tests/golden/install-tree.txt.
# The program of each starts through its link from an unrelated working
# folder, finds its pictures and ends cleanly on SIGTERM (tests/check_logs.sh
# reads its logs); lintian, desktop-file-validate and appstreamcli find
# nothing in the package.
# Arguments: cmake, cpack, the build folder, the source folder.
set -euo pipefail
cmake=$1 cpack=$2 build=$3 source=$4
# The modes Debian packages are built with (dpkg-buildpackage sets it too).
umask 022

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The program swaps every "bin" in its folder's path for "res", so no other
# part of the path may hold one.
until tmp=$(mktemp -d -t finmaw-install.XXXXXX) && [[ $tmp != *bin* ]]; do
    rm -rf "$tmp"
done
game_pid=""
cleanup() {
    [ -z "$game_pid" ] || kill -KILL "$game_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# Starts usr/<links>/finmaw of the tree in $tmp/<tree> from a fresh working
# folder, ends it with SIGTERM once it plays, and checks its status and logs.
play() {
    local tree=$1 links=$2 run=$tmp/run-$1 status=0
    mkdir "$run"
    cd "$run"
    "$tmp/$tree/usr/$links/finmaw" >program.out 2>&1 &
    game_pid=$!
    # A SIGTERM before the first frame could land before SDL is there to
    # turn it into a quit request.
    for _ in $(seq 600); do
        grep -qsF 'Score: 0' run.log && break
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -TERM "$game_pid" 2>/dev/null || true
    wait "$game_pid" || status=$?
    game_pid=""
    cd "$tmp"
    if [ "$status" -ne 0 ]; then
        cat "$run"/*.log "$run/program.out" >&2
        fail "$tree: the installed program exited with status $status"
    fi
    "$source/tests/check_logs.sh" "$run" >&2 \
        || fail "$tree: the installed program's logs are not a clean start and quit"
}

DESTDIR=$tmp/install "$cmake" --install "$build" --prefix /usr >/dev/null
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/pkg" >"$tmp/cpack.out" 2>&1; then
    cat "$tmp/cpack.out" >&2
    fail "cpack could not make the package"
fi
deb=$(echo "$tmp"/pkg/*.deb)
dpkg-deb -x "$deb" "$tmp/package"
for tree in install package; do
    echo "== $tree"
    (cd "$tmp/$tree" && find . -mindepth 1 \
        \( -type l -printf '%M %P -> %l\n' -o -printf '%M %P\n' \) | LC_ALL=C sort -k2)
done | diff -u <(grep -v '^#' "$source/tests/golden/install-tree.txt") - \
    || fail "the installed trees are not tests/golden/install-tree.txt"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libsdl2-2.0-0* ]] || fail "the package does not depend on libsdl2-2.0-0: $depends"

play install bin
play package games

# Any finding fails: lintian's errors and warnings (its informational and
# overridden tags aside), anything desktop-file-validate says, and anything
# from appstreamcli but its bare success.
finds_nothing() {
    local clean=$1 out
    shift
    # $clean is a pattern.
    # shellcheck disable=SC2053
    if ! out=$("$@" 2>&1) || [[ $out != $clean ]]; then
        printf '%s\n' "$out" >&2
        fail "$1 found problems"
    fi
}
finds_nothing "" lintian --allow-root --fail-on error,warning --display-level '>=warning' "$deb"
finds_nothing "" desktop-file-validate "$tmp/package/usr/share/applications/finmaw.desktop"
metainfo=$tmp/package/usr/share/metainfo/io.github.finmaw.finmaw.metainfo.xml
finds_nothing "*Validation was successful." appstreamcli validate --no-net "$metainfo"
echo "install and package: $(basename "$deb") (Depends: $depends) OK"
