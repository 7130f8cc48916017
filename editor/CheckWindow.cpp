#include "editor/CheckWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { SeverityColumn, NumberColumn, NameColumn, MessageColumn };

// A tree view asks its delegate for a row's height without the cell's width, so that wrapped
// text would measure as one line: this delegate measures it within its column.
class WrappingDelegate : public QStyledItemDelegate {
public:
    explicit WrappingDelegate(QTreeView* view) : QStyledItemDelegate(view), view_(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem within = option;
        within.rect = QRect(0, 0, view_->columnWidth(index.column()), 1);
        return QStyledItemDelegate::sizeHint(within, index);
    }

private:
    QTreeView* view_;
};

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
    // A long finding wraps within its column, its row as high as its lines, never cut short.
    findings->setUniformRowHeights(false);
    findings->setWordWrap(true);
    findings->setTextElideMode(Qt::ElideNone);
    findings->setItemDelegate(new WrappingDelegate(findings));
    findings->setAllColumnsShowFocus(true);
    findings->setSelectionMode(QAbstractItemView::SingleSelection);
    findings->setHeaderLabels({QStringLiteral("Waga"), QStringLiteral("Nr"),
                               QStringLiteral("Nazwa"), QStringLiteral("Uwaga")});
    findings->header()->setStretchLastSection(true);
    findings->setColumnWidth(SeverityColumn, 90);
    findings->setColumnWidth(NumberColumn, 50);
    findings->setColumnWidth(NameColumn, 150);
    // A column of another width wraps its texts anew, once the header has stored the widths
    // (it tells of a stretched section before it does) and once for many changes in a row.
    auto* relayout = new QTimer(this);
    relayout->setSingleShot(true);
    relayout->setInterval(0);
    connect(relayout, &QTimer::timeout, findings, &QTreeWidget::doItemsLayout);
    connect(findings->header(), &QHeaderView::sectionResized, relayout,
            qOverload<>(&QTimer::start));

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
