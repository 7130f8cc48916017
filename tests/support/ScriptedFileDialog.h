#pragma once
// A file-open dialog answered by the test.

#include "platform/ui/FileDialog.h"

#include <QList>

// A file-open dialog answered by the test: each execute takes the next
// queued answer (a path, or a cancel). An execute with nothing queued fails
// the running test and is taken as a cancel.
class ScriptedFileDialog : public FileOpenDialog {
public:
    void answer(const QString& path) { answers_.append(path); }
    void cancel() { answers_.append(std::nullopt); }

    std::optional<QString> execute(QWidget* parent) override;
    // Accepts every path, as the real dialog does one in an existing folder when the user
    // agrees; counted apart from the executes.
    std::optional<QString> confirm(QWidget* parent, const QString& path) override;
    QString fileName() const override { return fileName_; }

    int calls() const { return calls_; }
    int confirmations() const { return confirmations_; }
    int pending() const { return int(answers_.size()); }

private:
    QList<std::optional<QString>> answers_;
    QString fileName_;
    int calls_ = 0;
    int confirmations_ = 0;
};
