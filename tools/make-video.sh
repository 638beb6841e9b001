#!/usr/bin/env bash
# Builds the show, then renders a contact sheet of the whole show (48 frames)
# and an MP4 of it at 640 x 360 with its sound, through the capture tool. The
# MP4's frames are measured as they are rendered: the show report (table on
# stdout, figures in halvo-report.json) is that render's.
#   tools/make-video.sh [OUT_DIR]   (default: build/video)
# Without a GPU, the particle ball's million particles take about half a
# second a frame: the video takes a while.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/video}
./tools/build.sh
mkdir -p "$out"
build/halvo-capture --sheet "$out/halvo-sheet.png" --frames 48 --fps 10 --size 640x360
build/halvo-capture --out "$out/halvo.mp4" --report "$out/halvo-report.json" \
  --fps 30 --size 640x360
echo "make-video: $out/halvo-sheet.png, $out/halvo.mp4 and $out/halvo-report.json"
