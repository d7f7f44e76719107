#!/usr/bin/env bash
# Builds SDL2 as a static library for the browser with Emscripten and
# installs it into a cache folder, once per SDL version, option set and
# Emscripten version. Emscripten's own SDL port downloads its source at build
# time, so the source comes from Debian's libsdl2 source package, fetched by
# scripts/fetch-sdl-source.sh as for the Windows build. Prints the install
# prefix as the last line of output. The patches beside this script
# (sdl-*.patch, listed below) are applied to the source first.
#
# FINMAW_CACHE_DIR overrides the cache folder (default ~/.cache/finmaw).
# FINMAW_JOBS sets the number of parallel compile jobs.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${FINMAW_CACHE_DIR:-}" ]; then
    cache_root=$FINMAW_CACHE_DIR
elif [ -n "${XDG_CACHE_HOME:-}${HOME:-}" ]; then
    cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/finmaw
else
    cache_root=$here/../../build-wasm/sdl-cache
fi
jobs=${FINMAW_JOBS:-$(nproc 2>/dev/null || echo 2)}
# Debian's Emscripten finds its JavaScript modules only through NODE_PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# Video, rendering, events, timers, files and the base path, as on Windows;
# threads stay off (Emscripten's SDL is made to work without them), and so
# does OpenGL: the game draws on the window surface, and WebGL's glue would
# only make the page bigger.
sdl_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
    -DSDL2_DISABLE_SDL2MAIN=ON -DSDL2_DISABLE_UNINSTALL=ON
    -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF
    -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
    -DSDL_VULKAN=OFF -DSDL_PTHREADS=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF
)

log() { echo "build-sdl: $*" >&2; }

patches=("$here/sdl-canvas-present.patch" "$here/sdl-keyed-blit.patch"
         "$here/sdl-no-wheel-touch.patch")

# Read whole: emcc fails on a pipe closed early.
emcc_version=$(emcc --version)
key=$( { printf '%s\n' "${sdl_options[@]}" "${emcc_version%%$'\n'*}"; cat "${patches[@]}"; } \
       | sha256sum | cut -c1-12)

# A finished build of any SDL version with these options will do; the newest
# wins. A folder without the stamp is an interrupted build.
done_prefix=""
for stamp in "$cache_root"/sdl2-emscripten-*-"$key"/.finmaw-complete; do
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

for p in "${patches[@]}"; do
    (cd "$work/sdl" && git apply "$p") || { log "$(basename "$p") does not apply to SDL $version"; exit 1; }
done

prefix=$cache_root/sdl2-emscripten-$version-$key
rm -rf "$prefix"
log "building SDL $version for the browser into $prefix"
emcmake cmake -S "$work/sdl" -B "$work/build" -G Ninja \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${sdl_options[@]}" >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 \
    || { tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
echo "$version" > "$prefix/.finmaw-complete"
echo "$prefix"
