# halvo-edit driven by real key presses: the transport keys move the row by a
# beat, a bar and 8 bars, Home goes to row 0, L loops the current phrase,
# pause holds the row; the heads-up display shows over the picture until H,
# and the demo has none.
source "$(dirname "$0")/lib.sh"
start_x
make_show
mkdir "$WORK/tracks"

(cd "$WORK/show" && exec "$HALVO_BUILD/halvo-edit" --paused --size 320x180 \
    --tracks "$WORK/tracks" --editor 127.0.0.1:9) >"$WORK/edit.out" 2>"$WORK/edit.err" &
DEMO_PID=$!
wait_window

told() { grep -c '^halvo-edit: row ' "$WORK/edit.out" || true; }
for _ in $(seq 300); do
    [ "$(told)" -ge 1 ] && break
    sleep 0.1
done
expect_eq "$(grep '^halvo-edit: row ' "$WORK/edit.out" | tail -n 1)" \
    "halvo-edit: row 0.00 (bar 0 beat 0), paused" "the transport at start"

# Presses a key and waits for the transport's line about it.
press() {
    local before
    before=$(told)
    xdotool key "$1"
    for _ in $(seq 100); do
        [ "$(told)" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$(told)" -gt "$before" ] || fail "no transport line after $1"
    grep '^halvo-edit: row ' "$WORK/edit.out" | tail -n 1 | sed 's/^halvo-edit: //'
}

#               key          the transport after it
while read -r key expected; do
    expect_eq "$(press "$key")" "$expected" "after $key"
done <<'KEYS'
Right        row 8.00 (bar 0 beat 1), paused
shift+Right  row 40.00 (bar 1 beat 1), paused
Next         row 296.00 (bar 9 beat 1), paused
Prior        row 40.00 (bar 1 beat 1), paused
Left         row 32.00 (bar 1 beat 0), paused
shift+Left   row 0.00 (bar 0 beat 0), paused
Left         row 0.00 (bar 0 beat 0), paused
l            row 0.00 (bar 0 beat 0), paused, looping rows 0-256
Next         row 256.00 (bar 8 beat 0), paused, looping rows 256-512
Home         row 0.00 (bar 0 beat 0), paused, looping rows 0-256
l            row 0.00 (bar 0 beat 0), paused
KEYS

# Paused, the row holds; playing for about a second moves it ~17.5 rows.
sleep 1
expect_eq "$(press Right)" "row 8.00 (bar 0 beat 1), paused" "after a paused second"
press p >/dev/null
sleep 1
played=$(press p | sed -E 's/^row ([0-9.]+).*/\1/')
awk -v r="$played" 'BEGIN { exit !(r > 8 + 12 && r < 8 + 40) }' ||
    fail "playing about a second moved the row from 8 to $played"

# The HUD's amber border, counted in the window's top left corner.
amber() {
    import -window "$(xdotool search --onlyvisible --name '^Halvo$' | head -n 1)" "$WORK/$1.png"
    convert "$WORK/$1.png" -crop 200x100+0+0 txt:- | grep -ci '#FFCC00' || true
}
shown=$(amber hud)
[ "$shown" -ge 200 ] || fail "the HUD's border is not in the screenshot ($shown amber pixels)"
xdotool key h
sleep 1
expect_eq "$(amber nohud)" 0 "amber pixels with the HUD hidden"

xdotool key Escape
wait_demo 20
expect_eq "$STATUS" 0 "exit code after Escape"

# The demo itself draws no HUD.
start_demo
wait_window
sleep 3
expect_eq "$(amber demo)" 0 "amber pixels in the demo"
xdotool key Escape
wait_demo 30
echo PASS
