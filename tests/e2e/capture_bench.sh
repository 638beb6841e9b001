# The capture tool's --bench: JSON on stdout, alone, with the start-up split
# and per-scene, combiner and post-chain times over the range.
source "$(dirname "$0")/lib.sh"
start_x
cd "$WORK"

"$HALVO_BUILD/halvo-capture" --bench-frames --from 10 --to 10.5 --no-preroll --size 160x90 \
    >bench.json 2>bench.err || fail "bench failed: $(tail -n 3 bench.err)"
python3 - bench.json <<'PY' || fail "bad report: $(head -c 2000 bench.json)"
import json, sys
r = json.load(open(sys.argv[1]))
def check(ok, what):
    if not ok:
        sys.exit("report: " + what)
check(r["size"] == [160, 90] and r["fps"] == 60, "size and fps")
rng = r["range"]
check(rng["firstFrame"] == 600 and rng["endFrame"] == 630 and rng["frames"] == 30, "range")
check(rng["historyStartsEmpty"] is True and rng["prerollFrames"] == 0, "preroll")
s = r["startupMs"]
for key in ("window", "tuneDecoding", "imageDecoding", "shaderCompileLink", "framebufferCreation", "total"):
    check(isinstance(s[key], (int, float)) and s[key] >= 0, "startup " + key)
check(s["shaderCompileLink"] > 0 and s["framebufferCreation"] > 0, "shaders and framebuffers timed")
check(s["total"] >= s["shaderCompileLink"] + s["framebufferCreation"], "startup total")
check(r["firstFrameMs"] > 0, "first frame")
def summary(x, frames):
    check(x["frames"] == frames, "frame count %s" % x)
    if frames:
        check(0 < x["median"] <= x["max"], "median and max %s" % x)
summary(r["frameMs"], 30)
summary(r["combinerMs"], 30)
summary(r["postChainMs"], 30)
scenes = r["sceneRenderMs"]
check([x["slot"] for x in scenes] == [0, 1, 2, 3, 4], "five scene slots")
check(sum(x["frames"] for x in scenes) >= 30, "some scene renders every frame")
for x in scenes:
    summary(x, x["frames"])
rows = r["perFrame"]["rows"]
check(len(rows) == 30 and [row[0] for row in rows] == list(range(600, 630)), "per-frame rows")
check(abs(rows[1][1] - 601 * 1048 / 3600) < 1e-3, "row of frame 601")
for row in rows:
    check(row[2:7].count(None) < 5 and row[9] >= row[8] and row[9] >= row[7], "frame times")
PY
grep -q '30 frames' bench.err || fail "no summary on stderr"
echo PASS
