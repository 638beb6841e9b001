# tools/tune/loudness.sh on what a maker may hand it by mistake: each error
# is one line on stderr and exit 1, never a hang, and its ffmpeg never
# outlives it; a short tune gets "n/a" for the sections it lacks.
set -euo pipefail
: "${HALVO_BUILD:?HALVO_BUILD must point at the build directory}"
: "${HALVO_SOURCE:?HALVO_SOURCE must point at the source tree}"
LOUDNESS="$HALVO_SOURCE/tools/tune/loudness.sh"
FIXTURES="$HALVO_BUILD/tests/clock-fixtures"
WORK=$(mktemp -d)
RUN=
trap '[ -n "$RUN" ] && kill "$RUN" 2>/dev/null; rm -rf "$WORK"' EXIT
cd "$WORK"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

expect_error() {
    local pattern=$1
    shift
    local status=0
    timeout 20 bash "$LOUDNESS" "$@" >run.out 2>run.err || status=$?
    [ "$status" = 1 ] || fail "$*: exit $status, expected 1 ($(head -c 300 run.err))"
    [ "$(wc -l <run.err)" = 1 ] || fail "$*: not one line on stderr: $(head -c 300 run.err)"
    grep -Eq -e "$pattern" run.err || fail "$*: '$(cat run.err)' does not match '$pattern'"
    [ ! -s run.out ] || fail "$*: printed $(head -c 200 run.out)"
}

mkdir folder
mkfifo fifo
expect_error "none\.mp3: no such file" none.mp3
expect_error "folder: a directory, not a tune" folder
expect_error "fifo: not a regular file" fifo
expect_error "text\.mp3: no sound ffmpeg can read" "$FIXTURES/text.mp3"
expect_error "banner\.png: no sound ffmpeg can read" "$HALVO_SOURCE/app/resources/banner.png"
expect_error "FADE_BAR 'abc' is not a bar from 0 to 97" "$FIXTURES/good.mp3" abc

# One second of tone: its bar and section are measured, the rest say n/a.
timeout 20 bash "$LOUDNESS" "$FIXTURES/short.mp3" >short.out 2>short.err ||
    fail "a short tune: $(cat short.err)"
grep -Eq '^  0  intro +-[0-9]+\.[0-9]$' short.out || fail "no bar 0: $(head -n 3 short.out)"
grep -Eq '^ring-out +n/a +n/a$' short.out || fail "no n/a for the ring-out: $(cat short.out)"
! grep -qi 'nan\|inf' short.out || fail "a short tune printed $(grep -i 'nan\|inf' short.out)"

# Stopped while ffmpeg reads the tune: nothing of it is left running.
setsid bash "$LOUDNESS" "$HALVO_BUILD/show/data/nostalgia-rmx.mp3" >long.out 2>long.err &
RUN=$!
for _ in $(seq 100); do
    pgrep -s "$RUN" -x ffmpeg >/dev/null && break
    sleep 0.1
done
pgrep -s "$RUN" -x ffmpeg >/dev/null || fail "ffmpeg never started"
kill -TERM "$RUN"
status=0
wait "$RUN" || status=$?
RUN_DONE=$RUN
RUN=
[ "$status" != 0 ] || fail "a stopped run exited 0"
for _ in $(seq 20); do
    pgrep -s "$RUN_DONE" -x ffmpeg >/dev/null || break
    sleep 0.1
done
! pgrep -s "$RUN_DONE" -x ffmpeg >/dev/null || fail "ffmpeg outlived the stopped script"
echo PASS
