# The setup dialog's link buttons open their pages in the desktop's browser
# and leave the dialog open; without a display the show goes on with its
# settings after one line on stderr.
source "$(dirname "$0")/lib.sh"
start_x
make_show

# A stand-in browser, registered as the desktop's handler of https links,
# that writes down each address it is asked to open.
mkdir -p "$WORK/xdg-data/applications" "$WORK/xdg-config"
cat >"$WORK/browser.sh" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$WORK/opened.txt"
EOF
chmod +x "$WORK/browser.sh"
cat >"$WORK/xdg-data/applications/halvo-test-browser.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Test browser
Exec=$WORK/browser.sh %u
MimeType=x-scheme-handler/https;x-scheme-handler/http;
EOF
cat >"$WORK/xdg-config/mimeapps.list" <<EOF
[Default Applications]
x-scheme-handler/https=halvo-test-browser.desktop
x-scheme-handler/http=halvo-test-browser.desktop
EOF

opened() { cat "$WORK/opened.txt" 2>/dev/null || true; }

# Waits up to 5 s for the stand-in browser to have opened N addresses.
wait_opened() {
    for _ in $(seq 50); do
        [ "$(opened | wc -l)" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "the browser was asked for $(opened | wc -l) addresses, expected $1"
}

dialog_still_open() {
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended after $1"
    xdotool search --onlyvisible --name '^Halvo // Sorva$' >/dev/null || fail "the dialog closed after $1"
}

(cd "$WORK/show" && exec env XDG_DATA_HOME="$WORK/xdg-data" XDG_CONFIG_HOME="$WORK/xdg-config" \
    "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
DEMO_PID=$!
wait_dialog || fail "no setup dialog"
xdotool windowfocus --sync "$DIALOG"

# "Twitter" is fourth in the tab order; space presses it.
xdotool key Tab Tab Tab space
wait_opened 1
expect_eq "$(opened | sed -n 1p)" "https://social.example/@halvo" "address of the Twitter button"
dialog_still_open "Twitter"

# "WWW" is next; Enter on a focused link button presses that button, not "Demo".
xdotool key Tab Return
wait_opened 2
expect_eq "$(opened | sed -n 2p)" "https://halvo.example/" "address of the WWW button"
sleep 0.5
dialog_still_open "WWW"

# A click works as well.
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
xdotool mousemove $((X + 298)) $((Y + 255)) click 1
wait_opened 3
expect_eq "$(opened | sed -n 3p)" "https://halvo.example/" "address after clicking WWW"
dialog_still_open "a click on WWW"

xdotool key Escape
wait_demo 10
expect_eq "$STATUS" 255 "exit code after Escape"

# No display: one line on stderr saying the dialog cannot be shown and why,
# without promising a window size; the show then fails at its window with its
# own message.
(cd "$WORK/show" && exec env -u DISPLAY timeout 30 "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" ||
    STATUS=$?
expect_eq "$STATUS" 1 "exit code without a display"
expect_eq "$(grep -c 'setup dialog' "$WORK/demo.err")" 1 "lines about the setup dialog"
grep -Eq '^Cannot show the setup dialog: [^;]*DISPLAY[^;]*\.$' "$WORK/demo.err" ||
    fail "no clear message about the dialog: $(head -n 1 "$WORK/demo.err")"
grep -q 'starting at' "$WORK/demo.err" && fail "a size is promised without a display"
grep -Eq '^Cannot start the window system: .*DISPLAY' <(tail -n 1 "$WORK/demo.err") ||
    fail "the last line does not name the cause: $(tail -n 1 "$WORK/demo.err")"
echo "setup links: all cases passed"
