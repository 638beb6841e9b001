# Holding Space while the particle ball plays prints its debug block once a
# frame: the camera position and the three emitters' latched positions,
# between two rules of eleven dashes. Nothing is printed without Space.
source "$(dirname "$0")/lib.sh"
start_x
make_show

# The ball alone, its camera at (1, 2, 3) without shake; emitter 0 changes
# image at row 0 and lands at its track position plus the camera's x.
add_track fusing-weight-0 "0 1 step"
add_track pball-cam-pos-x "0 1 step"
add_track pball-cam-pos-y "0 2 step"
add_track pball-cam-pos-z "0 3 step"
add_track emit-sprite-0-texture-id "0 5 step"
add_track emit-sprite-0-pos-x "0 4 step"
add_track emit-sprite-0-pos-y "0 0.5 step"
add_track emit-sprite-0-pos-z "0 -1 step"

start_demo
wait_window
# Each frame of the ball takes about half a second here: wait for a few.
sleep 4
kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended early"
grep -q -- '^-----------$' "$WORK/demo.out" && fail "a debug block before Space was pressed"

blocks() { grep -c '^campos = ' "$WORK/demo.out" || true; }
# Held until two frames have printed (a frame can take seconds under load).
xdotool keydown space
for _ in $(seq 60); do
    [ "$(blocks)" -ge 2 ] && break
    sleep 0.5
done
xdotool keyup space
[ "$(blocks)" -ge 2 ] || fail "only $(blocks) debug blocks while Space was held for 30 s"
# The frame under way when Space was released may still print.
sleep 4
printed=$(blocks)

# Every block has the same six lines.
awk '/^-----------$/ { n++; getline; print; for (i = 0; i < 4; i++) { getline; print } exit }' \
    "$WORK/demo.out" >"$WORK/block.txt"
printf '%s\n' 'campos = 1, 2, 3' '- 5, 0.5, -1' '- 0, 0, 0' '- 0, 0, 0' '-----------' \
    >"$WORK/expected.txt"
diff "$WORK/expected.txt" "$WORK/block.txt" >&2 || fail "the debug block differs"
expect_eq "$(grep -c '^-----------$' "$WORK/demo.out")" "$((2 * printed))" "rules per block"

sleep 3
expect_eq "$(blocks)" "$printed" "blocks after Space was released"

xdotool key Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape"
