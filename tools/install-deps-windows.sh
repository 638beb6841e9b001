#!/usr/bin/env bash
# Installs the Debian packages that cross-building for Windows and testing
# under wine need, beside those of tools/install-deps.sh. Idempotent and
# quiet when everything is already there. Run as root.
set -euo pipefail

packages=(
  # the cross toolchain (posix threads, for std::thread) and its resources
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  # sources and headers built into the Windows program and its tests
  libstb-dev googletest
  # wine, and what it only recommends but the show needs to open a GL window
  wine wine64 libgl1 libgl1-mesa-dri libxrandr2 libxi6 libxcursor1 libxrender1 libxxf86vm1
  libxinerama1 libxcomposite1
  # a private X server, key presses, window sizes, unpacking the npm sources
  xvfb xauth xdotool x11-utils unzip
)
# npm fetches the pinned library sources; Node.js may bring its own.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps-windows: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "install-deps-windows: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
