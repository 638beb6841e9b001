# The capture tool's --report: the table on stdout and the JSON file, beside
# a contact sheet from the same run; its bad inputs, each one line on stderr
# with no report left behind; odd section names; a sprite past the limit.
source "$(dirname "$0")/lib.sh"
start_x
CAPTURE="$HALVO_BUILD/halvo-capture"
cd "$WORK"

"$CAPTURE" --size 160x90 --fps 10 --from 28 --to 31 --no-preroll --report r.json \
    --sheet s.png --frames 4 >table.out 2>run.err || fail "report failed: $(tail -n 3 run.err)"
[ -s s.png ] || fail "no contact sheet beside the report"
grep -q '^section' table.out && grep -q '^kick' table.out || fail "no table on stdout"
grep -q 'report in .*/r\.json' run.err || fail "no summary naming the report"
python3 - r.json <<'PY' || fail "bad report: $(head -c 2000 r.json)"
import json, sys
r = json.load(open(sys.argv[1]))
def check(ok, what):
    if not ok:
        sys.exit("report: " + what)
check(r["size"] == [160, 90] and r["fps"] == 10 and r["range"]["frames"] == 30, "run")
check([s["name"] for s in r["sections"]] == ["arp", "beat"], "sections")
check(abs(r["sections"][1]["startSeconds"] - 29.4) < 0.05, "the beat starts at row 512")
check([h["kind"] for h in r["hits"]] == ["kick", "clap", "snare", "tom", "crash"], "hit kinds")
check(r["hits"][0]["count"] == 4, "kicks from row 512 to the end of the range")
check(len(r["scenes"]) == 5 and abs(sum(s["share"] for s in r["scenes"]) - 1) < 1e-3,
      "scene shares")
rows = r["perFrame"]["rows"]
check(len(rows) == 30 and all(len(x) == len(r["perFrame"]["columns"]) for x in rows), "frames")
check(all(0 <= x[2] <= 255 and x[7] is not None for x in rows), "luma and bars")
check(all(0 <= h["chanceInSections"] <= 1 for h in r["hits"]), "chance in the hits' sections")
check(sum(len(s["visits"]) for s in r["scenes"]) >= 1, "scene visits")
check(0 <= r["strayGlitchBlockShare"] <= r["glitchBlockShare"] <= 1, "glitch block shares")
check(r["fade"] is not None and r["fade"]["silentSeconds"] == 0, "the sound runs to the end")
PY
# Bars at least half in the range, with a title in full: the tune's loudness
# per bar.
"$CAPTURE" --size 160x90 --fps 10 --from 2 --to 9 --no-preroll --report b.json >b.out 2>b.err ||
    fail "report over bars failed: $(tail -n 3 b.err)"
python3 - b.json <<'PY' || fail "bad report over bars: $(head -c 2000 b.json)"
import json, sys
r = json.load(open(sys.argv[1]))
assert [b["bar"] for b in r["bars"]] == [1, 2, 3, 4], r["bars"]
assert all(-40 < b["loudnessLufs"] < -5 for b in r["bars"]), r["bars"]
assert [t["file"] for t in r["titles"]] == ["title1.png", "title2.png"], r["titles"]
assert all(t["frames"] > 0 and -1 <= t["lowestMatch"] <= t["meanMatch"] <= 1 for t in r["titles"])
PY

expect_error() {
    local code=$1 pattern=$2
    shift 2
    local status=0
    timeout 120 "$@" >run.out 2>run.err || status=$?
    expect_eq "$status" "$code" "exit code of $*"
    [ "$(wc -l <run.err)" = 1 ] || fail "$*: more than one line on stderr"
    grep -Eq -e "$pattern" run.err || fail "$*: '$(cat run.err)' does not match '$pattern'"
    [ ! -e bad.json ] || fail "$*: left a report behind"
}
expect_error 1 "cannot read the tune's events .*/none\.txt" \
    "$CAPTURE" --size 64x36 --report bad.json --events none.txt
