#!/usr/bin/env bash
# Benchmarks the web build against the native one on this machine, scene by
# scene, both at SIZE (default 640x360), one after the other in the same run:
# each effect alone (the post chain as usual) at a row where the show has it
# on screen, over the frames up to that row on a fixed 30 fps step, without
# preroll. The page renders them as a still frame (?row=&from=&effect=) in
# headless Chromium (WebGL 2 on SwiftShader), timed from frame end to frame
# end; natively, halvo-capture --bench --effect on llvmpipe. Prints the
# medians and their ratio, then the page's load to start screen and "Demo" to
# first frame. Prints figures, never fails. Builds both first (the native
# build in HALVO_NATIVE_BUILD, default build/). Some effects only:
# EFFECTS="pball tunnel".
set -euo pipefail
cd "$(dirname "$0")/.."
native=${HALVO_NATIVE_BUILD:-build}
size=${SIZE:-640x360}
./tools/build-web.sh >/dev/null 2>&1
cmake --build "$native" --parallel "$(nproc)" --target halvo-capture >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Where each effect is on screen, and how many frames to time there (the
# particle ball takes seconds a frame in the browser).
declare -A row=([feedback]=133 [pattern2]=400 [pattern]=600 [tunnel]=930 [pball]=1100
                [hands]=1650)
declare -A frames=([pball]=8)

printf '%-10s %-6s %-7s %-10s %-10s %s\n' effect row frames web_ms native_ms web/native
for effect in ${EFFECTS:-feedback pattern2 pattern tunnel pball hands}; do
  r=${row[$effect]}
  n=${frames[$effect]:-30}
  # The frame at the row, and n frames before it: at 30 fps.
  read -r from to < <(python3 -c "
import math
last = math.ceil($r / (131 / 60 * 8) * 30 - 1e-6)
print(f'{(last - $n + 1) / 30:.6f} {(last + 1) / 30:.6f}')")
  node tools/web/drive.mjs build-web/site --size "$size" --still "$work/still.rgba" \
    --query "?row=$r&from=$from&fps=30&size=$size&effect=$effect" >"$work/web.json" || true
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$native/halvo-capture" --bench \
    --effect "$effect" --size "$size" --fps 30 --from "$from" --to "$to" \
    --no-preroll >"$work/native.json" 2>/dev/null || true
  python3 - "$effect" "$r" "$n" "$work/web.json" "$work/native.json" <<'PY'
import json, statistics, sys
effect, row, n, web_file, native_file = sys.argv[1:]
def load(name):
    try:
        return json.load(open(name))
    except Exception:
        return {}
web, native = load(web_file), load(native_file)
swaps = (web.get("still") or {}).get("swaps") or []
# Frame end to frame end, the first frame (its warm-up) left out.
gaps = [b - a for a, b in zip(swaps[1:], swaps[2:])]
web_ms = statistics.median(gaps) if gaps else None
native_ms = (native.get("frameMs") or {}).get("median")
fmt = lambda v: f"{v:.1f}" if v else "-"
ratio = f"{web_ms / native_ms:.2f}" if web_ms and native_ms else "-"
print(f"{effect:<10} {row:<6} {n:<7} {fmt(web_ms):<10} {fmt(native_ms):<10} {ratio}")
PY
done
node tools/web/drive.mjs build-web/site --size "$size" --run-ms 3000 >"$work/web.json" || true
python3 - "$work/web.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))
print(f"page: load to start screen {r.get('startScreenMs')} ms, Demo to first frame "
      f"{r.get('demoToFirstFrameMs') or 0:.0f} ms")
PY
