#!/usr/bin/env bash
# Measures how well the picture and the music clock follow the sound a real
# output plays: the real program, through its real sound path, into a
# private PulseAudio server with a null sink, on a private X server. One
# ffmpeg records the window and the sink's monitor on one clock; the program
# draws its sync overlay (HALVO_SYNC_OVERLAY=1), and tools/sync/analyse.py
# reads the positions heard from the recording and the positions drawn from
# the overlay.
#
#   tools/sync-check.sh [options] linux|windows|web|recorder
#
# "recorder" checks the recorder itself against a control (tools/sync/
# control.py): clicks, and flashes of the screen at the instants they are
# heard. It prints how late the recorder stamps the screen against the
# sound, which the figures of the others include; with --check, within
# the clock's limit.
#     --seconds N    seconds of show to record (default 20)
#     --size WxH     the window (default 640x360)
#     --from S       start the show S seconds into the tune (web only; 0)
#     --load         keep the other core busy throughout
#     --lead off     draw the row heard, not the row due on screen
#     --json FILE    the figures as JSON
#     --check        exit 1 unless the figures are within the goals: the
#                    clock within 5 ms on average, the picture within
#                    10 ms on average and, 95 % of the time, no later than
#                    a frame period and 10 ms; silence within 100 ms of
#                    the show's end (its picture leaving the screen)
#     --tolerance C,O,L  other goals for --check in ms: the clock error's mean
#                    within C, the on-screen offset's within O, and 95 % of
#                    the time no later than a frame period plus L
#     --busy-machine with --check, for a machine whose other work may slow
#                    frames down at any time (a test run): the picture's
#                    median instead of its mean, and no lateness check
#     --keep DIR     keep the recording and logs in DIR
#
# Needs the builds of that platform (tools/build.sh, build-windows.sh,
# build-web.sh) and tools/install-deps.sh's packages.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
source tools/sound-server.sh

seconds=20 size=640x360 from=0 load=0 lead=on json= check=0 keep= tolerance=5,10,10 busy=0
while [ $# -gt 1 ]; do
    case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --load) load=1; shift ;;
    --lead) lead=$2; shift 2 ;;
    --json) json=$(realpath -m "$2"); shift 2 ;;
    --check) check=1; shift ;;
    --busy-machine) busy=1; shift ;;
    --tolerance) tolerance=$2; shift 2 ;;
    --keep) keep=$(realpath -m "$2"); shift 2 ;;
    *) echo "sync-check: unknown option $1" >&2; exit 2 ;;
    esac
done
platform=${1:-}
case $platform in linux | windows | web | recorder) ;; *)
    echo "usage: tools/sync-check.sh [options] linux|windows|web|recorder" >&2; exit 2 ;;
esac
[[ $seconds =~ ^[0-9]+$ && $seconds -ge 5 ]] || { echo "sync-check: --seconds takes a whole number, 5 or more" >&2; exit 2; }
[[ $size =~ ^([0-9]+)x([0-9]+)$ ]] || { echo "sync-check: --size takes WxH" >&2; exit 2; }
width=${BASH_REMATCH[1]} height=${BASH_REMATCH[2]}
case $lead in on | off) ;; *) echo "sync-check: --lead takes on or off" >&2; exit 2 ;; esac
[[ $tolerance =~ ^[0-9]+,[0-9]+,[0-9]+$ ]] || { echo "sync-check: --tolerance takes C,O,L in ms" >&2; exit 2; }

