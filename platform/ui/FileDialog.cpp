#include "platform/ui/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString NameFilter = QStringLiteral("Scenariusze (*.Kro)");

// The checks that Qt's dialog lacks in AnyFile mode, and the one it makes in ExistingFile mode,
// for a name confirmed in it or given on a command line: the folder must exist, a name that
// must exist must, and a name that does not exist may need the user's consent. The texts are
// those of Qt's own dialog, which its Polish catalog translates; Qt has no question before a
// file is created, so that one is written in Polish here.
bool vetted(QWidget* parent, const QString& title, const QString& path, bool mustExist,
            bool promptToCreate) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) {
        QMessageBox::warning(parent, title,
                             QFileDialog::tr("%1\nDirectory not found.\nPlease verify the correct "
                                             "directory name was given.")
                                 .arg(info.absolutePath()));
        return false;
    }
    if (mustExist && !info.exists()) {
        QMessageBox::warning(parent, title,
                             QFileDialog::tr("%1\nFile not found.\nPlease verify the correct "
                                             "file name was given.")
                                 .arg(info.fileName()));
        return false;
    }
    return !promptToCreate || info.exists() ||
           QMessageBox::question(
               parent, title,
               QStringLiteral("%1\nTen plik nie istnieje.\nCzy chcesz go utworzyć?")
                   .arg(info.fileName()),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

// Qt's dialog, with the checks it lacks in AnyFile mode.
class ScenarioDialog : public QFileDialog {
public:
    ScenarioDialog(QWidget* parent, bool promptToCreate)
        : QFileDialog(parent), promptToCreate_(promptToCreate) {}

    void accept() override {
        const QStringList files = selectedFiles();
        if (fileMode() == AnyFile && files.size() == 1 &&
            !vetted(this, windowTitle(), files.first(), false, promptToCreate_))
            return;
        QFileDialog::accept();
    }

private:
    bool promptToCreate_;
};

} // namespace

QtFileOpenDialog::QtFileOpenDialog(Options options) : options_(std::move(options)) {}

std::optional<QString> QtFileOpenDialog::execute(QWidget* parent) {
    ScenarioDialog dialog(parent, options_.promptToCreate);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // A dialog that saves says "Zapisz"; whoever saves asks before replacing a file, since it
    // knows which files the name stands for.
    dialog.setAcceptMode(options_.saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, options_.saving);
    dialog.setFileMode(options_.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(NameFilter);
    // "*.Kro" must also match "a.kro" and "B.KRO", as on Windows: the dialog's
    // file model matches masks without regard to case unless told otherwise.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!options_.title.isEmpty())
        dialog.setWindowTitle(options_.title);
    dialog.setDefaultSuffix(options_.defaultExtension);
    if (!fileName_.isEmpty())
        dialog.selectFile(fileName_);
    else if (!startFolder_.isEmpty())
        dialog.setDirectory(startFolder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    fileName_ = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    return fileName_;
}

std::optional<QString> QtFileOpenDialog::confirm(QWidget* parent, const QString& path) {
    QString full = QFileInfo(path).absoluteFilePath();
    if (!options_.defaultExtension.isEmpty() && QFileInfo(full).suffix().isEmpty() &&
        !QFileInfo(full).isDir())
        full += u'.' + options_.defaultExtension;
    const QString title = options_.title.isEmpty() ? QFileDialog::tr("Open") : options_.title;
    if (!vetted(parent, title, full, options_.fileMustExist, options_.promptToCreate))
        return std::nullopt;
    fileName_ = full;
    return fileName_;
}
