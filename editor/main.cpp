#include "editor/EditorServices.h"
#include "editor/EditorWindows.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/core/Translations.h"
#include "platform/media/QtSoundDevice.h"
#include "platform/media/SoundBackend.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <memory>

namespace {

// The player's program: beside the editor's when installed, in the build tree's player folder
// when run from there, else wherever the search path finds it.
QString playerProgram() {
    const QString name = QStringLiteral("Zozozarov");
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {here.filePath(name), here.filePath(QStringLiteral("../player/") + name)}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QStandardPaths::findExecutable(name);
}

bool startPlayer(const QString& path, std::int32_t from) {
    const QString program = playerProgram();
    return !program.isEmpty() && QProcess::startDetached(program, {path, QStringLiteral("--from"),
                                                                   QString::number(from)});
}

} // namespace

int main(int argc, char* argv[]) {
    useGStreamerSoundBackend();
    auto dates = std::make_unique<PolishDates>();
    QApplication app(argc, argv);
    dates.reset();
    QApplication::setApplicationName(QStringLiteral("Diziru"));
    QApplication::setApplicationVersion(QStringLiteral(KIT_VERSION));
    installPolishTranslations(app);

    // Qt's own help and version options describe themselves in English in every catalog.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Edytor scenariuszy tekstówek."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("pokazuje tę pomoc"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("pokazuje wersję programu"));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("PLIK.Kro"),
                                 QStringLiteral("Scenariusz do otwarcia (lub utworzenia)."),
                                 QStringLiteral("[PLIK.Kro]"));
    parser.process(app);
    if (parser.isSet(help) || parser.isSet(version)) {
        QTextStream(stdout)
            << (parser.isSet(help)
                    ? parser.helpText()
                    : QStringLiteral("Diziru %1\n").arg(QApplication::applicationVersion()));
        return 0;
    }

    QtMessageBoxes boxes(QStringLiteral("Diziru"));
    QtFileOpenDialog dialog(
        FileOpenDialog::Options{QStringLiteral("Open/New"), QStringLiteral("Kro"), false, true});
    PosixRecordFileFactory files;
    const EditorServices services{boxes, dialog, files, makeQtSoundDevice, startPlayer};

    EditorWindows windows(services);
    windows.edytor.show();
    if (!parser.positionalArguments().isEmpty())
        windows.edytor.openScenario(parser.positionalArguments().first());
    return QApplication::exec();
}
