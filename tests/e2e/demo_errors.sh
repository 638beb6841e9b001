# Start-up failures a viewer can hit end with one clear line on stderr and
# exit code 1, never a crash or a hang.
source "$(dirname "$0")/lib.sh"
start_x
make_show
add_track e "0 0 step" "10 1 step"

# Runs the demo to its end and checks exit code 1 and the last stderr line.
expect_failure() {
    local what=$1 pattern=$2
    shift 2
    local status=0
    (cd "$WORK/show" && exec timeout 60 "$@" "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
    DEMO_PID=$!
    accept_dialog || true
    wait "$DEMO_PID" || status=$?
    DEMO_PID=
    expect_eq "$status" 1 "exit code with $what"
    grep -Eq "$pattern" <(tail -n 1 "$WORK/demo.err") ||
        fail "$what: last stderr line '$(tail -n 1 "$WORK/demo.err")' does not match '$pattern'"
}

rm "$WORK/show/data/nostalgia-rmx.mp3"
expect_failure "no tune" '^Failed to open tune\.$' env

head -c 100000 /dev/urandom >"$WORK/show/data/nostalgia-rmx.mp3"
expect_failure "a garbage tune" '^Failed to open tune\.$' env

head -c 50000 "$SHOW/data/nostalgia-rmx.mp3" >"$WORK/show/data/nostalgia-rmx.mp3"
expect_failure "a truncated tune" '^Failed to open tune\.$' env
ln -sf "$SHOW/data/nostalgia-rmx.mp3" "$WORK/show/data/nostalgia-rmx.mp3"

expect_failure "no display" 'window system.*DISPLAY' env -u DISPLAY
expect_failure "no OpenGL 3.3" 'OpenGL 3\.3' env MESA_GL_VERSION_OVERRIDE=3.0
