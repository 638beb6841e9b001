# The capture tool's MP4: one second at a small size plays back with the
# right frame count, size, codec and an audio stream of the tune, and leaves
# no temporary file behind; the whole show's sound stays under -1 dBTP; and
# tools/make-video.sh writes where it is told.
source "$(dirname "$0")/lib.sh"
start_x
cd "$WORK"

"$HALVO_BUILD/halvo-capture" --from 30 --to 31 --size 160x90 --no-preroll --out v.mp4 \
    >v.out 2>v.err || fail "capture failed: $(tail -n 3 v.err)"
[ -s v.mp4 ] || fail "no v.mp4"
expect_eq "$(ls -A)" "$(printf '%s\n' display v.err v.mp4 v.out xvfb.log)" "files left"

probe() {
    ffprobe -v error -select_streams "$1" -show_entries "$2" -of default=noprint_wrappers=1:nokey=1 \
        "${@:3}" v.mp4
}
expect_eq "$(probe v:0 stream=codec_name,width,height,pix_fmt | tr '\n' ' ')" "h264 160 90 yuv420p " \
    "video stream"
expect_eq "$(probe v:0 stream=nb_read_frames -count_frames)" 60 "frame count"
expect_eq "$(probe v:0 stream=r_frame_rate)" 60/1 "frame rate"
expect_eq "$(probe a:0 stream=codec_name)" aac "audio stream"
# The audio is the tune's stretch from 30 s: a second of it, and not silence.
duration=$(probe a:0 stream=duration)
awk -v d="$duration" 'BEGIN { exit !(d > 0.95 && d < 1.1) }' || fail "audio lasts $duration s"
volume=$(ffmpeg -v info -i v.mp4 -map 0:a -af volumedetect -f null - 2>&1 |
    sed -n 's/.*mean_volume: \(-*[0-9.]*\) dB/\1/p')
awk -v v="$volume" 'BEGIN { exit !(v > -50) }' || fail "the audio is silent (mean $volume dB)"

# The whole show's sound, encoded as the video carries it, keeps its true
# peak at or below -1 dBTP (the encoder overshoots the tune's), and the report
# prints the figure. A tiny picture of one effect keeps it quick.
"$HALVO_BUILD/halvo-capture" --size 32x18 --fps 1 --effect pattern --out whole.mp4 \
    --report whole.json >whole.out 2>whole.err || fail "whole capture failed: $(tail -n 3 whole.err)"
peak=$(ffmpeg -hide_banner -nostdin -i whole.mp4 -map 0:a -af ebur128=peak=true -f null - 2>&1 |
    awk '/True peak:/ { getline; print $2 }')
awk -v p="$peak" 'BEGIN { exit !(p != "" && p <= -1.0) }' || fail "the video's sound peaks at $peak dBTP"
grep -qx "Video sound: true peak $peak dBTP" whole.out ||
    fail "the report does not give the sound's true peak $peak: $(head -n 3 whole.out)"
rm whole.mp4 whole.json whole.out whole.err

# tools/make-video.sh puts a relative OUT_DIR where it was run from.
mkdir caller
plan=$(cd caller && bash "$HALVO_SOURCE/tools/make-video.sh" --dry-run relout) ||
    fail "make-video.sh --dry-run failed"
to=$(realpath caller)/relout
grep -qF -- "--out $to/halvo.mp4 --report $to/halvo-report.json" <<<"$plan" ||
    fail "make-video.sh writes elsewhere: $plan"
[ ! -e caller/relout ] || fail "make-video.sh --dry-run made its folder"
echo PASS
