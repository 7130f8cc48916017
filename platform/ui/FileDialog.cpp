#include "FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString NameFilter = QStringLiteral("Scenariusze (*.Kro)");

// Qt's dialog, with the checks it lacks in AnyFile mode: the folder must
// exist, and a name that does not exist may need the user's consent.
class ScenarioDialog : public QFileDialog {
public:
    ScenarioDialog(QWidget* parent, bool promptToCreate)
        : QFileDialog(parent), promptToCreate_(promptToCreate) {}

    void accept() override {
        const QStringList files = selectedFiles();
        if (fileMode() == AnyFile && files.size() == 1) {
            const QFileInfo info(files.first());
            if (!info.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     tr("%1\nPath not found.\nPlease verify the correct path "
                                        "was given.")
                                         .arg(info.absolutePath()));
                return;
            }
            if (promptToCreate_ && !info.exists() &&
                QMessageBox::question(this, windowTitle(),
                                      tr("%1\nThis file does not exist.\nDo you want to create it?")
                                          .arg(info.fileName()),
                                      QMessageBox::Yes | QMessageBox::No,
                                      QMessageBox::Yes) != QMessageBox::Yes)
                return;
        }
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
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
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
