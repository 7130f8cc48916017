#include "SituationGrid.h"

SituationGrid::SituationGrid(QObject* parent) : QAbstractTableModel(parent), cells_(2) {}

QString SituationGrid::cell(int row, int column) const {
    if (row < 0 || row >= gridRowCount() || column < 0 || column > 2)
        return {};
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void SituationGrid::setGridRowCount(int rows) {
    const int old = gridRowCount();
    if (rows > old) {
        beginInsertRows({}, old - 1, rows - 2);
        cells_.resize(static_cast<std::size_t>(rows));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows - 1, old - 2);
        cells_.resize(static_cast<std::size_t>(rows));
        endRemoveRows();
    }
}

void SituationGrid::apply(const ScenarioList& list) {
    cells_[0] = {QStringLiteral("Nazwa sytuacji"), QStringLiteral("T"), QStringLiteral("S")};
    emit headerDataChanged(Qt::Horizontal, 0, 2);
    const int read = static_cast<int>(list.rows.size());
    if (read < 2)
        return;
    setGridRowCount(read);
    for (int i = 1; i < read; ++i) {
        const GridRow& row = list.rows[static_cast<std::size_t>(i)];
        auto& cells = cells_[static_cast<std::size_t>(i)];
        cells[0] = row.name;
        if (row.typeKnown) {
            cells[1] = row.letter;
            cells[2] = row.mark;
        }
    }
    emit dataChanged(index(0, 0), index(read - 2, 2));
}

int SituationGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : gridRowCount() - 1;
}

int SituationGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant SituationGrid::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.row() + 1, index.column());
}

QVariant SituationGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return cell(0, section);
}
