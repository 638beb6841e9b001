#!/usr/bin/env bash
# Cross-builds the show for Windows x64 (Release, mingw-w64) into build-win/:
# build-win/show/ holds halvo.exe with its data and track files, and
# build-win/halvo-win64.zip the same folder to unpack and double-click. The
# show's data is made once by the native generators, in the native build
# folder HALVO_NATIVE_BUILD (default build/), and copied from there.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
./tools/install-deps-windows.sh

# The generator a folder was first configured with (CMake will not switch
# it), Ninja for a new one.
generator_of() {
  local generator=
  [ -f "$1/CMakeCache.txt" ] && generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$1/CMakeCache.txt")
  echo "${generator:-Ninja}"
}

native=${HALVO_NATIVE_BUILD:-build}
cmake -S . -B "$native" -G "$(generator_of "$native")" -DCMAKE_BUILD_TYPE=Release >/dev/null
# The generators and what they make; the clock fixtures for the Windows tests.
cmake --build "$native" --parallel "$(nproc)" --target halvo-banner halvo_tune halvo_images \
  halvo-tracks clock-fixtures

./tools/windows/libraries.sh build-win/deps
cmake -S . -B build-win -G "$(generator_of build-win)" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/tools/windows/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$PWD/build-win/deps/prefix" \
  -DHALVO_NATIVE_BUILD="$(cd "$native" && pwd)" >/dev/null
cmake --build build-win --parallel "$(nproc)"
