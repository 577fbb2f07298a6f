#!/usr/bin/env bash
# Rebuilds the artwork generator in build-artgen/ and redraws every picture
# into resources/images (the English variants of the pictures with writing into
# resources/images/en; the compiled-in resource list is resources/images.qrc)
# and the desktop icons into packaging/icons.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-artgen"

cmake -S "$root/tools/artgen" -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" -j 2
QT_QPA_PLATFORM=offscreen "$build/artgen" "$root/resources/images" "$root/packaging/icons"
