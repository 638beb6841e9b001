# The show under wine as a viewer meets it: Escape ends it with 0, held E
# reloads every shader ("Reload done!"), a missing or corrupt tune ends it
# with one message, a message box saying so and 1, it runs from a folder
# whose name has spaces and letters beyond ASCII, a console of its own is
# hidden and its messages are in halvo.log beside halvo.exe (or in the
# temporary folder when that folder cannot take it), and a command prompt's
# console stays shown and gets the messages.
source "$(dirname "$0")/lib.sh"
# The text of a message box, as wine's trace gives it.
export WINEDEBUG=-all,+msgbox

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
# fixed message, and 1; no audio device gives the one warning before it. The
# fixed message shows in a box too, once the window is gone.
for tune in missing corrupt; do
    dir="$WORK/tune-$tune"
    make_show "$dir"
    rm "$dir/data/nostalgia-rmx.mp3"
    [ "$tune" = corrupt ] && head -c 5000 /dev/urandom >"$dir/data/nostalgia-rmx.mp3"
    start_demo "$dir"
    accept_dialog
    accept_failure_box 'Failed to open tune.'
    wait_demo 30
    expect_eq "$STATUS" 1 "$tune tune: exit code"
    why="No such file or directory"
    [ "$tune" = corrupt ] && why="not MP3 audio"
    expect_eq "$(text "$WORK/demo.err" | grep -v -e '^halvo: no audio device' -e ':trace:msgbox:')" \
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

# Windows' name of a file here, as wine escapes it in a trace.
traced_path() {
    echo "Z:$1" | sed 's|/|\\\\|g'
}

# A console made for the program alone (double-clicked: here wine start, or
# a terminal of its own) is hidden, and the messages go to halvo.log beside
# it, which the message box names; when halvo.log cannot be made there, to
# the one in %TEMP%. A missing tune makes them.
for where in beside temp; do
    dir="$WORK/log-$where"
    make_show "$dir"
    rm "$dir/data/nostalgia-rmx.mp3"
    temp_log="$WINEPREFIX/temp/halvo.log"
    rm -f "$temp_log"
    log="$dir/halvo.log"
    if [ "$where" = beside ]; then
        (cd "$dir" && exec wine start /wait halvo.exe) >"$WORK/console.out" 2>&1 </dev/null &
    else
        log=$temp_log
        mkdir "$dir/halvo.log"
        (cd "$dir" && exec script -qec "wine ./halvo.exe" /dev/null) >"$WORK/console.out" 2>&1 </dev/null &
    fi
    DEMO_PID=$!
    wait_dialog || fail "console hidden, $where: no setup dialog"
    if [ "$where" = beside ]; then
        console=$(xdotool search --name 'halvo\.exe$' 2>/dev/null | head -n 1 || true)
        [ -n "$console" ] || fail "console hidden, $where: wine start made no console window"
        xdotool search --onlyvisible --name 'halvo\.exe$' >/dev/null 2>&1 &&
            fail "console hidden, $where: the program's own console is still shown"
    fi
    keys Return
    accept_failure_box "Failed to open tune.\\n\\nThe log: $(traced_path "$log")" "$WORK/console.out"
    wait_demo 30
    expect_eq "$STATUS" 1 "console hidden, $where: exit code"
    [ -f "$log" ] || fail "console hidden, $where: no $log"
    text "$log" | grep -q '^Cannot open tune ./data/nostalgia-rmx.mp3: No such file or directory$' ||
        fail "console hidden, $where: the tune's message is not in $log"
    grep -q 'Cannot open tune' "$WORK/console.out" &&
        fail "console hidden, $where: the message went to the console too"
done

# Started from a command prompt, the console is the viewer's: it stays
# shown, the messages go there, no log is made, and the box names none. Its
# window, when wine start gives cmd one; what it shows, on a terminal.
for how in window terminal; do
    dir="$WORK/cmd-$how"
    make_show "$dir"
    rm "$dir/data/nostalgia-rmx.mp3"
    if [ "$how" = window ]; then
        (cd "$dir" && exec wine start /wait cmd /c halvo.exe) >"$WORK/console.out" 2>&1 </dev/null &
    else
        (cd "$dir" && exec script -qec "wine cmd /c halvo.exe" /dev/null) >"$WORK/console.out" 2>&1 </dev/null &
    fi
    DEMO_PID=$!
    wait_dialog || fail "from cmd, $how: no setup dialog"
    if [ "$how" = window ]; then
        xdotool search --onlyvisible --name 'cmd\.exe$' >/dev/null 2>&1 ||
            fail "from cmd, $how: the command prompt's console was hidden"
    fi
    keys Return
    accept_failure_box 'Failed to open tune.' "$WORK/console.out"
    wait_demo 30
    [ -e "$dir/halvo.log" ] && fail "from cmd, $how: a log was made"
    if [ "$how" = terminal ]; then
        # The console draws a space as a cursor step: compare without them.
        shown=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$WORK/console.out" | tr -d ' \r')
        grep -q '^Cannotopentune./data/nostalgia-rmx.mp3:Nosuchfileordirectory$' <<<"$shown" ||
            fail "from cmd, $how: the message did not reach the console"
    fi
done
echo "windows show: all cases passed"
