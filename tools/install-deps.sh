#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent and quiet when everything is already there. Run as root.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  # libraries the demo links
  libglfw3-dev libglew-dev libgl-dev libstb-dev libmpg123-dev libsdl2-dev libasound2-dev
  libgtk-3-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # every shader compiled as GLSL ES 3.00 too, as WebGL 2 takes it
  glslang-tools
  # data: the tune is encoded at build time; the titles are set in League Spartan
  lame fonts-league-spartan
  # running without a display and driving the demo like a person would
  xvfb xauth xdotool x11-utils x11-apps imagemagick libgl1-mesa-dri mesa-utils
  x11-xserver-utils
  # the capture tool: PNG frames, video; its tests read videos with ffprobe
  # and its benchmark's JSON with python3
  libpng-dev ffmpeg python3
  # a real sound output without a sound card, and the sync check that
  # records it (its analysis reads the recording with Debian's numpy)
  pulseaudio pulseaudio-utils python3-numpy
  # the release: its Debian package checked by lintian; zip for the test
  # that spoils a release's zip
  lintian zip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
