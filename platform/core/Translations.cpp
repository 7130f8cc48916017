#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

void usePolishDates() {
    // LC_ALL would override LC_TIME: its value becomes the default for every category instead.
    if (const QByteArray all = qgetenv("LC_ALL"); !all.isEmpty()) {
        qputenv("LANG", all);
        qunsetenv("LC_ALL");
    }
    qputenv("LC_TIME", "pl_PL.UTF-8");
}

bool installPolishTranslations(QCoreApplication& app) {
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    QLocale::setDefault(polish);
    // "qt_pl" names the catalogs of every Qt module the programs use (base, multimedia).
    auto catalog = std::make_unique<QTranslator>();
    if (!catalog->load(polish, QStringLiteral("qt"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(catalog.get()))
        return false;
    // The application owns the catalog from here; it stays installed until the program ends.
    catalog.release()->setParent(&app);
    return true;
}
