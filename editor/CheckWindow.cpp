#include "CheckWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { SeverityColumn, NumberColumn, NameColumn, MessageColumn };

QString road(std::int32_t length) {
    return length < 0 ? QStringLiteral("brak") : QString::number(length);
}

} // namespace

QString reportSummary(const CheckReport& report) {
    const CheckStatistics& s = report.statistics;
    QString text = report.findings.empty()
                       ? QStringLiteral("Brak uwag: każda droga prowadzi do końca.")
                       : QStringLiteral("Błędy: %1, ostrzeżenia: %2.")
                             .arg(report.errors())
                             .arg(report.warnings());
    text += QStringLiteral("\nSytuacje: %1, osiągalne z sytuacji 1: %2, osiągalne końce: %3.")
                .arg(s.situations)
                .arg(s.reachable)
                .arg(s.endingsReachable);
    text += QStringLiteral("\nNajkrótsza droga do końca: %1, najdłuższa: %2%3.")
                .arg(road(s.shortestRoad), road(s.longestRoad),
                     s.longestRoadCut ? QStringLiteral(" (szukanie przerwane, może być dłuższa)")
                                      : QString());
    text += QStringLiteral("\nSłowa w opisach: %1, w wyborach: %2.")
                .arg(s.descriptionWords)
                .arg(s.choiceWords);
    return text;
}

CheckWindow::CheckWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("CheckWindow"));
    setWindowTitle(QStringLiteral("Sprawdzenie scenariusza"));
    resize(640, 360);

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setTextFormat(Qt::PlainText);
    summary->setAccessibleName(QStringLiteral("Podsumowanie sprawdzenia"));

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
        item->setForeground(SeverityColumn, finding.severity == Severity::Error
                                                ? QColor(0xb0, 0x00, 0x00)
                                                : QColor(0x90, 0x60, 0x00));
        items.append(item);
    }
    findings->addTopLevelItems(items);
    if (!items.isEmpty())
        findings->setCurrentItem(items[std::min<qsizetype>(selected, items.size() - 1)]);
    summary->setText(reportSummary(report));
}
