# The capture tool's PNG frames: the same range captured twice (once in this
# test's X server, once in the tool's own private one, with no DISPLAY) gives
# the same files byte for byte; names, sizes and the preroll note.
source "$(dirname "$0")/lib.sh"
start_x
CAPTURE="$HALVO_BUILD/halvo-capture"
cd "$WORK"

# 8 s in, 15 frames, after rendering the 480 before them unwritten.
"$CAPTURE" --from 8 --to 8.25 --size 160x90 --out a >a.out 2>a.err || fail "capture a failed"
env -u DISPLAY "$CAPTURE" --from 8 --to 8.25 --size 160x90 --out b >b.out 2>b.err ||
    fail "capture without DISPLAY failed"

expected=$(seq -f 'frame-%06g.png' 480 494)
expect_eq "$(ls a)" "$expected" "frames written"
expect_eq "$(ls b)" "$expected" "frames written without DISPLAY"
for f in $expected; do
    cmp -s "a/$f" "b/$f" || fail "$f differs between the two captures"
done
expect_eq "$(identify -format '%w %h %[channels]' a/frame-000480.png)" "160 90 srgb" "frame format"
# A real picture, not an empty one that would match trivially.
mean=$(convert a/frame-000487.png -colorspace gray -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.04) }' || fail "frame 487 is nearly black (mean $mean)"
# The show's own output (shader sources) is not on stdout, the summary is on stderr.
[ ! -s a.out ] || fail "stdout is not empty: $(head -c 200 a.out)"
grep -q '495 frames (0.000 s to 8.250 s) rendered' a.err || fail "no summary: $(tail -n 2 a.err)"

# Without preroll the frames start from an empty effect history, and it says so.
"$CAPTURE" --from 8 --to 8.05 --size 160x90 --out c --no-preroll >c.out 2>c.err ||
    fail "capture without preroll failed"
expect_eq "$(ls c)" "$(seq -f 'frame-%06g.png' 480 482)" "frames written without preroll"
grep -q 'no preroll: effect history starts empty at 8.000 s (frame 480)' c.err ||
    fail "no preroll note: $(cat c.err)"
grep -q '^halvo-capture: 3 frames (8.000 s to 8.050 s)' c.err || fail "no summary: $(tail -n 1 c.err)"
echo PASS
