#!/usr/bin/env bash
# Browser test of the web build: makes dist/web/ with ./build-web, then
# plays it in headless Chromium (scripts/web/browser-test.cjs): the window
# play and its logs, old caches, two copies reloaded offline, gamepads, touch
# screens of every shape, broken pictures, and the pace on 90 and 144 Hz
# displays, a 60 Hz one that misses animation frames and a slowed CPU; the
# transfer, first-frame and full-load figures are printed only. The native
# full-load frame comes from build/bin/finmaw_bench when ./run-tests has
# built it. playwright-core, which drives the browser, is installed from the
# npm registry into the cache folder, never the tree.
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

# The native frame the browser's is set against, measured in this same run.
native_us=""
if [ -x build/bin/finmaw_bench ]; then
    bench_json=$(mktemp)
    if build/bin/finmaw_bench --benchmark_filter='^BM_FrameFullLoad$' \
        --benchmark_out="$bench_json" --benchmark_out_format=json >/dev/null 2>&1; then
        native_us=$(node -e 'const b = JSON.parse(require("fs").readFileSync(process.argv[1])).benchmarks[0];
            console.log((b.real_time * { ns: 1e-3, us: 1, ms: 1e3, s: 1e6 }[b.time_unit]).toFixed(1));' "$bench_json")
        echo "web smoke-test: native BM_FrameFullLoad ${native_us} us"
    fi
    rm -f "$bench_json"
else
    echo "web smoke-test: no build/bin/finmaw_bench (./run-tests builds it), so no native frame to compare"
fi

FINMAW_NATIVE_FRAME_US=$native_us NODE_PATH=$node_dir/node_modules node scripts/web/browser-test.cjs dist/web \
    || fail "the game did not play as it should in Chromium"
echo "web smoke-test: the browser test took $(( $(date +%s) - built )) s"
scripts/reproducible-test.sh web
echo "web smoke-test: passed"
