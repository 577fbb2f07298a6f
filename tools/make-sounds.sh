#!/usr/bin/env bash
# Rebuilds the sound generator in build-soundgen/ and synthesises every sound
# into resources/sounds (the compiled-in resource list is resources/sounds.qrc).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-soundgen"

cmake -S "$root/tools/soundgen" -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" -j 2
mkdir -p "$root/resources/sounds"
"$build/soundgen" "$root/resources/sounds"
