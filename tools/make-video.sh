#!/usr/bin/env bash
# Builds the show, then renders a contact sheet of the whole show (48 frames)
# and an MP4 of it at 640 x 360 with its sound, through the capture tool. The
# MP4's frames are measured as they are rendered: the show report (table on
# stdout, figures in halvo-report.json) is that render's, and its second line
# gives the true peak of the MP4's sound, held at or below -1 dBTP.
#   tools/make-video.sh [--dry-run] [OUT_DIR]   (default: build/video)
# --dry-run prints the commands instead of running them.
# Without a GPU, the particle ball's million particles take about half a
# second a frame: the video takes a while.
set -euo pipefail
dry=
if [ "${1-}" = --dry-run ]; then
    dry=1
    shift
fi
# OUT_DIR is the caller's: resolved before moving to the tree, which holds
# the default.
out=
[ -z "${1-}" ] || out=$(realpath -m -- "$1")
cd "$(dirname "$0")/.."
out=${out:-$PWD/build/video}
run() {
    if [ -n "$dry" ]; then
        printf '%q ' "$@"
        echo
    else
        "$@"
    fi
}
run ./tools/build.sh
run mkdir -p "$out"
run build/halvo-capture --sheet "$out/halvo-sheet.png" --frames 48 --fps 10 --size 640x360
run build/halvo-capture --out "$out/halvo.mp4" --report "$out/halvo-report.json" \
  --fps 30 --size 640x360
echo "make-video: $out/halvo-sheet.png, $out/halvo.mp4 and $out/halvo-report.json"
