# The setup dialog as a viewer meets it: the display's 16:9 modes in its list,
# Enter opening the show's window at the chosen size (fullscreen when ticked),
# Escape and the close box ending the program with 255 before any window.
source "$(dirname "$0")/lib.sh"
# The screen starts at its largest size; smaller modes are added below.
start_x -screen 0 1920x1080x24
make_show
SEND_CLOSE="$HALVO_BUILD/tests/halvo-send-close"

# Adds a mode of W x H at about RATE Hz to the screen's one output.
add_mode() {
    local w=$1 h=$2 rate=$3 name="$1x$2_$3"
    local clock
    clock=$(awk -v w="$w" -v h="$h" -v r="$rate" 'BEGIN { printf "%.3f", (w + 24) * (h + 9) * r / 1e6 }')
    xrandr --newmode "$name" "$clock" "$w" $((w + 8)) $((w + 16)) $((w + 24)) \
        "$h" $((h + 3)) $((h + 6)) $((h + 9)) || fail "xrandr --newmode $name"
    xrandr --addmode screen "$name" || fail "xrandr --addmode $name"
}

# Starts the demo and waits for its dialog; X events on the root window are
# logged to $WORK/xev.log to see which windows get created.
start_dialog() {
    xev -root -event substructure >"$WORK/xev.log" 2>/dev/null &
    XEV_PID=$!
    sleep 0.2
    (cd "$WORK/show" && exec "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
    DEMO_PID=$!
    wait_dialog || fail "the demo ended without showing the setup dialog"
    xdotool windowfocus --sync "$DIALOG"
}

stop_xev() {
    kill "$XEV_PID" 2>/dev/null || true
    wait "$XEV_PID" 2>/dev/null || true
}

# Presses the keys in the dialog, one by one.
keys() {
    local k
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.15
    done
}

# After the dialog was accepted: the show's window has the size W x H, is
# fullscreen ("full") or not ("window"); the show then ends on Escape with 0.
expect_show_window() {
    local what=$1 size=$2 mode=$3
    wait_window
    local id info
    id=$(xdotool search --onlyvisible --name '^Halvo$' | head -n 1)
    info=$(xwininfo -id "$id")
    local w h override
    w=$(awk '/^  Width:/ { print $2 }' <<<"$info")
    h=$(awk '/^  Height:/ { print $2 }' <<<"$info")
    override=$(awk '/Override Redirect State:/ { print $4 }' <<<"$info")
    expect_eq "${w}x${h}" "$size" "$what: window size"
    if [ "$mode" = full ]; then
        # Without a window manager a fullscreen window is placed over the
        # whole monitor by itself, and the monitor switches to its mode.
        expect_eq "$override" yes "$what: fullscreen window"
        grep -q "^screen connected $size+0+0" <(xrandr --current) ||
            fail "$what: monitor not switched to $size: $(xrandr --current | sed -n 2p)"
    else
        expect_eq "$override" no "$what: windowed"
    fi
    xdotool windowfocus --sync "$id" key Escape
    wait_demo 30
    expect_eq "$STATUS" 0 "$what: exit code after the show"
    stop_xev
}

# The screen offers only 1920 x 1080: no line matches the default 1280 x 720,
# and "Demo" with nothing chosen keeps 1280 x 720.
start_dialog
keys Return
expect_show_window "no line selected" 1280x720 window

# Nine modes; the list must show the five 16:9 ones, 1280 x 720 once.
add_mode 1024 768 60
add_mode 1280 720 60
add_mode 1280 720 75
add_mode 1360 768 60
add_mode 1366 768 60
add_mode 1600 900 60
add_mode 854 480 60
add_mode 1280 800 60
lines=(854x480 1280x720 1366x768 1600x900 1920x1080)

# Enter takes the default: 1280 x 720 is offered and selected.
start_dialog
keys Return
expect_show_window "defaults" 1280x720 window
grep -q 'width 1280, height 720' "$WORK/xev.log" || fail "xev did not see the show's window"

# Line i is reached from the first with i presses of Down; one more than the
# list holds stays on the last line, so the list has exactly these lines.
for i in 0 1 2 3 4 5; do
    start_dialog
    downs=()
    for ((k = 0; k < i; ++k)); do downs+=(Down); done
    keys Tab Home "${downs[@]}" Return
    expected=${lines[$((i < 5 ? i : 4))]}
    expect_show_window "line $i" "$expected" window
done

# The selection starts on 1280 x 720: one Down gives the next line.
start_dialog
keys Tab Down Return
expect_show_window "line after the default" 1366x768 window

# Ticking the box (third in the tab order) opens the show fullscreen.
start_dialog
keys Tab Down Tab space Return
expect_show_window "fullscreen" 1366x768 full
grep -q '^screen connected 1920x1080+0+0' <(xrandr --current) ||
    fail "monitor mode not restored after the fullscreen show"

# Escape cancels: exit code -1, and no window of the show was ever created.
start_dialog
keys Escape
wait_demo 10
stop_xev
expect_eq "$STATUS" 255 "exit code after Escape"
expect_eq "$(cat "$WORK/demo.out")" "" "standard output after Escape"
grep -q 'width 1280, height 720' "$WORK/xev.log" && fail "a 1280 x 720 window was created after Escape"

# The close box cancels the same way.
start_dialog
"$SEND_CLOSE" "$DIALOG" || fail "cannot send the close request"
wait_demo 10
stop_xev
expect_eq "$STATUS" 255 "exit code after the close box"
grep -q 'width 1280, height 720' "$WORK/xev.log" && fail "a window was created after the close box"

# The banner is shown at its own size, centred in its frame: 19, 28 in the
# dialog (7, 11 dialog units at 1.75 pixels each, plus the centring).
start_dialog
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
import -window root -crop "315x157+$((X + 19))+$((Y + 28))" +repage "$WORK/shown.png"
rmse=$(compare -metric RMSE "$WORK/shown.png" "$HALVO_SOURCE/app/resources/banner.png" null: 2>&1 |
    sed -E 's/.*\((.*)\)/\1/')
awk -v e="$rmse" 'BEGIN { exit !(e < 0.02) }' || fail "banner not shown as drawn (RMSE $rmse)"
keys Escape
wait_demo 10
stop_xev
echo "setup dialog: all cases passed"
