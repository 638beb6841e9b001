# What a viewer sees when the show's files are wrong: a FIFO as a track or as
# the tune, a shader that does not compile, a missing or dangling shader
# folder. Each is one line on stderr naming the file, stdout keeps its shape,
# nothing waits on a FIFO (every run is under a timeout), and the capture
# tool shows the same lines without --verbose.
source "$(dirname "$0")/lib.sh"
start_x
make_show
add_track e "0 0 step" "10 1 step"
add_track fusing-weight-1 "0 1 step"
export HALVO_AUDIO=silent

# Runs the demo to its end; checks the exit code, that stderr is exactly the
# given lines (extended regular expressions; lines about images, which this
# test does not set up, left out) and that every pass still printed "Linked".
run_demo() {
    local what=$1 code=$2 status=0 n=1 pattern
    shift 2
    (cd "$WORK/show" && exec timeout 60 "$SHOW/halvo") >"$WORK/demo.out" 2>"$WORK/demo.err" &
    DEMO_PID=$!
    accept_dialog || true
    wait "$DEMO_PID" || status=$?
    DEMO_PID=
    expect_eq "$status" "$code" "exit code with $what"
    grep -v '^Cannot load image ' "$WORK/demo.err" >"$WORK/lines.txt" || true
    expect_eq "$(wc -l <"$WORK/lines.txt")" "$#" "stderr lines with $what"
    for pattern; do
        sed -n "${n}p" "$WORK/lines.txt" | grep -Eq -e "^$pattern\$" ||
            fail "$what: stderr line $n '$(sed -n "${n}p" "$WORK/lines.txt")' is not '$pattern'"
        n=$((n + 1))
    done
    [ "$code" != 0 ] && return
    local linked
    linked=$(grep -c '^Linked$' "$WORK/demo.out" || true)
    expect_eq "$linked" "${PASSES:=$linked}" "passes linked with $what"
}

# Captures six frames (no --verbose); checks stderr holds the line and
# prints the last frame's mean grey.
capture_mean() {
    (cd "$WORK/show" && exec timeout 120 "$HALVO_BUILD/halvo-capture" --keep-going --to 0.1 \
        --size 64x36 --out "$WORK/frames") >"$WORK/capture.out" 2>"$WORK/capture.err" ||
        fail "capture with $1 failed"
    grep -Eq -e "^$1\$" "$WORK/capture.err" || fail "the capture tool does not show '$1'"
    convert "$WORK/frames/frame-000005.png" -colorspace gray -format '%[fx:mean]' info:
    rm -rf "$WORK/frames"
}

# A FIFO as a track: that track is 0, the show runs as usual.
mkfifo "$WORK/show/data-2Fscience_letterbox-2Dr.track"
line='Cannot read track letterbox-r from data-2Fscience_letterbox-2Dr\.track: a FIFO, not a regular file; it stays 0'
run_demo "a FIFO as a track" 0 "$line"
mean=$(capture_mean "$line")
awk -v m="$mean" 'BEGIN { exit !(m > 0.04) }' || fail "the picture is black (mean $mean)"
rm "$WORK/show/data-2Fscience_letterbox-2Dr.track"

# A shader that does not compile: the show runs on without that pass.
rm "$WORK/show/data/shaders"
cp -rL "$SHOW/data/shaders" "$WORK/show/data/shaders"
printf '#version 330 core\nout vec4 c;\nvoid main() { c = nope; }\n' >"$WORK/show/data/shaders/fxaa.fs"
line='Cannot compile shader \./data/shaders/fxaa\.fs, line 3: .+'
run_demo "a compile error" 0 "$line"
capture_mean "$line" >/dev/null

# No shader folder, or a link to one that is gone: one line, a black picture.
rm -r "$WORK/show/data/shaders"
line='Cannot read shaders: \./data/shaders is missing'
run_demo "no shader folder" 0 "$line"
mean=$(capture_mean "$line")
awk -v m="$mean" 'BEGIN { exit !(m < 0.01) }' || fail "the picture is not black (mean $mean)"
ln -s "$WORK/moved/shaders" "$WORK/show/data/shaders"
run_demo "a dangling shader link" 0 \
    "Cannot read shaders: \./data/shaders is a dangling link to $WORK/moved/shaders"
ln -sfn "$SHOW/data/shaders" "$WORK/show/data/shaders"

# A FIFO as the tune: the show does not start.
rm "$WORK/show/data/nostalgia-rmx.mp3"
mkfifo "$WORK/show/data/nostalgia-rmx.mp3"
run_demo "a FIFO as the tune" 1 \
    'Cannot open tune \./data/nostalgia-rmx\.mp3: a FIFO, not a regular file' 'Failed to open tune\.'
echo PASS
