#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, only when missing.
# Sourced by ./play and ./run-tests; quiet when everything is already there.
set -euo pipefail

finmaw_need_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building and playing needs.
FINMAW_BUILD_PACKAGES=(cmake ninja-build g++ make libsdl2-dev)
# What rebuilding a release elsewhere a day later needs, and diffoscope with
# what it reads a .deb, a zip and a program with (scripts/reproducible-test.sh).
FINMAW_REPRO_PACKAGES=(faketime diffoscope-minimal python3-debian binutils unzip)
# What the tests need on top: GoogleTest, Google Benchmark, a virtual X
# display with a key sender for the real-window test, clang for the
# byte-string fuzzer, and the checkers of the Debian package, the menu
# entry and the AppStream metadata, the habits: the source format and the
# static analyser, and the release rebuild above.
FINMAW_TEST_PACKAGES=(dpkg-dev file libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool clang libclang-rt-14-dev lintian desktop-file-utils appstream clang-format cppcheck "${FINMAW_REPRO_PACKAGES[@]}")
# What the browser build needs (./build-web; git applies the SDL patches, zip
# packs dist/finmaw-web.zip), and its test on top: Debian's
# Chromium, driven by playwright-core from the npm registry.
FINMAW_WEB_PACKAGES=(emscripten cmake ninja-build dpkg-dev git zip)
FINMAW_WEB_TEST_PACKAGES=(chromium)

# Release artefacts (the Windows zip, the web bundle, the Debian package)
# carry the last commit's date, never the time they were built: the scripts
# that make them call this, and stop when there is no date. Playing and
# testing need none.
finmaw_release_date() {
    SOURCE_DATE_EPOCH=$("$(dirname "${BASH_SOURCE[0]}")/source-date-epoch.sh")
    export SOURCE_DATE_EPOCH
}

# Node.js and npm: the machine's own if it has them, Debian's otherwise.
finmaw_need_node() {
    local pkgs=()
    command -v node >/dev/null 2>&1 || pkgs+=(nodejs)
    command -v npm >/dev/null 2>&1 || pkgs+=(npm)
    [ ${#pkgs[@]} -eq 0 ] || finmaw_need_packages "${pkgs[@]}"
}
