#pragma once
// The situation grid's cells: a header row and a row for each situation from 1 on.

#include "editor/model/ScenarioState.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <utility>

// Rows are numbered as the grid always numbered them: row 0 is the header, row i shows
// situation i. The view shows rows 1 and up; the header row is its horizontal header.
// Cells keep what was written into them until written again, so a rebuild that stops part
// way, or a row of an unknown type, leaves the rest as it was. A name is decoded only when a
// cell asks for it.
class SituationGrid : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit SituationGrid(QObject* parent = nullptr);

    // Rows of the grid, the header included (2 at start: the header and one empty row).
    int gridRowCount() const { return rowCount_; }
    QString cell(int row, int column) const;
    // Writes what a rebuild read: the header, then for each situation from 1 on its row,
    // the row count following the situations read (only when there was one from 1 on).
    void apply(const ScenarioList& list);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    bool headerWritten_ = false;
    int rowCount_ = 2;
    // The situations of the last rebuild applied; row i shows situation i.
    ListRecords rows_;
    // The letter and mark that rows of an unknown type kept from before.
    QHash<int, std::pair<QString, QString>> kept_;
};
