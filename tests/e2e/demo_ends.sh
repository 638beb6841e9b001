# The show ends by itself when track "e" reaches 1.0, else 3 s after the
# music, and on a tap of Escape; always with exit code 0 and nothing
# unexpected on stdout.
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
! grep -q "never ended the show" "$WORK/demo.err" || fail "a show ended by track e says it was not"

# Without track "e", Escape ends the show long before the tune does: a single
# key tap is enough.
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

# Track "e" that never ends the show, on a 4 s tune: the show ends 3 s after
# the music, its picture held meanwhile, with one line naming the track; NaN
# ends it at once, silently.
rm "$WORK/show/data/nostalgia-rmx.mp3"
cp "$HALVO_BUILD/tests/clock-fixtures/good.mp3" "$WORK/show/data/nostalgia-rmx.mp3"
E="$WORK/show/data-2Fscience_e.track"
no_track() { :; }
garbage_track() { printf garbage >"$E"; }
short_track() { add_track e "0 0 linear" "40 0.99 step"; }
# One key: row 0, value NaN (float32 0x7fc00000), step.
nan_track() { printf '\x01\0\0\0\0\0\0\0\0\0\xc0\x7f\0' >"$E"; }

never='^halvo: track "e" never ended the show; it ends 3 s after the music$'
# Runs the show with track "e" made by $2; checks exit code 0, the last line
# on stderr (none: no line about the end), and when it ended after the window
# opened: late, past the tune's 4 s and the 3 s grace; early, before them.
check_end() {
    local what=$1 make=$2 message=$3 when=$4
    rm -f "$WORK"/show/*.track
    $make
    start_demo
    wait_window
    local t0 t1 took
    t0=$(date +%s.%N)
    wait_demo 60
    t1=$(date +%s.%N)
    took=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    expect_eq "$STATUS" 0 "exit code with track e $what"
    if [ "$message" = none ]; then
        ! grep -q 'never ended the show' "$WORK/demo.err" || fail "$what: says the show was not ended"
    else
        grep -Eq -e "$message" <(tail -n 1 "$WORK/demo.err") ||
            fail "$what: last stderr line '$(tail -n 1 "$WORK/demo.err")' does not match '$message'"
    fi
    case $when in
    late) awk -v t="$took" 'BEGIN { exit !(t > 6.9) }' ;;
    early) awk -v t="$took" 'BEGIN { exit !(t < 6.5) }' ;;
    esac || fail "track e $what: ended $took s after the window opened, expected $when"
}
#         track "e"            made by        last stderr line  ends
check_end "missing"            no_track       "$never"          late
check_end "garbage bytes"      garbage_track  "$never"          late
check_end "ending below 1.0"   short_track    "$never"          late
check_end "NaN"                nan_track      none              early
echo PASS
