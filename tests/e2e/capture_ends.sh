# Where the capture tool's range may lie and how a run ends: a --from or --to
# past the show's end is refused at once with the end named, however large;
# the default range ends where the demo would; SIGTERM stops a long run; a
# broken shader fails the run after its (black) output is written.
source "$(dirname "$0")/lib.sh"
start_x
CAPTURE="$HALVO_BUILD/halvo-capture"

# A 4 s tune; track "e" reaches 1.0 at row 35, 2.0038 s: frame 121 at 60 fps.
make_show
rm "$WORK/show/data/nostalgia-rmx.mp3"
cp "$HALVO_BUILD/tests/clock-fixtures/good.mp3" "$WORK/show/data/nostalgia-rmx.mp3"
add_track e "0 0 step" "35 1 step"
cd "$WORK/show"

# Runs the tool in the show; checks its exit code, that the last stderr line
# matches, and that it took at most $3 seconds.
expect_run() {
    local code=$1 pattern=$2 limit=$3
    shift 3
    local status=0 t0 t1
    t0=$(date +%s.%N)
    timeout 120 "$CAPTURE" "$@" >run.out 2>run.err || status=$?
    t1=$(date +%s.%N)
    expect_eq "$status" "$code" "exit code of $*"
    grep -Eq -e "$pattern" <(tail -n 1 run.err) ||
        fail "$*: last stderr line '$(tail -n 1 run.err)' does not match '$pattern'"
    awk -v a="$t0" -v b="$t1" -v l="$limit" 'BEGIN { exit !(b - a <= l) }' ||
        fail "$*: took $(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }') s, more than $limit s"
}

byTrack="the show's end at 2\.017 s \(where track \"e\" reaches 1\.0\)"
#          exit  last stderr line                                         seconds  options
expect_run 2 "nothing to capture: --from 1e\+300 s is not before $byTrack" 5 --dry-run --from 1e300
expect_run 2 "--to 1e\+300 s is past $byTrack"                            5 --dry-run --to 1e300
expect_run 2 "nothing to capture: --from 2\.017 s is not before $byTrack" 5 --dry-run --from 2.017
expect_run 2 "--to 2\.05 s is past $byTrack"                              5 --dry-run --to 2.05
expect_run 2 "bad --from 'inf'"                                           5 --dry-run --from inf
expect_run 2 "bad --to '-1'"                                              5 --dry-run --to -1
expect_run 0 "4 frames \(1\.950 s to 2\.017 s\)"                          60 --dry-run --size 64x36 \
    --from 1.95 --to 2.017 --no-preroll
expect_run 0 "3 frames \(1\.967 s to 2\.017 s\)"                          60 --dry-run --size 64x36 \
    --from 1.96 --no-preroll

# Without track "e" the show ends 3 s after the tune: 7 s, frame 420.
rm "$WORK"/show/*.track
byGrace="the show's end at 7\.000 s \(the tune's end plus 3 s: track \"e\" never reaches 1\.0\)"
expect_run 2 "--to 7\.1 s is past $byGrace"                               5 --dry-run --to 7.1
expect_run 0 "6 frames \(6\.900 s to 7\.000 s\)"                          60 --dry-run --size 64x36 \
    --from 6.9 --no-preroll

# SIGTERM during a long run (the whole show from the build, 10,000 frames).
cd "$WORK"
"$CAPTURE" --dry-run --size 64x36 >run.out 2>run.err &
pid=$!
for _ in $(seq 300); do
    grep -q 'rendering' run.err && break
    sleep 0.1
done
grep -q 'rendering' run.err || fail "no progress line after 30 s: $(tail -n 3 run.err)"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
expect_eq "$status" 130 "exit code after SIGTERM"
expect_eq "$(tail -n 1 run.err)" "halvo-capture: interrupted" "message after SIGTERM"

# A broken last post pass: the frames are black, written all the same, and
# the exit code is 1 unless --keep-going.
cd "$WORK/show"
rm data/shaders
cp -rL "$SHOW/data/shaders" data/shaders
echo "this is not GLSL" >data/shaders/dct/d.fs
broken="[0-9]+ of the show's shader programs failed to compile or link"
for keep in "" --keep-going; do
    rm -rf out
    if [ -z "$keep" ]; then
        expect_run 1 "$broken" 60 --size 64x36 --to 0.1 --out out
    else
        expect_run 0 "6 frames .* 6 written" 60 --size 64x36 --to 0.1 --out out --keep-going
    fi
    expect_eq "$(ls out | wc -l)" 6 "frames written ${keep:-without --keep-going}"
    mean=$(convert out/frame-000005.png -colorspace gray -format '%[fx:mean]' info:)
    awk -v m="$mean" 'BEGIN { exit !(m < 0.01) }' || fail "frame 5 is not black (mean $mean)"
done
echo PASS
