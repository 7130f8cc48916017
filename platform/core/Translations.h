#pragma once

#include <QByteArray>

class QCoreApplication;

// Qt's own Polish for everything the programs borrow from Qt: the standard dialogs, the message
// boxes' buttons, a text field's context menu, the command-line parser's messages. The programs
// speak Polish whatever the desktop's language, so the catalog is chosen by name, not by the
// system's locale, and Polish becomes the default locale (dates and sizes in the file dialog).
// Returns false when Qt's Polish catalog is not installed; the programs then go on in Qt's
// English.
bool installPolishTranslations(QCoreApplication& app);

// Dates as a Polish user reads them in Qt's file dialog ("8.12.2026", not "8 Dec"), whose
// file list formats them by the system's locale, which Qt reads from the environment when the
// application object is made. Made before the application object, this sets LC_TIME to Polish;
// destroyed once it exists, it puts the environment back (the programs the editor starts see
// the desktop's) and the C library's locale with it. Numbers keep the desktop's locale: the C
// libraries (Graphviz among them) parse and print numbers by it.
class PolishDates {
public:
    PolishDates();
    ~PolishDates();
    PolishDates(const PolishDates&) = delete;
    PolishDates& operator=(const PolishDates&) = delete;

private:
    QByteArray all_;
    QByteArray time_;
    bool hadTime_;
};
