#pragma once
// The situation grid's cells: a header row and a row for each situation from 1 on.

#include "editor/model/ScenarioState.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

// Rows are numbered as the grid always numbered them: row 0 is the header, row i shows
// situation i. The view shows rows 1 and up; the header row is its horizontal header.
// Cells keep what was written into them until written again, so a rebuild that stops part
// way, or a row of an unknown type, leaves the rest as it was.
class SituationGrid : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit SituationGrid(QObject* parent = nullptr);

    // Rows of the grid, the header included (2 at start: the header and one empty row).
    int gridRowCount() const { return static_cast<int>(cells_.size()); }
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
    void setGridRowCount(int rows);

    std::vector<std::array<QString, 3>> cells_;
};
