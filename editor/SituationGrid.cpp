#include "editor/SituationGrid.h"

#include "common/Records.h"

#include <algorithm>
#include <array>

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

SituationGrid::SituationGrid(QObject* parent) : QAbstractTableModel(parent) {}

QString SituationGrid::cell(int row, int column) const {
    if (row < 0 || row >= gridRowCount() || column < 0 || column > 2)
        return {};
    if (row == 0) {
        static const std::array<QString, 3> header = {QStringLiteral("Nazwa sytuacji"),
                                                      QStringLiteral("T"), QStringLiteral("S")};
        return headerWritten_ ? header[std::size_t(column)] : QString();
    }
    const auto k = static_cast<std::size_t>(row);
    const bool read = k < rows_.size();
    if (column == 0)
        return read ? rows_.name(k) : QString();
    if (read && rows_.type(k) < TypeLetters.size()) {
        if (column == 1)
            return TypeLetters[rows_.type(k)];
        return rows_.complete(k) ? QStringLiteral("X") : QString();
    }
    const auto kept = kept_.constFind(row);
    if (kept == kept_.cend())
        return {};
    return column == 1 ? kept->first : kept->second;
}

void SituationGrid::apply(const ScenarioList& list) {
    headerWritten_ = true;
    emit headerDataChanged(Qt::Horizontal, 0, 2);
    const int read = static_cast<int>(list.rows.size());
    if (read < 2)
        return;
    // A row of a type the grid does not know keeps the letter and mark it showed.
    QHash<int, std::pair<QString, QString>> kept;
    for (const std::int32_t k : list.rows.unknownTypes()) {
        std::pair<QString, QString> shown{cell(k, 1), cell(k, 2)};
        if (k >= 1 && !(shown.first.isEmpty() && shown.second.isEmpty()))
            kept.insert(k, std::move(shown));
    }
    const int old = gridRowCount();
    const auto replace = [&] {
        rowCount_ = read;
        rows_ = list.rows;
        kept_ = std::move(kept);
    };
    if (read > old) {
        beginInsertRows({}, old - 1, read - 2);
        replace();
        endInsertRows();
    } else if (read < old) {
        beginRemoveRows({}, read - 1, old - 2);
        replace();
        endRemoveRows();
    } else {
        replace();
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
