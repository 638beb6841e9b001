# A private PulseAudio server with one null sink, "halvo_sink": a real sound
# output on a machine without a sound card, whose monitor records what was
# played. Sourced by tools/sync-check.sh and the sound tests. Every process
# that should play into it needs the XDG_RUNTIME_DIR this exports.

# start_sound_server DIR: runs the server with its socket and log in DIR.
start_sound_server() {
    export XDG_RUNTIME_DIR="$1"
    SOUND_SERVER_DIR=$1
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset PULSE_SERVER PULSE_SINK
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --disallow-exit \
        --load="module-null-sink sink_name=halvo_sink" \
        --load=module-native-protocol-unix \
        --log-target=file:"$XDG_RUNTIME_DIR/pulseaudio.log" || return 1
    local _
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Stops the server started above, and no other, and waits until it is gone.
stop_sound_server() {
    [ -n "${SOUND_SERVER_DIR:-}" ] || return 0
    local pidfile="$SOUND_SERVER_DIR/pulse/pid" pid _
    [ -f "$pidfile" ] || return 0
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

# The module number of the null sink, for unloading it while it plays.
sink_module() {
    pactl list short modules | awk '$2 == "module-null-sink" { print $1; exit }'
}
