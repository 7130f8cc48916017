#pragma once
// The window CheckWindow: the findings of a scenario's check, each leading to its situation.

#include "authoring/ScenarioCheck.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QTreeWidget;

// Lists the findings of a check (severity, number, name, message; a long one wraps) and a
// summary of the scenario's figures. Double-click or Enter on a finding asks for a jump to its
// situation.
class CheckWindow : public QWidget {
    Q_OBJECT

public:
    explicit CheckWindow(QWidget* parent = nullptr);

    // Shows the findings of `report` in place of the ones shown, keeping the selected row's
    // place when there still is one.
    void showReport(const CheckReport& report);

signals:
    void situationChosen(std::int32_t situation);

private:
    QLabel* summary;
    QTreeWidget* findings;
};
