#!/usr/bin/env bash
# Serves the site tools/build-web.sh made (build-web/site) on 127.0.0.1 and
# prints its address; any static file server will do as well. PORT defaults
# to 8080; a port already in use is refused rather than shared.
set -euo pipefail
cd "$(dirname "$0")/.."
site=build-web/site
port=${1:-8080}
if [ ! -f "$site/index.html" ]; then
  echo "serve-web: no site in $site: run ./tools/build-web.sh first" >&2
  exit 1
fi
if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  echo "serve-web: port $port is in use: give another (./tools/serve-web.sh PORT)" >&2
  exit 1
fi
echo "Halvo: http://127.0.0.1:$port/"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
