#include "EditorServices.h"
#include "EditorWindows.h"
#include "core/PosixRecordFile.h"
#include "media/QtSoundDevice.h"
#include "media/SoundBackend.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Diziru"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Edytor scenariuszy tekstówek."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PLIK.Kro"),
                                 QStringLiteral("Scenariusz do otwarcia (lub utworzenia)."),
                                 QStringLiteral("[PLIK.Kro]"));
    parser.process(app);

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
