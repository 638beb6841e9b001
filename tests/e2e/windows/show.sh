# The show under wine as a viewer meets it: Escape ends it with 0, held E
# reloads every shader ("Reload done!"), a missing or corrupt tune ends it
# with one message and 1, it runs from a folder whose name has spaces and
# letters beyond ASCII, and with its console hidden its messages are in
# halvo.log beside halvo.exe (or in the temporary folder when that folder
# cannot take it).
source "$(dirname "$0")/lib.sh"

# Accepts the dialog as it stands.
accept_dialog() {
    wait_dialog || fail "the demo ended without showing the setup dialog"
    keys Return
}

# Escape in the show ends it, with 0, long before its "e" track would.
make_show "$WORK/show" none
start_demo
accept_dialog
wait_window
sleep 1
xdotool windowfocus --sync "$WINDOW"
keys Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape in the show"

# Held E reloads every frame; then Escape.
start_demo
accept_dialog
wait_window
sleep 1
xdotool windowfocus --sync "$WINDOW"
# Held long enough to outlast the show's start-up under a busy wine: the
# first frame, and so the first reload, may come a second or more after the
# window appears.
xdotool keydown e
sleep 3
xdotool keyup e
keys Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after reloading"
reloads=$(text "$WORK/demo.out" | grep -c '^Reload done!$' || true)
[ "$reloads" -ge 2 ] || fail "held E gave $reloads reloads"

# A tune that is missing or not MP3: one line naming it and why, then the
# fixed message, and 1; no audio device gives the one warning before it.
for tune in missing corrupt; do
    dir="$WORK/tune-$tune"
    make_show "$dir"
    rm "$dir/data/nostalgia-rmx.mp3"
    [ "$tune" = corrupt ] && head -c 5000 /dev/urandom >"$dir/data/nostalgia-rmx.mp3"
    start_demo "$dir"
    accept_dialog
    wait_demo 30
    expect_eq "$STATUS" 1 "$tune tune: exit code"
    why="No such file or directory"
    [ "$tune" = corrupt ] && why="not MP3 audio"
    expect_eq "$(text "$WORK/demo.err" | grep -v '^halvo: no audio device')" \
        "$(printf 'Cannot open tune ./data/nostalgia-rmx.mp3: %s\nFailed to open tune.' "$why")" \
        "$tune tune: standard error"
done

# Spaces and letters beyond ASCII in the folder's name; the show runs to its
# "e" track.
odd="$WORK/Näytös ja ääni/Ωμέγα show"
make_show "$odd"
start_demo "$odd"
accept_dialog
wait_window
wait_demo 60
expect_eq "$STATUS" 0 "show in '$odd': exit code"

# With its console hidden (started on a terminal, as a console program is
# when double-clicked), the messages go to halvo.log beside it; a missing
# tune makes them. When halvo.log cannot be made there, in %TEMP%.
for where in beside temp; do
    dir="$WORK/log-$where"
    make_show "$dir"
    rm "$dir/data/nostalgia-rmx.mp3"
    temp_log="$WINEPREFIX/temp/halvo.log"
    rm -f "$temp_log"
    [ "$where" = temp ] && mkdir "$dir/halvo.log"
    (cd "$dir" && exec script -qec "wine ./halvo.exe" /dev/null) >"$WORK/console.out" 2>&1 </dev/null &
    DEMO_PID=$!
    accept_dialog
    wait_demo 30
    log="$dir/halvo.log"
    [ "$where" = temp ] && log=$temp_log
    [ -f "$log" ] || fail "console hidden, $where: no $log"
    text "$log" | grep -q '^Cannot open tune ./data/nostalgia-rmx.mp3: No such file or directory$' ||
        fail "console hidden, $where: the tune's message is not in $log"
    grep -q 'Cannot open tune' "$WORK/console.out" &&
        fail "console hidden, $where: the message went to the console too"
done
echo "windows show: all cases passed"
