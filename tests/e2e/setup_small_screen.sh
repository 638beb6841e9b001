# The setup dialog on screens smaller than its layout or without a 16:9 mode:
# it stays on the screen with its Demo button in view, preselects a size that
# fits, and Enter opens the show's window at that size.
source "$(dirname "$0")/lib.sh"
make_show
# screen, the show's window after Enter
for row in "320x180 320x180" "1024x768 1024x576"; do
    read -r screen shown <<<"$row"
    start_x -screen 0 "${screen}x24"
    (cd "$WORK/show" && exec "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
    DEMO_PID=$!
    wait_dialog || fail "$screen: the demo ended without showing the setup dialog"
    xdotool windowfocus --sync "$DIALOG"
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
    ((X >= 0 && Y >= 0 && X + WIDTH <= ${screen%x*} && Y + HEIGHT <= ${screen#*x})) ||
        fail "$screen: dialog ${WIDTH}x${HEIGHT}+$X+$Y does not fit the screen"
    # The Demo button's blue, about 2000 pixels when all of it shows.
    blue=$(import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage png:- |
        convert - -fx '(r<0.35 && g>0.4 && g<0.65 && b>0.8) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:)
    ((blue > 1500)) || fail "$screen: the Demo button is not in view ($blue blue pixels)"

    xdotool key Return
    wait_window
    id=$(xdotool search --onlyvisible --name '^Halvo$' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    expect_eq "${WIDTH}x${HEIGHT}" "$shown" "$screen: show window after Enter"
    xdotool windowfocus --sync "$id" key Escape
    wait_demo 30
    expect_eq "$STATUS" 0 "$screen: exit code after the show"
    kill "$XPID" && wait "$XPID" 2>/dev/null || true
    XPID=
done
echo "setup dialog on small screens: ok"
