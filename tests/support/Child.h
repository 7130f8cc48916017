#pragma once
// A window's control found by its object name, as a screen reader or a user finds it: tests
// reach controls this way, never through public members. A missing or mistyped name fails
// the test at once instead of crashing it.

#include <QObject>
#include <QTest>

template <class Control> Control* child(const QObject& window, const char* name) {
    auto* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s of type %s", name, Control::staticMetaObject.className());
    return found;
}
