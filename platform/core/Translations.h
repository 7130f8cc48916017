#pragma once

class QCoreApplication;

// Qt's own Polish for everything the programs borrow from Qt: the standard dialogs, the message
// boxes' buttons, a text field's context menu, the command-line parser's messages. The programs
// speak Polish whatever the desktop's language, so the catalog is chosen by name, not by the
// system's locale, and Polish becomes the default locale (dates and sizes in the file dialog).
// Returns false when Qt's Polish catalog is not installed; the programs then go on in Qt's
// English.
bool installPolishTranslations(QCoreApplication& app);

// Dates as a Polish user reads them in Qt's file dialog ("8.12.2026", not "8 Dec"), whose
// file list formats them by the system's locale: sets LC_TIME for this process before the
// application object reads it. Call before the application object is made. Numbers keep the
// desktop's locale: the C libraries (Graphviz among them) parse and print numbers by it.
void usePolishDates();
