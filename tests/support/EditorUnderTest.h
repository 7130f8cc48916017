#pragma once
// The editor window as the program builds it, over fakes for its boxes, dialog and sound.

#include "editor/EditorServices.h"
#include "editor/Uedytor.h"
#include "tests/support/Child.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/ScriptedFileDialog.h"

#include <QList>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// `Boxes` and `Files` are the message boxes and record files the test wants; the window is
// shown at once. Who includes this links the editor's library.
template <class Boxes, class Files> struct EditorUnderTest {
    Boxes boxes;
    ScriptedFileDialog dialog;
    Files files;
    std::shared_ptr<FakeSoundLog> sound = std::make_shared<FakeSoundLog>();
    // The players "Graj stąd" started, and whether starting one succeeds.
    struct PlayerStart {
        QString path;
        std::int32_t from = 0;
    };
    QList<PlayerStart> playersStarted;
    bool playerStarts = true;
    // The versions the editor keeps: under the test's own folder, never the user's.
    QTemporaryDir versionFolder;
    QString versionRoot = versionFolder.filePath(QStringLiteral("wersje"));
    EditorServices services{boxes,
                            dialog,
                            files,
                            FakeSoundDevice::factory(sound),
                            [this](const QString& path, std::int32_t from) {
                                playersStarted.append({path, from});
                                return playerStarts;
                            },
                            versionRoot};
    TFoRPGEdit w{services};

    EditorUnderTest() { w.show(); }
    // Makes the window the active one, as the tests that move the focus need.
    void activate() {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Leaves `field` for `next` as a user does, by giving `next` the focus.
    static void leave(QWidget* field, QWidget* next) {
        field->setFocus(Qt::TabFocusReason);
        next->setFocus(Qt::TabFocusReason);
    }
    // "&Otwórz/Nowy", the dialog answered with `path`.
    void open(const QString& path) {
        dialog.answer(path);
        QTest::mouseClick(child<QPushButton>(w, "BuOtworz"), Qt::LeftButton);
    }
};
