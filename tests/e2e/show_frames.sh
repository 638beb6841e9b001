# The whole show at a glance, one frame a second at 160 x 90: no frame is
# black or flat except where the show goes dark on purpose, no two
# consecutive phrases look alike, and the show ends with the tune's last
# sound (its "end" event), its last frame faded out.
source "$(dirname "$0")/lib.sh"

frames="$WORK/frames"
(cd "$SHOW" && "$HALVO_BUILD/halvo-capture" --out "$frames" --fps 1 --size 160x90) \
    >"$WORK/capture.out" 2>"$WORK/capture.err" || fail "the capture failed"

# 8 rows a beat at 131 BPM; frame n shows second n.
end_row=$(awk '$2 == "end" { print $1 }' "$HALVO_BUILD/tune-events.txt")
[ -n "$end_row" ] || fail "no end event in tune-events.txt"
end_frame=$(awk -v r="$end_row" 'BEGIN { s = r * 60 / (131 * 8); n = int(s); if (n == s) n--; print n }')
count=$(ls "$frames" | wc -l)
expect_eq "$count" "$((end_frame + 1))" "frames up to the tune's end at row $end_row"

# Dark on purpose: the first seconds and the first of break 2 (bar 80,
# 146.6 s), while the blue feedback grows from nothing; the silent beat
# before the drop (rows 2040 to 2048, 116.8 s to 117.3 s); the fade of the
# last bar.
dark_ok() { [ "$1" -le 2 ] || [ "$1" -eq 117 ] || [ "$1" -eq 147 ] || [ "$1" -ge 177 ]; }
stats() { convert "$1" -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]' info:; }
for n in $(seq 0 "$end_frame"); do
    f=$(printf '%s/frame-%06d.png' "$frames" "$n")
    read -r mean deviation <<<"$(stats "$f")"
    dark_ok "$n" && continue
    awk -v m="$mean" 'BEGIN { exit !(m < 0.01) }' && fail "frame $n is black (mean $mean)"
    awk -v d="$deviation" 'BEGIN { exit !(d < 0.01) }' && fail "frame $n is flat (deviation $deviation)"
done
read -r mean _ <<<"$(stats "$(printf '%s/frame-%06d.png' "$frames" "$end_frame")")"
awk -v m="$mean" 'BEGIN { exit !(m < 0.03) }' || fail "the last frame has not faded (mean $mean)"

# A coarse signature of each phrase's middle (bar 8p + 4): 4 x 3 colours.
signature() { convert "$1" -resize '4x3!' -depth 8 txt:- | awk 'NR > 1 { gsub(/[(),]/, " "); print $3, $4, $5 }'; }
previous=
for p in $(seq 0 11); do
    n=$(awk -v p="$p" 'BEGIN { printf "%d", (8 * p + 4) * 240 / 131 + 0.5 }')
    signature "$(printf '%s/frame-%06d.png' "$frames" "$n")" >"$WORK/sig-$p"
    if [ -n "$previous" ]; then
        distance=$(paste "$WORK/sig-$previous" "$WORK/sig-$p" |
            awk '{ for (i = 1; i <= 3; i++) { d = $i - $(i + 3); s += d < 0 ? -d : d } } END { print s / (NR * 3 * 255) }')
        awk -v d="$distance" 'BEGIN { exit !(d < 0.04) }' &&
            fail "phrases $previous and $p look alike (distance $distance)"
    fi
    previous=$p
done
exit 0
