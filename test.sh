#!/usr/bin/env bash
# Builds everything and runs every test (unit, GL and end-to-end) under a
# private X server; then the same for the Windows build under wine
# (tools/test-windows.sh), and the web build in headless Chromium
# (tools/test-web.sh). Extra arguments go to both ctest runs (e.g.
# -L unit, -R Sync).
set -euo pipefail
cd "$(dirname "$0")"
./tools/build.sh
(cd build && xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  ctest --output-on-failure --timeout 300 -j2 "$@")
./tools/test-windows.sh "$@"
./tools/test-web.sh
