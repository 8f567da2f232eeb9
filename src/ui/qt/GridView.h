#pragma once
// The job grid on screen: a table view over a GridModel. The grid's current
// cell is the one truth: a click or an arrow key moves it, and the view only
// mirrors it (no current cell while the grid's current row is the header).

#include <QTableView>

#include "ui/qt/GridModel.h"

namespace qm {

class GridView : public QTableView {
  Q_OBJECT

 public:
  explicit GridView(QWidget* parent = nullptr);

  // Shows `grid`; nullptr detaches the view from the grid it showed.
  void setGrid(Grid* grid);
  GridModel* gridModel() const { return model_; }

 signals:
  // Local files and folders dropped on the grid, at `globalPos`.
  void filesDropped(const QStringList& paths, const QPoint& globalPos);

 protected:
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ApplyWidths();
  void ShowGridCurrent();
  void SetGridCurrent(int gridRow, int column);

  GridModel* model_;
  bool settingGrid_ = false;
  bool userInput_ = false;  // true while a key or mouse event may move the current cell
};

}  // namespace qm
