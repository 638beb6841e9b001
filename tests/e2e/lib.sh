# Shared helpers of the end-to-end tests: a private X server per test, a
# scratch show directory, the demo started in the background, key presses.
set -euo pipefail

: "${HALVO_BUILD:?HALVO_BUILD must point at the build directory}"
: "${HALVO_SOURCE:?HALVO_SOURCE must point at the source tree}"
SHOW="$HALVO_BUILD/show"

WORK=$(mktemp -d)
XPID=
DEMO_PID=
cleanup() {
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null || true
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in "$WORK"/*.out "$WORK"/*.err; do
        [ -s "$f" ] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }
    done
    exit 1
}

# Starts a private X server (so key presses reach only this test's window)
# and exports its DISPLAY. Extra arguments go to Xvfb. -noreset: by default
# the server resets whenever its last client disconnects (say, an xdotool
# query), and a program connecting during that reset is refused.
start_x() {
    local fdfile="$WORK/display"
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset "$@" 3>"$fdfile" 2>"$WORK/xvfb.log" &
    XPID=$!
    for _ in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    [ -s "$fdfile" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$fdfile")"
}

# A scratch show directory holding the show's data; track files are added by
# the test with add_track NAME "ROW VALUE TYPE"...
make_show() {
    mkdir -p "$WORK/show/data"
    local f
    for f in "$SHOW"/data/*; do
        ln -s "$f" "$WORK/show/data/"
    done
}

add_track() {
    local name=$1
    shift
    printf '%s\n' "$@" >"$WORK/$name.txt"
    "$HALVO_BUILD/halvo-track" compile "$WORK/show" "$WORK/$name.txt" || fail "cannot compile track $name"
}

# Starts the demo in the scratch show directory and accepts its setup dialog
# as it stands; its output goes to $WORK/demo.out and $WORK/demo.err.
start_demo() {
    (cd "$WORK/show" && exec "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
    DEMO_PID=$!
    accept_dialog || true
}

# Waits until the demo shows its setup dialog and sets DIALOG to its window;
# returns 1 when the demo ends without showing one.
wait_dialog() {
    DIALOG=
    for _ in $(seq 300); do
        DIALOG=$(xdotool search --onlyvisible --name '^Halvo // Sorva$' 2>/dev/null | head -n 1 || true)
        [ -n "$DIALOG" ] && return 0
        kill -0 "$DEMO_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    fail "no setup dialog after 30 s"
}

# Presses Enter in the setup dialog, as a viewer taking its defaults would.
accept_dialog() {
    wait_dialog || return 1
    xdotool windowfocus --sync "$DIALOG" key Return
}

# Waits until the demo's window is mapped.
wait_window() {
    for _ in $(seq 300); do
        if xdotool search --onlyvisible --name '^Halvo$' >/dev/null 2>&1; then
            return 0
        fi
        kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before its window opened"
        sleep 0.1
    done
    fail "no Halvo window after 30 s"
}

# Waits up to $1 seconds for the demo to end; sets STATUS to its exit code.
wait_demo() {
    local limit=$1
    for _ in $(seq $((limit * 10))); do
        kill -0 "$DEMO_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$DEMO_PID" 2>/dev/null && fail "the demo still runs after ${limit} s"
    STATUS=0
    wait "$DEMO_PID" || STATUS=$?
    DEMO_PID=
}

expect_eq() {
    [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}
