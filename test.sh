#!/usr/bin/env bash
# Builds everything and runs every test (unit, GL and end-to-end) under a
# private X server; then the same for the Windows build under wine
# (tools/test-windows.sh), the web build in headless Chromium
# (tools/test-web.sh), and, without arguments, the release (tools/release.sh,
# then --check --install). Extra arguments go to both ctest runs (e.g.
# -L unit, -R Sync) and leave the release out.
set -euo pipefail
cd "$(dirname "$0")"
./tools/build.sh
(cd build && xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  ctest --output-on-failure --timeout 300 -j2 "$@")
./tools/test-windows.sh "$@"
./tools/test-web.sh
# The whole suite (no arguments) ends with the release, made and checked,
# its package installed, run and removed.
if [ $# -eq 0 ]; then
  ./tools/release.sh
  ./tools/release.sh --check dist --install
  bash tests/e2e/release_check.sh dist
fi
