#!/usr/bin/env bash
# Benchmarks the web build against the native one on this machine, both at
# SIZE (default 640x360), at the middle of each of the tune's 13 sections
# (256 rows each at 131 bpm), one after the other in the same run: the
# page's mean frame in headless Chromium (WebGL 2 on SwiftShader) started
# there with ?from= (a mean, as the particle ball gives few, uneven frames),
# and halvo-capture --bench's median frame natively (llvmpipe) over the same
# second without preroll, with the scene that costs most to render there;
# then their ratio. Also the page's load to start screen and "Demo" to first
# frame. Prints figures, never fails. Builds both first (the native build in
# HALVO_NATIVE_BUILD, default build/). Some sections only: SECTIONS="1 5 9".
set -euo pipefail
cd "$(dirname "$0")/.."
native=${HALVO_NATIVE_BUILD:-build}
size=${SIZE:-640x360}
./tools/build-web.sh >/dev/null 2>&1
cmake --build "$native" --parallel "$(nproc)" --target halvo-capture >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%-8s %-8s %-10s %-14s %-14s %s\n' section seconds costliest web_ms native_ms web/native
for section in ${SECTIONS:-$(seq 13)}; do
  # The middle of the section; the last one ends with the show at row 3128.
  seconds=$(python3 -c "s = (${section} - 1) * 256; print(round((s + min(s + 256, 3128)) / 2 / (131 / 60 * 8), 2))")
  node tools/web/drive.mjs build-web/site --size "$size" --query "?from=$seconds" \
    --run-ms 6000 >"$work/web.json" || true
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$native/halvo-capture" --bench \
    --size "$size" --fps 30 --from "$seconds" --to "$(python3 -c "print($seconds + 1)")" \
    --no-preroll >"$work/native.json" 2>/dev/null || true
  python3 - "$section" "$seconds" "$work/web.json" "$work/native.json" <<'PY'
import json, sys
section, seconds, web_file, native_file = sys.argv[1:]
names = ["pball", "pattern", "feedback", "tunnel", "pattern2"]
try:
    web = json.load(open(web_file))
except Exception:
    web = {}
try:
    native = json.load(open(native_file))
except Exception:
    native = {}
web_ms = web.get("meanFrameMs")
# One frame only in the time given: the next took longer than what has passed.
web_bound = web.get("frameLongerThanMs") if not web_ms else None
native_ms = (native.get("frameMs") or {}).get("median")
slots = [s for s in native.get("sceneRenderMs", []) if s.get("median") is not None]
leads = names[max(slots, key=lambda s: s["median"])["slot"]] if slots else "?"
fmt = lambda v: f"{v:.0f}" if v else "-"
if web_ms and native_ms:
    ratio, web_text = f"{web_ms / native_ms:.2f}", fmt(web_ms)
elif web_bound and native_ms:
    ratio, web_text = f"> {web_bound / native_ms:.1f}", f"> {web_bound:.0f}"
else:
    ratio, web_text = "-", fmt(web_ms)
print(f"{section:<8} {seconds:<8} {leads:<10} {web_text:<14} {fmt(native_ms):<14} {ratio}")
PY
done
node tools/web/drive.mjs build-web/site --size "$size" --run-ms 3000 >"$work/web.json" || true
python3 - "$work/web.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))
print(f"page: load to start screen {r.get('startScreenMs')} ms, Demo to first frame "
      f"{r.get('demoToFirstFrameMs') or 0:.0f} ms")
PY
