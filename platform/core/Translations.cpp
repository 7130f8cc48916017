#include "platform/core/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>
#include <memory>

PolishDates::PolishDates()
    : all_(qgetenv("LC_ALL")), time_(qgetenv("LC_TIME")),
      hadTime_(qEnvironmentVariableIsSet("LC_TIME")) {
    // LC_ALL would override LC_TIME.
    qunsetenv("LC_ALL");
    qputenv("LC_TIME", "pl_PL.UTF-8");
}

PolishDates::~PolishDates() {
    if (!all_.isEmpty())
        qputenv("LC_ALL", all_);
    if (hadTime_)
        qputenv("LC_TIME", time_);
    else
        qunsetenv("LC_TIME");
    // Without the Polish locale installed, the application's setlocale() with LC_TIME set
    // failed as a whole and left the C locale: take the desktop's again.
    std::setlocale(LC_ALL, "");
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