printf '10 kick 1\n5 kick 1\n' >backwards.txt
expect_error 1 "backwards\.txt:2: rows must not go back" \
    "$CAPTURE" --size 64x36 --report bad.json --events backwards.txt
expect_error 2 "--bench and --report both print on standard output" \
    "$CAPTURE" --bench --report bad.json
expect_error 1 "cannot write .*/missing/bad\.json: no directory" \
    "$CAPTURE" --size 64x36 --report missing/bad.json
truncate -s 17M big.txt
expect_error 1 "cannot read the tune's events .*/big\.txt: 17825792 bytes, more than the 16777216" \
    "$CAPTURE" --size 64x36 --report bad.json --events big.txt
# Outputs that name an input or each other, however spelt, are refused
# before anything is written.
short=(--size 64x36 --fps 10 --from 1 --to 1.2 --no-preroll)
cp "$HALVO_BUILD/tune-events.txt" ev.txt
cp ev.txt ev.keep
ln -s ev.txt ev-link.json
expect_error 2 "--report ev\.txt and --events ev\.txt name the same file" \
    "$CAPTURE" "${short[@]}" --report ev.txt --events ev.txt
expect_error 2 "--report ev-link\.json and --events \./ev\.txt name the same file" \
    "$CAPTURE" "${short[@]}" --report ev-link.json --events ./ev.txt
expect_error 2 "--sheet s2\.png and --report \./s2\.png name the same file" \
    "$CAPTURE" "${short[@]}" --sheet s2.png --frames 2 --report ./s2.png
expect_error 2 "--report fr/frame-000010\.png is a frame --out fr would write" \
    "$CAPTURE" "${short[@]}" --out fr --report fr/frame-000010.png
cmp -s ev.txt ev.keep && [ -L ev-link.json ] && [ ! -e s2.png ] && [ ! -e fr ] ||
    fail "a refused run wrote"

# Section names of any length and bytes stay valid JSON: controls escaped,
# bytes that are not UTF-8 replaced by U+FFFD.
{ printf '0 section '; head -c 600 /dev/zero | tr '\0' a; printf '\033\377x\n'; } >odd.txt
"$CAPTURE" --size 64x36 --fps 10 --from 0 --to 0.3 --no-preroll --report odd.json \
    --events odd.txt >odd.out 2>odd.err || fail "report of odd names failed"
python3 - odd.json <<'PY' || fail "bad report of odd names: $(head -c 2000 odd.json)"
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
assert r["sections"][0]["name"] == "a" * 600 + "\x1b\ufffdx", r["sections"][0]["name"]
PY

# A sprite past the show's image limit is left out of the report, never
# decoded: here every image of a scratch show declares 16384 x 16384 pixels.
make_show
rm "$WORK/show/data/img"
mkdir "$WORK/show/data/img"
python3 - huge.png <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
open(sys.argv[1], "wb").write(b"\x89PNG\r\n\x1a\n" +
    chunk(b"IHDR", struct.pack(">IIBBBBB", 16384, 16384, 8, 6, 0, 0, 0)) +
    chunk(b"IDAT", zlib.compress(bytes(64))) + chunk(b"IEND", b""))
PY
for f in "$SHOW"/data/img/*; do ln -s "$WORK/huge.png" "$WORK/show/data/img/${f##*/}"; done
# Emitter 0 takes every particle, and changes image at row 0.
add_track emit-sprite-0-cumprob "0 1 step"
add_track emit-sprite-0-texture-id "0 5 step"
(cd "$WORK/show" && timeout 120 "$CAPTURE" --size 64x36 --fps 10 --from 1 --to 1.3 --no-preroll \
    --effect pball --report "$WORK/sprite.json") >sprite.out 2>sprite.err || fail "sprite run failed"
grep -q "leaves out sprite .*: 16384 x 16384 pixels, more than the 4194304 allowed" sprite.err ||
    fail "a huge sprite was read: $(grep sprite sprite.err | head -n 3)"
echo PASS
