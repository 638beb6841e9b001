#!/usr/bin/env bash
# The page's sound device failing under a playing show: the site in a headed
# Chromium on a private X server, playing into a private PulseAudio server,
# from 170 s into the tune, where track "e" ends the show 9.1 s later. The
# null sink unloaded 3 s in (the device goes away) or suspended (it stalls):
# either way the show goes on silently from where it was, says so in one
# line, and ends on track "e" on time.
#   tests/web/sound_faults.sh SITE
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/sound-server.sh
site=$1

WORK=$(mktemp -d)
XPID=
cleanup() {
    stop_sound_server
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
failures=0
check() { # check CONDITION-STATUS WHAT
    if [ "$1" = 0 ]; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}

Xvfb -displayfd 3 -screen 0 336x196x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XPID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$WORK/display")"
start_sound_server "$WORK/xdg" || { echo "FAIL the sound server did not start"; exit 1; }

# show NAME [COMMAND...]: the show, with COMMAND run 3 s after its first
# frame; leaves the page's state, the show's length in seconds and the
# console's lines other than the show's standard output in $WORK/NAME.*.
show() {
    local name=$1
    shift
    rm -f "$WORK/started"
    node tools/web/drive.mjs "$site" --headed --size 320x180 --query '?from=170' --run-ms 500 \
        --started "$WORK/started" --until-ended 40000 >"$WORK/$name.json" &
    local driver=$!
    if [ $# -gt 0 ]; then
        for _ in $(seq 600); do
            [ -s "$WORK/started" ] && break
            kill -0 "$driver" 2>/dev/null || break
            sleep 0.1
        done
        sleep 3
        "$@"
    fi
    wait "$driver"
    node -e 'const fs = require("fs"), [file, out] = process.argv.slice(1);
             const r = JSON.parse(fs.readFileSync(file));
             fs.writeFileSync(out + ".state", `${r.state} ${r.message}\n`);
             fs.writeFileSync(out + ".length", `${(r.showLengthMs || 0) / 1000}\n`);
             fs.writeFileSync(out + ".console",
                              r.console.filter((l) => !l.startsWith("log: ")).join("\n"));' \
        "$WORK/$name.json" "$WORK/$name"
}

lost='^warn: halvo: the sound device was lost \(.*\); the show goes on silently$'
# The browser's own report of a device that went away.
browser='^error: The AudioContext encountered an error from the audio device'

show unharmed
check "$([ ! -s "$WORK/unharmed.console" ]; echo $?)" \
    "unharmed: no console line besides the show's output ($(tr '\n' '|' <"$WORK/unharmed.console"))"
check "$(grep -q '^ended ' "$WORK/unharmed.state"; echo $?)" "unharmed: ends ($(cat "$WORK/unharmed.state"))"
normal=$(cat "$WORK/unharmed.length")

# fault NAME COMMAND...: the show with COMMAND 3 s in, and how it went on.
fault() {
    local name=$1 length
    show "$@"
    check "$(grep -q '^ended ' "$WORK/$name.state"; echo $?)" \
        "$name: ends on track e ($(cat "$WORK/$name.state"))"
    check "$([ "$(grep -cE "$lost" "$WORK/$name.console")" = 1 ]; echo $?)" \
        "$name: one line says the sound was lost"
    check "$([ "$(grep -vcE "$lost|$browser" "$WORK/$name.console")" = 0 ]; echo $?)" \
        "$name: no other console line ($(tr '\n' '|' <"$WORK/$name.console"))"
    # As long as the unharmed show; stalled, the clock stood still for
    # under a second before it went on by itself.
    length=$(cat "$WORK/$name.length")
    check "$(awk -v t="$length" -v n="$normal" 'BEGIN { exit !(t > n - 1.0 && t < n + 1.5) }'; echo $?)" \
        "$name: the show took $length s, against $normal s unharmed"
}

unload_sink() { pactl unload-module "$(sink_module)"; }
fault "device removed" unload_sink
pactl load-module module-null-sink sink_name=halvo_sink >/dev/null
fault "device stalled" pactl suspend-sink halvo_sink 1
exit $((failures > 0))
