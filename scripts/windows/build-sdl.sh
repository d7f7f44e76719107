#!/usr/bin/env bash
# Cross-builds SDL2 as a static library for 64-bit Windows and installs it
# into a cache folder, once per SDL version and option set. Debian ships no
# SDL2 for MinGW, so the source comes from Debian's own source package of
# libsdl2, fetched by scripts/fetch-sdl-source.sh (shared with the web
# build) through a private apt setup that leaves the system's package lists
# alone. Prints the install prefix as the last line of output.
#
# FINMAW_CACHE_DIR overrides the cache folder (default ~/.cache/finmaw).
# FINMAW_JOBS sets the number of parallel compile jobs.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toolchain=$here/mingw-w64.cmake
if [ -n "${FINMAW_CACHE_DIR:-}" ]; then
    cache_root=$FINMAW_CACHE_DIR
elif [ -n "${XDG_CACHE_HOME:-}${HOME:-}" ]; then
    cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/finmaw
else
    cache_root=$here/../../build-win/sdl-cache
fi
jobs=${FINMAW_JOBS:-$(nproc 2>/dev/null || echo 2)}

# The game uses video, rendering, events, timers, files and the base path;
# everything else is left out.
sdl_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
    -DSDL2_DISABLE_SDL2MAIN=ON -DSDL2_DISABLE_UNINSTALL=ON
    -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF
    -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
    -DSDL_VULKAN=OFF
)

log() { echo "build-sdl: $*" >&2; }

key=$( { printf '%s\n' "${sdl_options[@]}"; cat "$toolchain"
         x86_64-w64-mingw32-gcc-posix -dumpfullversion; } | sha256sum | cut -c1-12)

# A finished build of any SDL version with these options will do; the newest
# wins. A folder without the stamp is an interrupted build.
done_prefix=""
for stamp in "$cache_root"/sdl2-mingw-*-"$key"/.finmaw-complete; do
    [ -e "$stamp" ] && done_prefix=$(dirname "$stamp")
done
if [ -n "$done_prefix" ]; then
    log "using cached $(basename "$done_prefix")"
    echo "$done_prefix"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

version=$("$here/../fetch-sdl-source.sh" "$work" | tail -n1)

prefix=$cache_root/sdl2-mingw-$version-$key
rm -rf "$prefix"
log "cross-building SDL $version into $prefix"
cmake -S "$work/sdl" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${sdl_options[@]}" >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 \
    || { tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
echo "$version" > "$prefix/.finmaw-complete"
echo "$prefix"
