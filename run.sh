#!/usr/bin/env bash
# Builds the demo and runs the show from build/show. Without a display it
# starts a private X server, so the show still runs to its end.
set -euo pipefail
cd "$(dirname "$0")"
./tools/build.sh
cd build/show
if [ -n "${DISPLAY:-}" ]; then
  exec ./halvo "$@"
fi
exec xvfb-run -a -s "-screen 0 1920x1080x24" ./halvo "$@"
