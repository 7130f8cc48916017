#pragma once
// The progress window of a long read of a scenario's lists.

#include "editor/model/EditorView.h"
#include "editor/model/ScenarioState.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <chrono>

class QProgressDialog;
class QWidget;

// Reading the lists of a large scenario from a slow disk takes a while. For the first half
// second nothing shows (the window only keeps painting); after that a progress window with a
// bar, and with "Anuluj" where the reading may be cancelled, stands over every window of the
// program until the reading ends, so that no click can reach the editor half way.
class LoadProgress : public ReadProgress {
public:
    // How long a read goes before the window shows; tests set it to zero.
    static std::chrono::milliseconds showAfter;

    // `caption`: what the window says is going on (the read of the lists when empty).
    LoadProgress(QWidget* owner, bool cancellable, QString caption = {});
    ~LoadProgress() override;
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    // What the rebuild of the lists is told after each block.
    ScenarioState::Progress callback();
    bool step(std::int64_t read, std::int64_t total) override;

private:
    QWidget* owner_;
    bool cancellable_;
    QString caption_;
    QElapsedTimer timer_;
    QPointer<QProgressDialog> dialog_;
};
