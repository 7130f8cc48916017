#pragma once
// The situation names that the four target boxes share, decoded as the boxes ask for them.

#include "editor/model/ListRecords.h"

#include <QAbstractListModel>
#include <QStringList>

// Row k is the name of situation k as of the last rebuild of the lists. Before the first one it
// holds one empty row.
class NameListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit NameListModel(QObject* parent = nullptr);

    // Shows these situations' names in place of the old ones, in one reset.
    void setRows(const ListRecords& rows);
    // Every row's name, decoded.
    QStringList stringList() const { return rows_.names(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    ListRecords rows_;
};
