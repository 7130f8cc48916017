# A private PulseAudio server with a null sink for the sound tests. Sourced by test.sh.
# The sound tests skip themselves when KIT_TEST_SINK is not set.

start_sound_sink() {
    :
}

stop_sound_sink() {
    :
}
