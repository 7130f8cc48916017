#include "platform/core/PosixRecordFile.h"
#include "platform/core/Translations.h"
#include "platform/media/SoundBackend.h"
#include "player/PlayerWindows.h"
#include "player/SoundModule.h"

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <memory>

namespace {

// The folder the scenario dialog first opens in: the one run.sh names, else the demo installed
// beside the program (bin/../share/tekstowki/scenariusze/demo), else where Qt chooses.
QString startFolder() {
    if (qEnvironmentVariableIsSet("KIT_SCENARIO_FOLDER"))
        return qEnvironmentVariable("KIT_SCENARIO_FOLDER");
    const QDir installed(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/../share/tekstowki/scenariusze/demo"));
    return installed.exists() ? installed.canonicalPath() : QString();
}

// Prints the help or the version asked for; false when the program is to run.
bool printed(const PlayerCommandLine& line) {
    if (line.action == PlayerCommandLine::Action::Play)
        return false;
    QTextStream(stdout) << (line.action == PlayerCommandLine::Action::Help
                                ? PlayerCommandLine::helpText()
                                : PlayerCommandLine::versionText());
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // Help and the version print before the window system is reached, so that they need no
    // display; the rest is read once Qt has taken its own options (-platform ...) out.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    if (printed(PlayerCommandLine::read(rawArguments)))
        return 0;

    useGStreamerSoundBackend();
    auto dates = std::make_unique<PolishDates>();
    QApplication app(argc, argv);
    dates.reset();
    QApplication::setApplicationName(QStringLiteral("Zozozarov"));
    installPolishTranslations(app);
    const PlayerCommandLine line = PlayerCommandLine::read(QCoreApplication::arguments());
    if (!line.error.isEmpty())
        QTextStream(stderr) << line.error << '\n';

    QtMessageBoxes boxes(QStringLiteral("Zozozarov"));
    QtFileOpenDialog dialog(FileOpenDialog::Options{});
    dialog.setStartFolder(startFolder());
    PosixRecordFileFactory files;
    // The sound module lies at KIT_SOUND_MODULE from the program, installed as built.
    const PlayerServices services{boxes, dialog, files,
                                  soundModuleDevices(QCoreApplication::applicationDirPath() +
                                                     QStringLiteral("/" KIT_SOUND_MODULE))};

    PlayerWindows windows(services, [] { QApplication::quit(); });
    windows.begin(line);
    // The start-up benchmark times the program up to the menu shown.
    if (qEnvironmentVariableIsSet("KIT_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
