#!/usr/bin/env bash
# Makes packaging/finmaw.png, the menu icon, from the shark's idle sprite
# (x 0, y 40, 110 by 40 in res/shark.bmp) with its magenta key made
# transparent, centred on a 128 by 128 canvas at its own scale. Needs
# ImageMagick; run it again when the shark changes and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."
convert res/shark.bmp -crop 110x40+0+40 +repage \
    -transparent '#ff00ff' \
    -background none -gravity center -extent 128x128 \
    -strip -define png:exclude-chunks=date,time \
    PNG32:packaging/finmaw.png
