# The show fades from the first pattern scene (cool blues) to the second
# (warm reds) as its fusing weights say, framed by bars in the letterbox
# colour: checked on screenshots of the running demo, by region means.
source "$(dirname "$0")/lib.sh"
start_x
make_show

# Pattern 1 until row 48, then a cross-fade to pattern 2 by row 64; green bars.
add_track fusing-weight-1 "0 1 step" "48 1 linear" "64 0 step"
add_track fusing-weight-4 "0 0 step" "48 0 linear" "64 1 step"
add_track fx-effu-iGlobalTime "0 10 step"
add_track letterbox-g "0 0.5 step"
add_track e "0 0 step" "260 1 step"

# Mean of each colour channel over a region of a screenshot.
means() {
    convert "$1" -crop "$2" +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:
}

# The picture between the bars, and the top bar.
picture=1000x400+140+160
bar=1280x60+0+10

start_demo
wait_window
# The first frame comes once the shaders are built; rows 0 to 48 show pattern 1.
for _ in $(seq 100); do
    import -window root "$WORK/early.png"
    read -r r1 g1 b1 <<<"$(means "$WORK/early.png" $picture)"
    awk -v r="$r1" -v g="$g1" -v b="$b1" 'BEGIN { exit !(r + g + b > 0.05) }' && break
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before showing a picture"
    sleep 0.2
done
sleep 4
import -window root "$WORK/late.png"
kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before the second screenshot"
wait_demo 60
expect_eq "$STATUS" 0 "exit code"

read -r r2 g2 b2 <<<"$(means "$WORK/late.png" $picture)"
echo "early picture: r=$r1 g=$g1 b=$b1; late picture: r=$r2 g=$g2 b=$b2"
awk -v r="$r1" -v b="$b1" 'BEGIN { exit !(b > 1.2 * r && b > 0.1) }' ||
    fail "the early frame is not the blue pattern 1 (r=$r1 b=$b1)"
awk -v r="$r2" -v b="$b2" 'BEGIN { exit !(r > 1.2 * b && r > 0.1) }' ||
    fail "the late frame is not the red pattern 2 (r=$r2 b=$b2)"
awk -v r1="$r1" -v b1="$b1" -v r2="$r2" -v b2="$b2" 'BEGIN { exit !(r2 - b2 > r1 - b1 + 0.1) }' ||
    fail "the picture did not move from blue to red"

for shot in early late; do
    read -r r g b <<<"$(means "$WORK/$shot.png" $bar)"
    awk -v r="$r" -v g="$g" -v b="$b" \
        'BEGIN { exit !(r < 0.01 && b < 0.01 && g > 0.49 && g < 0.51) }' ||
        fail "the $shot bars are not the letterbox colour (0, 0.5, 0): r=$r g=$g b=$b"
done

# With no track files at all every weight is 0: a black picture with only the
# film grain moving on it, black bars, and only Escape ends the show.
rm "$WORK"/show/*.track
start_demo
wait_window
# The grain shows once the shaders are built, which takes a while on a busy machine.
for _ in $(seq 150); do
    import -window root "$WORK/blank1.png"
    max=$(convert "$WORK/blank1.png" -crop $picture +repage -format '%[fx:maxima]' info:)
    awk -v m="$max" 'BEGIN { exit !(m > 0) }' && break
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended without track files"
    sleep 0.2
done
sleep 1
import -window root "$WORK/blank2.png"
kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended without track files"
xdotool key Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape"
read -r r g b <<<"$(means "$WORK/blank1.png" $bar)"
expect_eq "$r $g $b" "0 0 0" "bars without tracks"
awk -v m="$max" 'BEGIN { exit !(m > 0 && m < 0.1) }' || fail "no faint grain on the blank picture (max $max)"
change=$(compare -metric AE "$WORK/blank1.png" "$WORK/blank2.png" null: 2>&1 || true)
[ "${change%% *}" -gt 1000 ] || fail "the blank picture did not change between frames ($change pixels)"
