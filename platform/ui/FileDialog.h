#pragma once
// The modal file-open dialog for scenarios.

#include <QString>
#include <optional>

class QWidget;

// The modal file-open dialog for scenarios: one filter "Scenariusze (*.Kro)"
// with the mask "*.Kro" (any letter case). It offers the last confirmed name
// again at the next opening.
class FileOpenDialog {
public:
    struct Options {
        QString title;            // empty: the toolkit's own
        QString defaultExtension; // appended when the user types none ("Kro")
        bool fileMustExist = true;
        bool promptToCreate = false; // ask before accepting a name that does not exist
        bool saving = false;         // a dialog that saves ("Zapisz"), never asking to replace
    };

    virtual ~FileOpenDialog() = default;
    // The full path of the confirmed file, or nothing when cancelled.
    virtual std::optional<QString> execute(QWidget* parent) = 0;
    // Takes `path` as if it had been typed into the dialog and confirmed: the default
    // extension when it has none, then the dialog's own checks and questions. The full path,
    // or nothing when a check refused it or the user declined.
    virtual std::optional<QString> confirm(QWidget* parent, const QString& path) = 0;
    // The name confirmed last; empty until a file has been confirmed.
    virtual QString fileName() const = 0;
};

class QtFileOpenDialog : public FileOpenDialog {
public:
    explicit QtFileOpenDialog(Options options);
    std::optional<QString> execute(QWidget* parent) override;
    std::optional<QString> confirm(QWidget* parent, const QString& path) override;
    QString fileName() const override { return fileName_; }
    // The folder the dialog opens in until a file has been confirmed; empty: Qt's choice.
    void setStartFolder(const QString& folder) { startFolder_ = folder; }

private:
    Options options_;
    QString fileName_;
    QString startFolder_;
};