WORK=$(mktemp -d)
PIDS=()
cleanup() {
    local p
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    stop_sound_server
    [ "$platform" = windows ] && [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    if [ -n "$keep" ]; then
        mkdir -p "$keep" && cp -r "$WORK"/. "$keep"/
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "sync-check: $*" >&2
    local f
    for f in "$WORK"/*.err "$WORK"/*.log; do
        [ -s "$f" ] && { echo "--- $f" >&2; tail -n 15 "$f" >&2; }
    done
    exit 1
}

start_x() {
    Xvfb -displayfd 3 -screen 0 "${screen:-${width}x${height}}x24" -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    PIDS+=($!)
    for _ in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$WORK/display")"
}

# Screen and monitor on one clock: both inputs stamp their packets with the
# wall clock, kept as they are (-copyts).
start_recorder() {
    local grab=$1
    ffmpeg -nostdin -loglevel error -thread_queue_size 4096 -f x11grab -draw_mouse 0 -framerate 60 \
        -video_size "$grab" -i "$DISPLAY+0,0" \
        -thread_queue_size 4096 -f pulse -sample_rate 44100 -channels 2 -i halvo_sink.monitor \
        -map 0:v -map 1:a -c copy -copyts -f nut "$WORK/recording.nut" 2>"$WORK/ffmpeg.err" &
    RECORDER=$!
    PIDS+=($RECORDER)
    sleep 1
    kill -0 "$RECORDER" 2>/dev/null || fail "the recorder did not start"
}

stop_recorder() {
    kill -INT "$RECORDER" 2>/dev/null || true
    wait "$RECORDER" 2>/dev/null || true
}

# A show directory of links to the built show, with a track "e" that ends
# the show `seconds` into it.
make_show() {
    local show dir=$2 tool=$3
    show=$(realpath "$1")
    mkdir -p "$dir/data"
    local f
    for f in "$show"/data/*; do ln -s "$f" "$dir/data/"; done
    for f in "$show"/*.track; do
        [ "$(basename "$f")" = data-2Fscience_e.track ] || ln -s "$f" "$dir/"
    done
    local end
    end=$(awk -v s="$seconds" -v f="$from" 'BEGIN { printf "%d", (s + f) * 131 / 60 * 8 }')
    printf '0 0 step\n%s 1 step\n' "$end" >"$WORK/e.txt"
    "$tool" compile "$dir" "$WORK/e.txt" >/dev/null || fail "cannot compile track e"
}

busy_core() {
    if [ "$load" = 1 ]; then
        (while :; do :; done) &
        PIDS+=($!)
    fi
}

wait_gone() {
    local pid=$1 limit=$2
    for _ in $(seq $((limit * 10))); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    fail "the program still runs after $limit s"
}

accept_dialog() {
    local dialog=
    for _ in $(seq 300); do
        dialog=$(xdotool search --onlyvisible --name '^Halvo // Sorva$' 2>/dev/null | head -n 1 || true)
        [ -n "$dialog" ] && break
        kill -0 "$DEMO" 2>/dev/null || fail "the program ended before its setup dialog"
        sleep 0.1
    done
    [ -n "$dialog" ] || fail "no setup dialog after 30 s"
    xdotool windowfocus --sync "$dialog" key Return
}

# Runs the program (the command, in the show directory) with the sync
# overlay while recording, accepts its setup dialog and waits for its end.
play_recorded() {
    start_recorder 256x128
    busy_core
    (cd "$WORK/show" && HALVO_SYNC_OVERLAY=1 exec "$@") \
        >"$WORK/halvo.out" 2>"$WORK/halvo.err" </dev/null &
    DEMO=$!
    PIDS+=($DEMO)
    accept_dialog
    wait_gone "$DEMO" $((seconds + 60))
    wait "$DEMO" || fail "the program ended with exit code $?"
    sleep 0.5
    stop_recorder
}

run_linux() {
    [ -x build/show/halvo ] || fail "build/show/halvo is missing: run tools/build.sh"
    make_show build/show "$WORK/show" build/halvo-track
    play_recorded "$ROOT/build/show/halvo"
}

# halvo.exe under wine, in a prefix of its own whose sound goes to the
# server (wine's pulse driver), made once and kept in build-win/.
run_windows() {
    [ -f build-win/show/halvo.exe ] || fail "build-win/show/halvo.exe is missing: run tools/build-windows.sh"
    export WINEPREFIX="$ROOT/build-win/wine-sound" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/.made" ]; then
        rm -rf "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1 || fail "cannot make the wine prefix"
        # Unmanaged windows: no 2 s wait at every close without a window manager.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.made"
    fi
    wineserver -p >/dev/null 2>&1
    make_show build-win/show "$WORK/show" build/halvo-track
    cp build-win/show/halvo.exe "$WORK/show/"
    play_recorded wine ./halvo.exe
    wineserver -k 2>/dev/null || true
}

# The site in a headed Chromium filling the private X screen (a headless one
# cannot be grabbed), playing into the private sound server, started from
# the start screen's "Demo" and ended by Escape `seconds` into the show. The
# page hands ?overlay=1 and ?lead=off to the program as its environment.
run_web() {
    [ -f build-web/site/index.html ] || fail "build-web/site is missing: run tools/build-web.sh"
    [ -d build-web/node/node_modules/puppeteer-core ] || fail "puppeteer-core is missing: run tools/install-deps-web.sh"
    local query="?from=$from&overlay=1"
    [ "$lead" = off ] && query+="&lead=off"
    start_recorder 256x160
    busy_core
    node tools/web/drive.mjs build-web/site --headed --size "${width}x${height}" --query "$query" \
        --show-ms $((seconds * 1000)) --escape --until-ended 30000 --linger-ms 1500 \
        >"$WORK/drive.json" 2>"$WORK/drive.log" || fail "the browser could not be driven"
    stop_recorder
    # The page's console, but for the show's standard output.
    node -e 'const r = JSON.parse(require("fs").readFileSync(process.argv[1]));
             for (const l of r.console) if (!l.startsWith("log: ")) console.log(l);
             if (r.state !== "ended") console.log(`page: ${r.state} ${r.message}`);' \
        "$WORK/drive.json" >"$WORK/web.err"
    grep -q "^page: " "$WORK/web.err" && fail "the show did not end on Escape"
    [ -s "$WORK/web.err" ] && { echo "sync-check: the page said:" >&2; cat "$WORK/web.err" >&2; }
    return 0
}

# The browser's window fills the screen; a margin lets the page offer the
# canvas the size asked for.
[ "$platform" = web ] && screen="$((width + 16))x$((height + 16))"
start_sound_server "$WORK/xdg" || fail "the sound server did not start"
start_x
[ "$lead" = off ] && export HALVO_PICTURE_LEAD=off
unset HALVO_AUDIO
if [ "$platform" = recorder ]; then
    start_recorder 256x128
    /usr/bin/python3 tools/sync/control.py play "$seconds" >"$WORK/control.out" 2>"$WORK/control.err" ||
        fail "the control could not play"
    sleep 0.5
    stop_recorder
    /usr/bin/python3 tools/sync/control.py analyse "$WORK/recording.nut" "$WORK/figures.json" ||
        fail "the recording could not be read"
    [ -n "$json" ] && cp "$WORK/figures.json" "$json"
    if [ "$check" = 1 ]; then
        /usr/bin/python3 -c 'import json, sys
offset = json.load(open(sys.argv[1]))["recorder_offset_ms"]
limit = float(sys.argv[2].split(",")[0])
if abs(offset) > limit:
    sys.exit(f"sync-check: the recorder stamps the screen {offset:+.1f} ms against the sound, beyond {limit:g} ms")' \
            "$WORK/figures.json" "$tolerance" || exit 1
    fi
    exit 0
fi
"run_$platform"
if grep -q "no audio device" "$WORK"/*.err 2>/dev/null; then
    fail "the program fell back to silence"
fi

label="$platform $size"
[ "$load" = 1 ] && label+=", other core busy"
[ "$lead" = off ] && label+=", lead off"
/usr/bin/python3 tools/sync/analyse.py "$WORK/recording.nut" "${HALVO_NATIVE_BUILD:-build}/nostalgia-rmx.wav" \
    --label "$label" --json "$WORK/figures.json" || fail "the recording could not be read"
[ -n "$json" ] && cp "$WORK/figures.json" "$json"
if [ "$check" = 1 ]; then
    /usr/bin/python3 - "$WORK/figures.json" "$tolerance" "$busy" <<'EOF' || exit 1
import json, sys
f = json.load(open(sys.argv[1]))
clock, offset, late = map(float, sys.argv[2].split(","))
busy = sys.argv[3] == "1"
c, o, period = f["clock_error_ms"], f["on_screen_offset_ms"], f["frame_period_ms"]
problems = []
if c is None or abs(c["mean"]) > clock:
    problems.append(f"clock error {c and c['mean']:+.1f} ms, beyond {clock:g} ms")
# A frame slowed down by other work stays on screen long and late, and
# weighs on the mean by both: on a busy machine the median is taken.
centre = "median" if busy else "mean"
if abs(o[centre]) > offset:
    problems.append(f"on-screen offset {o[centre]:+.1f} ms ({centre}), beyond {offset:g} ms")
# A frame that takes far longer than the ones before it is late by that
# much, whatever was predicted: the worst is reported, and 95 % of the time
# on screen is checked.
if not busy and -o["p5"] > period + late:
    problems.append(f"5 % of the time the picture is over {-o['p5']:.1f} ms late, "
                    f"more than a frame period ({period:.1f} ms) + {late:g} ms")
after = f.get("sound_after_end_ms")
if after is not None and after > 100:
    problems.append(f"the sound went on {after:.0f} ms after the show's end, beyond 100 ms")
for p in problems:
    print(f"sync-check: {p}", file=sys.stderr)
sys.exit(1 if problems else 0)
EOF
fi
