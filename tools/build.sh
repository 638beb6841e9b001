#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
# CMake will not switch the generator of a configured build folder: keep the
# one build/ was first configured with (plain `cmake -S . -B build` picks
# Unix Makefiles), and Ninja for a new one.
generator=Ninja
if [ -f build/CMakeCache.txt ]; then
  generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' build/CMakeCache.txt)
fi
cmake -S . -B build -G "${generator:-Ninja}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)"
