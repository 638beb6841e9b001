#!/usr/bin/env bash
# Installs what building for the browser and testing in headless Chromium
# need, beside those of tools/install-deps.sh: Debian's emscripten, chromium
# and glslang-tools, and the pinned puppeteer-core that drives the browser
# (into build-web/node/, downloading no browser). Idempotent and quiet when
# everything is already there. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # the compiler, its node and the shader validator for the ES 3.00 test
  emscripten nodejs glslang-tools
  # the browser the tests drive, and a loopback server for the site
  chromium python3
)
# The sync check and the sound tests also take the private X server, the
# sound server, ffmpeg and numpy from tools/install-deps.sh, which
# tools/build-web.sh runs first.
# npm fetches the pinned driver; Node.js may bring its own.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    # A nodejs from another source counts as long as node runs.
    [ "$p" = nodejs ] && command -v node >/dev/null && continue
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps-web: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "install-deps-web: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

puppeteer_version=24.10.2
node_dir=build-web/node
if ! grep -qs "\"version\": \"$puppeteer_version\"" "$node_dir/node_modules/puppeteer-core/package.json"; then
  mkdir -p "$node_dir"
  echo "install-deps-web: installing puppeteer-core@$puppeteer_version into $node_dir" >&2
  [ -f "$node_dir/package.json" ] || echo '{"private": true}' >"$node_dir/package.json"
  npm install --prefix "$node_dir" --no-audit --no-fund --silent --save-exact \
    "puppeteer-core@$puppeteer_version" >/dev/null
fi
