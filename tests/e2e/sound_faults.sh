# The sound device failing under a playing show, on a private PulseAudio
# server: the null sink unloaded (the device goes away) or suspended (it
# stalls). Either way the show goes on silently from where it was, says so
# in one line, and ends on track "e" on time; with no server at all it
# starts silently, as without a sound card.
source "$(dirname "$0")/lib.sh"
source "$HALVO_SOURCE/tools/sound-server.sh"
trap 'stop_sound_server; cleanup' EXIT
start_x
make_show
# Track "e" ends the show at row 105, 6.0 s into the tune.
add_track e "0 0 step" "105 1 step"

lost='^halvo: the sound device was lost \(.*\); the show goes on silently$'
# Seconds from the window's opening to the show's end, of the last run.
timed_show() {
    local t0
    start_demo
    wait_window
    t0=$(date +%s.%N)
    [ $# -gt 0 ] && { sleep 2; "$@"; }
    wait_demo 30
    TOOK=$(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
}

# fault NAME COMMAND...: runs the show, does COMMAND 2 s after its window
# opened, and checks how it went on.
fault() {
    local name=$1
    shift
    timed_show "$@"
    expect_eq "$STATUS" 0 "$name: exit code"
    ! grep -q "no audio device" "$WORK/demo.err" || fail "$name: the device never played"
    expect_eq "$(grep -cE "$lost" "$WORK/demo.err")" 1 "$name: lines saying the sound was lost"
    expect_eq "$(grep -cvE "$lost" "$WORK/demo.err")" 0 "$name: other lines on stderr"
    # As long as a show on the silent output, give or take how long the
    # start-up took (seconds, on a busy machine); stalled, the clock stood
    # still for under a second before it went on by itself.
    awk -v t="$TOOK" -v n="$NORMAL" 'BEGIN { exit !(t > n - 2.0 && t < n + 3.0) }' ||
        fail "$name: the show took $TOOK s from its window to its end, against $NORMAL s unharmed"
    echo "$name: $TOOK s from the window to the end, against $NORMAL s unharmed"
}

# No server: one line, the silent output, and the show as ever.
unset HALVO_AUDIO PULSE_SERVER
export XDG_RUNTIME_DIR="$WORK/no-server"
mkdir -m 700 "$XDG_RUNTIME_DIR"
timed_show
expect_eq "$STATUS" 0 "no device: exit code"
grep -q "^halvo: no audio device (SDL: .*), playing silently$" "$WORK/demo.err" ||
    fail "no device: no line saying the show plays silently"
NORMAL=$TOOK

start_sound_server "$WORK/xdg" || fail "the sound server did not start"
unload_sink() { pactl unload-module "$(sink_module)"; }
fault "device removed" unload_sink
pactl load-module module-null-sink sink_name=halvo_sink >/dev/null
fault "device stalled" pactl suspend-sink halvo_sink 1
