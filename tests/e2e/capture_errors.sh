# The capture tool's bad inputs: unknown options, bad sizes, unwritable
# outputs, ffmpeg missing or failing, an interrupted run. Each ends with one
# clear message and a nonzero exit code, and never leaves a partial file
# under the final name (nor a temporary one).
source "$(dirname "$0")/lib.sh"
start_x
CAPTURE="$HALVO_BUILD/halvo-capture"
cd "$WORK"
mkdir out bin taken.png
touch plain

# Runs the tool; checks its exit code and that the last stderr line matches.
expect_error() {
    local code=$1 pattern=$2
    shift 2
    local status=0
    timeout 120 "$@" >run.out 2>run.err || status=$?
    expect_eq "$status" "$code" "exit code of $*"
    grep -Eq -e "$pattern" <(tail -n 1 run.err) ||
        fail "$*: last stderr line '$(tail -n 1 run.err)' does not match '$pattern'"
    [ "$(ls -A out)" = "" ] || fail "$*: left $(ls -A out) behind"
}

expect_error 2 "unknown option '--colour'" "$CAPTURE" --bench --colour red
expect_error 2 "bad --size '640-360'" "$CAPTURE" --bench --size 640-360
expect_error 2 "bad --size '8x8'.*16 to 4096" "$CAPTURE" --bench --size 8x8
expect_error 2 "641x360.*even width and height" "$CAPTURE" --size 641x360 --out out/v.mp4
expect_error 2 "nothing to do" "$CAPTURE"
expect_error 1 "cannot write frames into .*/plain/frames" "$CAPTURE" --size 64x36 --out plain/frames
expect_error 1 "cannot write .*/missing/s\.png: no directory" \
    "$CAPTURE" --size 64x36 --sheet missing/s.png --frames 2
expect_error 1 "cannot write .*/taken\.png: it is a directory" \
    "$CAPTURE" --size 64x36 --sheet taken.png --frames 2
expect_error 2 "nothing to capture: --from 500 s is not before the show's end at [0-9.]+ s" \
    "$CAPTURE" --bench --from 500
expect_error 1 "--frames 40: the range 5.000 s to 5.500 s has only 30 frames" "$CAPTURE" --size 64x36 --from 5 --to 5.5 --no-preroll \
    --sheet out/s.png --frames 40

# No ffmpeg on PATH: said before anything is rendered.
expect_error 1 "ffmpeg is not on PATH" env PATH="$WORK/bin" "$CAPTURE" --size 64x36 --out out/v.mp4

# An ffmpeg that fails at once (on the sound, made first), one that fails
# after writing part of its file, and one that takes every frame and then
# fails; the last two do the sound as the real one does.
cat >bin/ffmpeg <<'SH'
#!/bin/sh
echo "ffmpeg: simulated failure" >&2
exit 3
SH
chmod +x bin/ffmpeg
expect_error 1 "ffmpeg (stopped taking frames|failed) \(exit code 3\)" \
    env PATH="$WORK/bin:$PATH" "$CAPTURE" --size 64x36 --to 0.5 --out out/v.mp4
grep -q "simulated failure" run.err || fail "ffmpeg's own message is not shown"
real_ffmpeg=$(command -v ffmpeg)
cat >bin/ffmpeg <<SH
#!/bin/sh
case "\$*" in *pipe:0*) ;; *) exec "$real_ffmpeg" "\$@" ;; esac
for out; do :; done
head -c 1000 >"\$out"
exit 4
SH
expect_error 1 "ffmpeg (stopped taking frames|failed) \(exit code 4\)" \
    env PATH="$WORK/bin:$PATH" "$CAPTURE" --size 64x36 --to 0.5 --out out/v.mp4
cat >bin/ffmpeg <<SH
#!/bin/sh
case "\$*" in *pipe:0*) ;; *) exec "$real_ffmpeg" "\$@" ;; esac
for out; do :; done
cat >"\$out"
exit 5
SH
expect_error 1 "ffmpeg failed \(exit code 5\) encoding .*/out/v\.mp4" \
    env PATH="$WORK/bin:$PATH" "$CAPTURE" --size 64x36 --to 0.5 --out out/v.mp4

# Interrupted while encoding: the real ffmpeg is stopped, its file removed.
"$CAPTURE" --size 160x90 --to 60 --out out/v.mp4 >run.out 2>run.err &
pid=$!
for _ in $(seq 300); do
    ls -A out | grep -q part && break
    sleep 0.1
done
sleep 1
kill -INT "$pid"
status=0
wait "$pid" || status=$?
expect_eq "$status" 130 "exit code when interrupted"
expect_eq "$(tail -n 1 run.err)" "halvo-capture: interrupted" "message when interrupted"
[ "$(ls -A out)" = "" ] || fail "an interrupted capture left $(ls -A out)"
echo PASS
