#!/usr/bin/env bash
# Browser test of the web build: makes dist/web/ with ./build-web, then
# plays it in headless Chromium (scripts/web/browser-test.cjs): keys, canvas
# pixels, the end of the game and both log files, and a timing of Game_Frame
# at full load, printed only. playwright-core, which drives the browser, is
# installed from the npm registry into the cache folder, never the tree.
#
# FINMAW_CACHE_DIR overrides the cache folder (default ~/.cache/finmaw).
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
source scripts/setup.sh
finmaw_need_packages "${FINMAW_WEB_TEST_PACKAGES[@]}"
finmaw_need_node

fail() { echo "web smoke-test: FAIL: $*" >&2; exit 1; }

started=$(date +%s)
build_out=$(mktemp)
./build-web >"$build_out" 2>&1 \
    || { cat "$build_out" >&2; rm -f "$build_out"; fail "./build-web failed"; }
grep -E '^build-sdl:' "$build_out" || true
rm -f "$build_out"
built=$(date +%s)
echo "web smoke-test: ./build-web took $((built - started)) s"

if [ -n "${FINMAW_CACHE_DIR:-}" ]; then
    cache_root=$FINMAW_CACHE_DIR
else
    cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/finmaw
fi
playwright_version=1.65.2
node_dir=$cache_root/playwright-core-$playwright_version
if [ ! -e "$node_dir/.finmaw-complete" ]; then
    echo "web smoke-test: installing playwright-core $playwright_version into $node_dir"
    rm -rf "$node_dir"
    mkdir -p "$node_dir"
    npm install --prefix "$node_dir" --no-audit --no-fund --no-save --no-package-lock \
        --loglevel=error "playwright-core@$playwright_version" >/dev/null \
        || fail "npm could not install playwright-core"
    touch "$node_dir/.finmaw-complete"
fi

NODE_PATH=$node_dir/node_modules node scripts/web/browser-test.cjs dist/web \
    || fail "the game did not play as it should in Chromium"
echo "web smoke-test: the browser test took $(( $(date +%s) - built )) s"
echo "web smoke-test: passed"
