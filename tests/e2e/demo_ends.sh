# The show ends by itself when track "e" reaches 1.0, and on a tap of Escape;
# both with exit code 0 and nothing unexpected on stdout.
source "$(dirname "$0")/lib.sh"
start_x
make_show

# Track "e" steps to 1.0 at row 40, about 2.3 s into the tune.
add_track e "0 0 step" "40 1 step"
start_demo
wait_window
t0=$(date +%s.%N)
wait_demo 60
t1=$(date +%s.%N)
expect_eq "$STATUS" 0 "exit code when track e reaches 1.0"
# Standard output holds only what building the shaders prints: each source
# after "Got source:", the driver's log, "Compiled", and "Linked".
expect_eq "$(awk '/^Got source:/ { skip = 1 } !skip && !/^Linked$/ { print } /^Compiled$/ { skip = 0 }' \
    "$WORK/demo.out")" "" "standard output besides the shader build"
awk -v a="$t0" -v b="$t1" 'BEGIN { exit !(b - a > 1.5) }' ||
    fail "ended $(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}') s after the window opened; row 40 is 2.29 s"

# Without track "e" only Escape ends the show: a single key tap is enough.
rm "$WORK"/show/*.track
start_demo
wait_window
sleep 1
kill -0 "$DEMO_PID" || fail "the demo ended without track e"
xdotool key Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape"

# Started from a directory without data/, it finds its show beside itself.
cp "$SHOW/halvo" "$WORK/show/halvo"
add_track e "0 0 linear" "20 1 step"
(cd "$WORK" && exec "$WORK/show/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
DEMO_PID=$!
accept_dialog
wait_demo 60
expect_eq "$STATUS" 0 "exit code when started from elsewhere"
