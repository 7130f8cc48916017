#include "editor/LoadProgress.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QProgressDialog>
#include <QWidget>

std::chrono::milliseconds LoadProgress::showAfter{500};

LoadProgress::LoadProgress(QWidget* owner, bool cancellable, QString caption)
    : owner_(owner), cancellable_(cancellable),
      caption_(caption.isEmpty() ? QStringLiteral("Wczytywanie spisu sytuacji...")
                                 : std::move(caption)) {
    timer_.start();
}

LoadProgress::~LoadProgress() {
    delete dialog_;
}

ScenarioState::Progress LoadProgress::callback() {
    return [this](std::int64_t read, std::int64_t total) { return step(read, total); };
}

bool LoadProgress::step(std::int64_t read, std::int64_t total) {
    if (!dialog_) {
        if (timer_.elapsed() < showAfter.count()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        dialog_ = new QProgressDialog(caption_, cancellable_ ? QStringLiteral("Anuluj") : QString(),
                                      0, 100, owner_);
        dialog_->setWindowTitle(owner_ ? owner_->window()->windowTitle() : QString());
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        if (!cancellable_)
            dialog_->setCancelButton(nullptr);
        if (auto* bar = dialog_->findChild<QProgressBar*>())
            bar->setAccessibleName(QStringLiteral("Wczytany procent spisu sytuacji"));
        dialog_->show();
    }
    // Percent: a bar counts in int, and a scenario's count fits any bar in hundredths.
    const int percent = total > 0 ? static_cast<int>(read * 100 / total) : 100;
    dialog_->setValue(percent);
    // The bar stands over every window: only it takes clicks while the program repaints.
    QCoreApplication::processEvents();
    return !cancellable_ || !dialog_ || !dialog_->wasCanceled();
}
