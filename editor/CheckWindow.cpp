#include "CheckWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { SeverityColumn, NumberColumn, NameColumn, MessageColumn };

} // namespace

CheckWindow::CheckWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("CheckWindow"));
    setWindowTitle(QStringLiteral("Sprawdzenie scenariusza"));
    resize(640, 360);

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setTextFormat(Qt::PlainText);
    // A label's name is its text: what it is goes in its description.
    summary->setAccessibleDescription(QStringLiteral("Podsumowanie sprawdzenia"));

    findings = new QTreeWidget(this);
    findings->setObjectName(QStringLiteral("findings"));
    findings->setAccessibleName(QStringLiteral("Uwagi"));
    findings->setAccessibleDescription(
        QStringLiteral("Podwójne kliknięcie lub Enter przechodzi do sytuacji"));
    findings->setRootIsDecorated(false);
    findings->setUniformRowHeights(true);
    findings->setAllColumnsShowFocus(true);
    findings->setSelectionMode(QAbstractItemView::SingleSelection);
    findings->setHeaderLabels({QStringLiteral("Waga"), QStringLiteral("Nr"),
                               QStringLiteral("Nazwa"), QStringLiteral("Uwaga")});
    findings->header()->setStretchLastSection(true);
    findings->setColumnWidth(SeverityColumn, 90);
    findings->setColumnWidth(NumberColumn, 50);
    findings->setColumnWidth(NameColumn, 150);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(findings, 1);

    // Double-click and Enter both activate a row.
    connect(findings, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item)
            emit situationChosen(item->data(NumberColumn, Qt::UserRole).toInt());
    });
}

void CheckWindow::showReport(const CheckReport& report) {
    const int selected = findings->currentIndex().isValid() ? findings->currentIndex().row() : 0;
    findings->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(report.findings.size()));
    for (const Finding& finding : report.findings) {
        auto* item = new QTreeWidgetItem(QStringList{severityName(finding.severity),
                                                     QString::number(finding.situation),
                                                     finding.name, finding.message});
        item->setData(NumberColumn, Qt::UserRole, finding.situation);
        // An empty name (a finding of its own) is no silence to a screen reader.
        if (finding.name.isEmpty())
            item->setData(NameColumn, Qt::AccessibleTextRole, QStringLiteral("bez nazwy"));
        item->setToolTip(MessageColumn, finding.message);
        item->setForeground(SeverityColumn, finding.severity == Severity::Error
                                                ? QColor(0xb0, 0x00, 0x00)
                                                : QColor(0x90, 0x60, 0x00));
        items.append(item);
    }
    findings->addTopLevelItems(items);
    if (!items.isEmpty())
        findings->setCurrentItem(items[std::min<qsizetype>(selected, items.size() - 1)]);
    summary->setText((report.findings.empty()
                          ? QStringLiteral("Brak uwag: każda droga prowadzi do końca.\n")
                          : QString()) +
                     reportSummary(report).trimmed());
}
