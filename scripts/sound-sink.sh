# A private PulseAudio server with a null sink for the sound tests. Sourced by test.sh.
# The sound tests skip themselves when KIT_TEST_SINK is not set.

SOUND_SINK_NAME=kit_test_sink
SOUND_SINK_DIR=
SOUND_SINK_PID=

# Starts the server in a folder of its own (runtime dir, HOME, socket), so that it works as root
# without a display or a D-Bus session and never meets a server of the user's. On success exports
# PULSE_SERVER and KIT_TEST_SINK; on failure warns and leaves KIT_TEST_SINK unset.
start_sound_sink() {
    unset KIT_TEST_SINK
    if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
        echo "WARNING: pulseaudio or pactl missing: the sound tests that need a sink will skip" >&2
        return 0
    fi
    SOUND_SINK_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kit-sound-sink.XXXXXX")
    mkdir -p "$SOUND_SINK_DIR/home" "$SOUND_SINK_DIR/runtime"
    chmod 700 "$SOUND_SINK_DIR/runtime"
    local socket="$SOUND_SINK_DIR/native"
    HOME="$SOUND_SINK_DIR/home" XDG_RUNTIME_DIR="$SOUND_SINK_DIR/runtime" \
        XDG_CONFIG_HOME="$SOUND_SINK_DIR/home/.config" DBUS_SESSION_BUS_ADDRESS= \
        pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --use-pid-file=no \
        --disable-shm=yes --log-target=file:"$SOUND_SINK_DIR/pulseaudio.log" \
        --load="module-null-sink sink_name=$SOUND_SINK_NAME" \
        --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
        </dev/null >/dev/null 2>&1 &
    SOUND_SINK_PID=$!

    local tries
    for tries in $(seq 1 50); do
        if PULSE_SERVER="unix:$socket" pactl info >/dev/null 2>&1; then
            export PULSE_SERVER="unix:$socket"
            export KIT_TEST_SINK=$SOUND_SINK_NAME
            PULSE_SERVER="unix:$socket" pactl set-default-sink "$SOUND_SINK_NAME" || true
            return 0
        fi
        kill -0 "$SOUND_SINK_PID" 2>/dev/null || break
        sleep 0.2
    done
    echo "WARNING: the private PulseAudio server did not start: the sound tests that need a" \
        "sink will skip. Its log:" >&2
    cat "$SOUND_SINK_DIR/pulseaudio.log" >&2 2>/dev/null || true
    stop_sound_sink
    return 0
}

# Stops exactly the server started above and removes its folder.
stop_sound_sink() {
    if [ -n "$SOUND_SINK_PID" ]; then
        kill "$SOUND_SINK_PID" 2>/dev/null || true
        local tries
        for tries in $(seq 1 25); do
            kill -0 "$SOUND_SINK_PID" 2>/dev/null || break
            sleep 0.2
        done
        kill -9 "$SOUND_SINK_PID" 2>/dev/null || true
        wait "$SOUND_SINK_PID" 2>/dev/null || true
        SOUND_SINK_PID=
    fi
    if [ -n "$SOUND_SINK_DIR" ]; then
        rm -rf "$SOUND_SINK_DIR"
        SOUND_SINK_DIR=
    fi
    unset PULSE_SERVER KIT_TEST_SINK
}
