#pragma once
// The main function of every test executable.

#include "platform/media/SoundBackend.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>

// Like QTEST_MAIN, but widget tests run without a display unless told
// otherwise, and sound goes through the same back end as in the programs.
#define KIT_TEST_MAIN(TestClass)                                                                   \
    int main(int argc, char* argv[]) {                                                             \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        useGStreamerSoundBackend();                                                                \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
