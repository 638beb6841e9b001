#!/usr/bin/env bash
# Rewrites the tracks that hit on the tune's events (tracks/hits.rules says
# which) from the tune as it is now. Run it after changing the tune or the
# rules; ChoreoTest fails until the committed tracks agree.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/build.ninja ] || ./tools/build.sh
cmake --build build --target halvo-choreo halvo_tune_events
build/halvo-choreo build/tune-events.txt tracks/hits.rules tracks
build/halvo-choreo --report build/tune-events.txt tracks/hits.rules
