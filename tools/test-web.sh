#!/usr/bin/env bash
# Builds the web target (tools/build-web.sh) and tests the site in Debian's
# headless Chromium (tests/web/SiteTest.mjs): the start screen, the show
# started and ended, a site without its data. The shaders' ES 3.00 check is
# in the native suite (GlslEsTest).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build-web.sh
node tests/web/SiteTest.mjs build-web/site "${HALVO_NATIVE_BUILD:-build}"
