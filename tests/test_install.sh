#!/usr/bin/env bash
# Installs the game into a temporary root the way a distribution would
# (prefix /usr under DESTDIR), checks the layout, starts the installed
# program through its link from an unrelated working folder, stops it with
# SIGTERM and checks that it found its pictures and shut down cleanly; then
# builds the Debian package and does the same with its contents (its links
# are in usr/games), and has lintian, desktop-file-validate and appstreamcli
# check the package and the menu and AppStream files: any finding fails.
# Arguments: cmake, cpack, the build folder, the source folder.
set -euo pipefail
cmake=$1 cpack=$2 build=$3 source=$4

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null \
        || fail "$tool is not installed (scripts/setup.sh lists it among the test packages)"
done

# The program swaps every "bin" in its folder's path for "res", so no other
# part of the path may hold one.
tmp=""
for _ in 1 2 3; do
    tmp=$(mktemp -d -t finmaw-install.XXXXXX)
    [[ $tmp != *bin* ]] && break
    rm -rf "$tmp"
    tmp=""
done
[ -n "$tmp" ] || fail "no temporary folder free of \"bin\""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

# Checks the tree under root/usr, whose links are in usr/<links>.
check_layout() {
    local root=$1 what=$2 links=$3 f
    local tree=$root/usr/lib/finmaw
    for f in bin/finmaw bin/finmaw_dbg; do
        [ -x "$tree/$f" ] || fail "$what: $f is not installed as a program"
    done
    for f in shark.bmp back.bmp fish_01.bmp font.bmp; do
        cmp -s "$tree/res/$f" "$source/res/$f" || fail "$what: res/$f is missing or differs"
    done
    for f in finmaw finmaw_dbg; do
        [ -L "$root/usr/$links/$f" ] || fail "$what: usr/$links/$f is not a link"
        [ "$(readlink -f "$root/usr/$links/$f")" = "$(readlink -f "$tree/bin/$f")" ] \
            || fail "$what: usr/$links/$f does not lead to the game"
    done
    local desktop=$root/usr/share/applications/finmaw.desktop
    [ -f "$desktop" ] || fail "$what: no menu entry"
    grep -qx 'Exec=finmaw' "$desktop" || fail "$what: the menu entry does not start finmaw"
    grep -qx 'Icon=finmaw' "$desktop" || fail "$what: the menu entry names no finmaw icon"
    [ -f "$root/usr/share/icons/hicolor/128x128/apps/finmaw.png" ] || fail "$what: no icon"
    [ -f "$root/usr/share/metainfo/io.github.finmaw.finmaw.metainfo.xml" ] \
        || fail "$what: no AppStream metadata"
    [ -f "$root/usr/share/doc/finmaw/copyright" ] || fail "$what: no copyright file"
    gzip -t "$root/usr/share/man/man6/finmaw.6.gz" 2>/dev/null || fail "$what: no gzipped manual page"
    [ "$(readlink "$root/usr/share/man/man6/finmaw_dbg.6.gz")" = finmaw.6.gz ] \
        || fail "$what: finmaw_dbg's manual page is not a link to finmaw's"
}

# Starts root/usr/<links>/finmaw in a fresh working folder, waits until the
# frame loop runs, stops it with SIGTERM and checks its status and logs.
check_run() {
    local root=$1 what=$2 links=$3
    local run=$tmp/run-$what
    mkdir -p "$run"
    cd "$run"
    "$root/usr/$links/finmaw" >stdout.txt 2>&1 &
    game_pid=$!
    # Start-up is done when the run log has begun; SIGTERM any earlier could
    # land before SDL is there to turn it into a quit request.
    local waited=0
    until grep -qs 'Starting up\.\.\.' run.log; do
        kill -0 "$game_pid" 2>/dev/null || break
        [ $waited -ge 600 ] && break
        sleep 0.1
        waited=$((waited + 1))
    done
    sleep 1
    kill -TERM "$game_pid" 2>/dev/null || true
    local status=0
    wait "$game_pid" || status=$?
    game_pid=""
    cd "$tmp"
    if [ "$status" -ne 0 ]; then
        cat "$run"/*.log "$run/stdout.txt" >&2 || true
        fail "$what: the installed program exited with status $status"
    fi
    grep -qF 'Created Player in world.' "$run/startup.log" \
        || { cat "$run/startup.log" >&2; fail "$what: start-up did not finish (pictures not found?)"; }
    grep -qF 'Quit message recieved.' "$run/run.log" \
        || { cat "$run/run.log" >&2; fail "$what: SIGTERM did not reach the game as a quit request"; }
    [[ $(grep -v '^DEBUG ' "$run/run.log" | tail -n1) == *'All cleaning done.' ]] \
        || { cat "$run/run.log" >&2; fail "$what: shutdown did not finish"; }
}

DESTDIR=$tmp/dest "$cmake" --install "$build" --prefix /usr >/dev/null
check_layout "$tmp/dest" install bin
check_run "$tmp/dest" install bin
echo "install: layout and run OK"

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/pkg" >"$tmp/cpack.out" 2>&1 \
    || { cat "$tmp/cpack.out" >&2; fail "cpack could not make the package"; }
deb=$(ls "$tmp"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libsdl2-2.0-0* ]] || fail "package does not depend on libsdl2-2.0-0: $depends"
[ "$(dpkg-deb -f "$deb" Package)" = finmaw ] || fail "package is not named finmaw"
dpkg-deb -x "$deb" "$tmp/deb"
check_layout "$tmp/deb" package games
[ ! -e "$tmp/deb/usr/bin" ] || fail "package: usr/bin is there beside usr/games"
gzip -t "$tmp/deb/usr/share/doc/finmaw/changelog.gz" 2>/dev/null || fail "package: no changelog.gz"
[ -f "$tmp/deb/usr/share/lintian/overrides/finmaw" ] || fail "package: no lintian overrides"
check_run "$tmp/deb" package games

# Any finding fails: lintian's errors and warnings (its informational tags
# and the overridden ones aside), anything desktop-file-validate prints, and
# any appstreamcli finding (a clean file gets a bare "successful.").
findings() {
    local what=$1; shift
    local out status=0
    out=$("$@" 2>&1) || status=$?
    if [ "$status" -ne 0 ] || [ -n "$out" ]; then
        printf '%s\n' "$out" >&2
        fail "$what found problems (status $status)"
    fi
}
findings lintian lintian --allow-root --fail-on error,warning \
    --display-level '>=warning' "$deb"
findings desktop-file-validate desktop-file-validate "$tmp/deb/usr/share/applications/finmaw.desktop"
appstream_out=$(appstreamcli validate --no-net \
    "$tmp/deb/usr/share/metainfo/io.github.finmaw.finmaw.metainfo.xml" 2>&1) \
    || { printf '%s\n' "$appstream_out" >&2; fail "appstreamcli validate failed"; }
[[ $appstream_out == *'Validation was successful.'* ]] \
    || { printf '%s\n' "$appstream_out" >&2; fail "appstreamcli validate found problems"; }
echo "package: $(basename "$deb") (Depends: $depends) OK"
