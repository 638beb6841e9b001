# Shared helpers of the Windows end-to-end tests: halvo.exe under wine on the
# X server, wine prefix and wineserver that tools/test-windows.sh set up for
# the run, in a scratch show folder; key presses, exit codes, output files.
set -euo pipefail

: "${HALVO_BUILD:?HALVO_BUILD must point at the Windows build directory}"
: "${HALVO_NATIVE_BUILD:?HALVO_NATIVE_BUILD must point at the native build directory}"
: "${WINEPREFIX:?run through tools/test-windows.sh, which makes the wine prefix}"
: "${DISPLAY:?run through tools/test-windows.sh, which starts the X server}"
SHOW="$HALVO_BUILD/show"

WORK=$(mktemp -d)
DEMO_PID=
cleanup() {
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in "$WORK"/*.out "$WORK"/*.err "$WORK"/show/*.log; do
        [ -s "$f" ] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }
    done
    exit 1
}

# A file the program wrote, its Windows line ends made Unix ones.
text() {
    tr -d '\r' <"$1"
}

expect_eq() {
    [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# A scratch show folder (default $WORK/show) as the zip unpacks: halvo.exe,
# its data (linked) and the track "e" ending the show at ROW (default 35,
# two seconds in), or no "e" with "none".
make_show() {
    local dir=${1:-$WORK/show} end=${2:-35}
    mkdir -p "$dir/data"
    cp "$SHOW/halvo.exe" "$dir/"
    local f
    for f in "$SHOW"/data/*; do
        ln -s "$f" "$dir/data/"
    done
    if [ "$end" != none ]; then
        printf '0 0 step\n%s 1 step\n' "$end" >"$WORK/e.txt"
        "$HALVO_NATIVE_BUILD/halvo-track" compile "$dir" "$WORK/e.txt" >/dev/null ||
            fail "cannot compile track e"
    fi
}

# Starts halvo.exe in the show folder ($1, default $WORK/show), its output
# into $WORK/demo.out and $WORK/demo.err: files, never pipes (a pipe would be
# held open by wine's own processes).
start_demo() {
    local dir=${1:-$WORK/show}
    (cd "$dir" && exec wine ./halvo.exe) >"$WORK/demo.out" 2>"$WORK/demo.err" </dev/null &
    DEMO_PID=$!
}

# Waits for the setup dialog and focuses it; sets DIALOG. Returns 1 when the
# demo ends without showing one.
wait_dialog() {
    DIALOG=
    for _ in $(seq 300); do
        DIALOG=$(xdotool search --onlyvisible --name '^Halvo // Sorva$' 2>/dev/null | head -n 1 || true)
        if [ -n "$DIALOG" ]; then
            xdotool windowfocus --sync "$DIALOG"
            return 0
        fi
        kill -0 "$DEMO_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    fail "no setup dialog after 30 s"
}

# Presses the keys one by one in the focused window.
keys() {
    local k
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.15
    done
}

# Waits for the show's window; sets WINDOW.
wait_window() {
    WINDOW=
    for _ in $(seq 300); do
        WINDOW=$(xdotool search --onlyvisible --name '^Halvo$' 2>/dev/null | head -n 1 || true)
        [ -n "$WINDOW" ] && return 0
        kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended before its window opened"
        sleep 0.1
    done
    fail "no Halvo window after 30 s"
}

# Waits for the message box of a failed start-up after the show's window is
# gone, checks its text (as wine traces it: WINEDEBUG +msgbox, into the file
# $2, default $WORK/demo.err) against $1, a wine-escaped string, and presses
# OK.
accept_failure_box() {
    local expected=$1 trace=${2:-$WORK/demo.err} box=
    for _ in $(seq 300); do
        box=$(xdotool search --onlyvisible --name '^Halvo cannot start$' 2>/dev/null | head -n 1 || true)
        [ -n "$box" ] && break
        kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended without a message box"
        sleep 0.1
    done
    [ -n "$box" ] || fail "no message box after 30 s"
    xdotool search --onlyvisible --name '^Halvo$' >/dev/null 2>&1 &&
        fail "the message box shows while the show's window is still open"
    expect_eq "$(sed -n 's/^.*:trace:msgbox:MSGBOX_OnInit L"\(.*\)"\r*$/\1/p' "$trace")" \
        "$expected" "the message box's text"
    xdotool windowfocus --sync "$box"
    xdotool key Return
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
