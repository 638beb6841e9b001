#!/usr/bin/env bash
# Benchmarks the Windows build against the native one on this machine, both
# drawing with the same software renderer: the pipeline benchmark natively
# and under wine, one after the other, and the ratio of their frame costs;
# then the start-up from "Demo" in the setup dialog to the first frame on
# the screen, natively and under wine. Prints figures, never fails. Builds
# both first (the native build in HALVO_NATIVE_BUILD, default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
native=${HALVO_NATIVE_BUILD:-build}
./tools/build-windows.sh >/dev/null
cmake --build "$native" --parallel "$(nproc)" --target halvo-bench-pipeline halvo >/dev/null

export WINEPREFIX="$PWD/build-win/wine" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
  wineserver -w
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash -s "$native" "$work" <<'SCRIPT'
native=$1 work=$2
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1

# Seconds from Return in the setup dialog to the first change on the show's
# window, polled every 20 ms: COMMAND... runs the show in FOLDER.
startup() {
  local folder=$1
  shift
  (cd "$folder" && exec "$@") >"$work/startup.out" 2>&1 </dev/null &
  local pid=$! dialog= window= start blank
  for _ in $(seq 300); do
    dialog=$(xdotool search --onlyvisible --name '^Halvo // Sorva$' 2>/dev/null | head -n 1 || true)
    [ -n "$dialog" ] && break
    sleep 0.05
  done
  xdotool windowfocus --sync "$dialog"
  start=$(date +%s.%N)
  xdotool key Return
  for _ in $(seq 1500); do
    window=$(xdotool search --onlyvisible --name '^Halvo$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.02
  done
  blank=$(xwd -id "$window" -silent | md5sum)
  for _ in $(seq 1500); do
    [ "$(xwd -id "$window" -silent 2>/dev/null | md5sum)" != "$blank" ] && break
    sleep 0.02
  done
  awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }'
  xdotool windowfocus --sync "$window" key Escape
  wait "$pid" || true
}

echo "== pipeline benchmark, native"
"$native/bench/halvo-bench-pipeline" | tee "$work/native.txt"
echo "== pipeline benchmark, Windows build under wine"
(cd build-win/bench && wine ./halvo-bench-pipeline.exe) >"$work/wine.txt" 2>&1
tr -d '\r' <"$work/wine.txt" | tee "$work/wine-unix.txt"
echo "== wine / native, by the median of each row"
paste -d'|' <(grep median "$work/native.txt") <(grep median "$work/wine-unix.txt") |
  awk -F'|' '{
    split($0, parts, "|")
    name = substr(parts[1], 1, 25)
    match(parts[1], /median +[0-9.]+/); n = substr(parts[1], RSTART + 6, RLENGTH - 6) + 0
    half = length(parts) / 2
    match(parts[half + 1], /median +[0-9.]+/); w = substr(parts[half + 1], RSTART + 6, RLENGTH - 6) + 0
    printf "%s native %7.1f ms  wine %7.1f ms  ratio %.2f\n", name, n, w, w / n
  }'

echo "== start-up, Return in the dialog to the first frame on the screen"
echo "native:        $(startup "$native/show" ./halvo) s"
echo "wine:          $(startup build-win/show wine ./halvo.exe) s"
wineserver -k
SCRIPT
