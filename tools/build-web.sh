#!/usr/bin/env bash
# Builds the show for the browser (Release, Debian's emscripten) into
# build-web/site/: index.html, index.js, index.wasm, index.data (the show's
# data package) and banner.png, for any static file server. The show's data
# is made once by the native generators, in the native build folder
# HALVO_NATIVE_BUILD (default build/), and packed from there.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
./tools/install-deps-web.sh

# The generator a folder was first configured with (CMake will not switch
# it), Ninja for a new one.
generator_of() {
  local generator=
  [ -f "$1/CMakeCache.txt" ] && generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$1/CMakeCache.txt")
  echo "${generator:-Ninja}"
}

native=${HALVO_NATIVE_BUILD:-build}
cmake -S . -B "$native" -G "$(generator_of "$native")" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" --parallel "$(nproc)" --target halvo_tune halvo_images halvo-tracks

# Debian's emcc runs on the machine's node, which must find Debian's modules.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S . -B build-web/cmake -G "$(generator_of build-web/cmake)" \
  -DCMAKE_BUILD_TYPE=Release -DHALVO_TESTS=OFF -DHALVO_BENCH=OFF \
  -DHALVO_NATIVE_BUILD="$(cd "$native" && pwd)" -DHALVO_SITE_DIR="$PWD/build-web/site" >/dev/null
cmake --build build-web/cmake --parallel "$(nproc)"
echo "build-web: the site is in build-web/site" >&2
