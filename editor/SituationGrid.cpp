#include "editor/SituationGrid.h"

#include "common/Records.h"

#include <algorithm>

namespace {

// What a screen reader says of a cell: the type's name for its letter, the mark in words.
QString spokenCell(int column, const QString& text) {
    switch (column) {
    case 0:
        return text.isEmpty() ? QStringLiteral("bez nazwy") : text;
    case 1: {
        const auto letter = std::find(TypeLetters.begin(), TypeLetters.end(), text);
        return letter == TypeLetters.end()
                   ? QStringLiteral("typ nieznany")
                   : QStringLiteral("typ ") + TypeNames[std::size_t(letter - TypeLetters.begin())];
    }
    default:
        return text.isEmpty() ? QStringLiteral("nie wszystkie drogi ustawione")
                              : QStringLiteral("wszystkie drogi ustawione");
    }
}

} // namespace

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
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell(index.row() + 1, index.column());
    if (role == Qt::AccessibleTextRole)
        return spokenCell(index.column(), cell(index.row() + 1, index.column()));
    return {};
}

QVariant SituationGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 2)
        return {};
    if (role == Qt::DisplayRole)
        return cell(0, section);
    // The one-letter headers in words, also before the first rebuild has written them.
    if (role == Qt::AccessibleTextRole) {
        static const std::array<QString, 3> spoken = {
            QStringLiteral("Nazwa sytuacji"), QStringLiteral("Typ"), QStringLiteral("Drogi")};
        return spoken[std::size_t(section)];
    }
    if (role == Qt::AccessibleDescriptionRole && section == 2)
        return QStringLiteral("X: każdy wybór prowadzi gdzie indziej niż do Default Koniec");
    return {};
}
