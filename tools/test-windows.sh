#!/usr/bin/env bash
# Builds the Windows target (tools/build-windows.sh) and runs its suites under
# wine: the unit and GL suites cross-built, and the end-to-end tests driving
# halvo.exe, on a private X server. One wine prefix is made for the run and
# one wineserver serves it throughout. Extra arguments go to ctest (e.g.
# -L e2e, -R Dialog).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build-windows.sh

export WINEPREFIX="$PWD/build-win/wine" WINEARCH=win64 WINEDEBUG=-all
# No .NET or browser installers in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
# Windows are unmanaged (no 2 s wait at every close without a window
# manager), no sound driver is probed (ALSA's noise), and temporary files
# lie on the drive that maps the build machine's /, as the build's paths do.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
mkdir -p "$WINEPREFIX/temp"
temp="Z:$(sed 's|/|\\|g' <<<"$WINEPREFIX/temp")"
wine reg add 'HKCU\Environment' /v TEMP /d "$temp" /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v TMP /d "$temp" /f >/dev/null 2>&1
wineserver -w

cd build-win
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash -c '
  # Modes for the setup dialog'"'"'s list, added before wine first reads the
  # screen (it misses modes added later).
  add_mode() {
    local w=$1 h=$2 rate=$3 clock
    clock=$(awk -v w="$w" -v h="$h" -v r="$rate" "BEGIN { printf \"%.3f\", (w + 24) * (h + 9) * r / 1e6 }")
    xrandr --newmode "$1x$2_$3" "$clock" "$w" $((w + 8)) $((w + 16)) $((w + 24)) \
        "$h" $((h + 3)) $((h + 6)) $((h + 9)) && xrandr --addmode screen "$1x$2_$3"
  }
  add_mode 1024 768 60 && add_mode 1280 720 60 && add_mode 1280 720 75 &&
    add_mode 1360 768 60 && add_mode 1366 768 60 && add_mode 1600 900 60 || exit 1
  # One server for the whole run, its services started now with their
  # output going nowhere rather than into a test runner'"'"'s pipe.
  wineserver -p >/dev/null 2>&1
  wineboot >/dev/null 2>&1
  status=0
  ctest --output-on-failure --timeout 300 "$@" || status=$?
  wineserver -k
  exit "$status"' test-windows "$@"

# The sync check through wine's sound driver. Wine reports as played what it
# has handed to the sound server, so its clock leads the sound by the
# server's buffer (30 to 80 ms on these machines): the limits hold the clock
# and the picture to that, and catch a clock that lags or stops. On a busy
# machine wine's driver itself starves and stutters, and the recording may
# not match the tune: one more run is allowed before the check fails.
cd ..
check_sync() { ./tools/sync-check.sh --seconds 20 --check --busy-machine --tolerance 100,100,250 windows; }
check_sync || { echo "test-windows: the sync check once more" >&2; check_sync; }
