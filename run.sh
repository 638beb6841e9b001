#!/usr/bin/env bash
# Builds the demo and runs the show from build/show. Without a display it
# starts a private X server, accepts the setup dialog there as a viewer
# pressing Enter would, and the show runs to its end.
# ./run.sh --edit [OPTIONS] runs build/halvo-edit instead, the show live for
# making it (options: build/halvo-edit --help).
set -euo pipefail
cd "$(dirname "$0")"
./tools/build.sh
if [ "${1:-}" = "--edit" ]; then
  shift
  if [ -n "${DISPLAY:-}" ]; then
    exec ./build/halvo-edit "$@"
  fi
  exec xvfb-run -a -s "-screen 0 1920x1080x24" ./build/halvo-edit "$@"
fi
cd build/show
if [ -n "${DISPLAY:-}" ]; then
  exec ./halvo "$@"
fi
exec xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  ./halvo "$@" &
  demo=$!
  while kill -0 "$demo" 2>/dev/null; do
    dialog=$(xdotool search --onlyvisible --name "^Halvo // Sorva\$" 2>/dev/null | head -n 1)
    if [ -n "$dialog" ]; then
      xdotool windowfocus --sync "$dialog" key Return
      break
    fi
    sleep 0.1
  done
  wait "$demo"' run.sh "$@"
