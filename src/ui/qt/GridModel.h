#pragma once
// A qm::Grid as a Qt table model. Grid row 0 is the horizontal header; grid
// rows 1.. are model rows 0... The model follows the grid through
// GridObserver, keeping its own row count so that every structural change is
// announced before Qt sees it.

#include <QAbstractTableModel>
#include <QBrush>
#include <QFont>
#include <vector>

#include "jobs/Grid.h"

namespace qm {

class GridModel : public QAbstractTableModel, public GridObserver {
  Q_OBJECT

 public:
  explicit GridModel(QObject* parent = nullptr);

  // Shows `grid` (nullptr: nothing) and becomes its observer. The model never
  // touches a grid after it has been unset, so unset it before the grid dies.
  void setGrid(Grid* grid);
  Grid* grid() const { return grid_; }

  // The font of plain cells; bold cells and header sections use it in bold.
  void setBaseFont(const QFont& font);
  // The background of cells without a row mark.
  void setCellBrush(const QBrush& brush);

  // Column widths in pixels, from the grid's twips.
  int columnWidth(int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The background that marks a row's outcome in column 0; none for RowMark::None.
  static QBrush MarkBrush(RowMark mark);

 signals:
  // The grid's current cell moved.
  void gridCurrentChanged();
  // A column width of the grid changed.
  void columnWidthsChanged();

 private:
  void GridRowsInserted(int first, int count) override;
  void GridRowRemoved(int row) override;
  void GridDataChanged() override;
  void GridCurrentChanged() override;

  QVariant CellData(int gridRow, int column, int role) const;
  // The grid row now holding model row `row` as Qt numbers it; -1 for a
  // removed row. Differs from row + 1 only while a change is being announced.
  int GridRow(int row) const;

  // The grid changes before it tells the model, so while the model announces
  // a change Qt still sees the old rows: `count` rows inserted (> 0) or
  // removed (< 0) at grid row `first`.
  struct Pending {
    int first = 0;
    int count = 0;
  };

  Grid* grid_ = nullptr;
  int rows_ = 0;  // model rows as last announced to Qt
  Pending pending_;
  std::vector<int> widths_;
  QFont font_;
  QBrush cellBrush_;
};

}  // namespace qm
