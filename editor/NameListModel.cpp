#include "editor/NameListModel.h"

NameListModel::NameListModel(QObject* parent) : QAbstractListModel(parent), rows_{GridRow{}} {}

void NameListModel::setRows(const ListRecords& rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return rows_.name(static_cast<std::size_t>(index.row()));
}
