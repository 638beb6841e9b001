# The Win32 setup dialog under wine as a viewer meets it: its caption, the
# screen's 16:9 modes of 32 bits in its list (1280 x 720 selected), Return
# opening the show at the chosen size, which ends on its "e" track with 0,
# and Escape ending the program with -1 (255) before any window opens.
source "$(dirname "$0")/lib.sh"
make_show

# The screen's extra modes are added by the suite's runner before wine
# starts: wine reads the screen's modes once, and may miss any added later.
for mode in 1024x768_60 1280x720_60 1280x720_75 1360x768_60 1366x768_60 1600x900_60; do
    xrandr | grep -q "^   $mode " || fail "the screen has no mode $mode (tools/test-windows.sh adds it)"
done
# What Windows lists, smallest first; the 16:9 lines, 1280 x 720 once.
lines=(1280x720 1366x768 1600x900 1920x1080)

# The size of the show's X window, W x H.
window_size() {
    local info
    info=$(xwininfo -id "$WINDOW")
    echo "$(awk '/^  Width:/ { print $2 }' <<<"$info")x$(awk '/^  Height:/ { print $2 }' <<<"$info")"
}

# After the dialog was accepted: the show opens at W x H and ends by itself
# on its "e" track, with 0. Wine draws the frame of an unmanaged window
# inside its X window, which is that much larger; a window as tall as the
# screen is made shorter to fit, as Windows does: only its width tells.
expect_show() {
    local what=$1 size=$2 shown
    wait_window
    [ -n "${FRAME_W:-}" ] || fail "frame size unknown"
    shown=$(window_size)
    if [ "${size#*x}" -ge 1080 ]; then
        expect_eq "${shown%x*}" "$((${size%x*} + FRAME_W))" "$what: window width"
    else
        expect_eq "$shown" "$((${size%x*} + FRAME_W))x$((${size#*x} + FRAME_H))" "$what: window size"
    fi
    wait_demo 60
    expect_eq "$STATUS" 0 "$what: exit code at the end of track e"
}

# Return takes the defaults: 1280 x 720, windowed; the frame's size is
# learnt here.
start_demo
wait_dialog || fail "the demo ended without showing the setup dialog"
keys Return
wait_window
size=$(window_size)
FRAME_W=$((${size%x*} - 1280))
FRAME_H=$((${size#*x} - 720))
[ "$FRAME_W" -ge 0 ] && [ "$FRAME_W" -lt 40 ] && [ "$FRAME_H" -ge 0 ] && [ "$FRAME_H" -lt 60 ] ||
    fail "defaults: window of $FRAME_W x $FRAME_H pixels more than 1280 x 720"
wait_demo 60
expect_eq "$STATUS" 0 "defaults: exit code at the end of track e"
grep -q '^Got source:' "$WORK/demo.out" || fail "defaults: no shader sources on stdout"

# Line i is reached from the first with i presses of Down; one more than the
# list holds stays on the last line, so the list has exactly these lines.
for i in 0 1 2 3 4; do
    start_demo
    wait_dialog || fail "line $i: no dialog"
    downs=()
    for ((k = 0; k < i; ++k)); do downs+=(Down); done
    keys Tab Home "${downs[@]}" Return
    expect_show "line $i" "${lines[$((i < 4 ? i : 3))]}"
done

# Escape cancels: -1, before any window of the show and any shader.
start_demo
wait_dialog || fail "Escape: no dialog"
keys Escape
wait_demo 20
expect_eq "$STATUS" 255 "exit code after Escape in the dialog"
expect_eq "$(cat "$WORK/demo.out")" "" "standard output after Escape"
xdotool search --name '^Halvo$' >/dev/null 2>&1 && fail "a window of the show was made after Escape"
echo "windows dialog: all cases passed"
