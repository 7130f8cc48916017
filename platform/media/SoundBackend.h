#pragma once
// The choice of Qt Multimedia's back end, made once for the programs and the tests alike.

#include <QtGlobal>

// Chooses Qt Multimedia's GStreamer back end unless the environment names one: the FFmpeg
// back end of older Qt releases crashes without a sound server. Call before the application
// object is made. Header only, so that what does not play sounds need not link Qt Multimedia.
inline void useGStreamerSoundBackend() {
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}
