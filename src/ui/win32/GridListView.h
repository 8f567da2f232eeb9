#pragma once
// The job grid on screen: a virtual report list view over a qm::Grid. Grid
// row 0 is the list view's column header, grid rows 1.. are its items; cell
// texts are read from the grid when drawn. The grid's current cell is the one
// truth: a click on a cell or a header section, or an arrow key, moves it,
// and the view only mirrors it (no selection while the header row is current).
// Bold cells are drawn bold (the header in a bold font), a row's outcome mark
// colours its first cell.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "jobs/Grid.h"
#include "ui/win32/Owned.h"

namespace qm {

class GridListView : public GridObserver {
 public:
  // `listView` is a report list view with LVS_OWNERDATA; `dpi` scales the
  // grid's twips.
  GridListView(HWND listView, int dpi);
  ~GridListView() override;
  GridListView(const GridListView&) = delete;
  GridListView& operator=(const GridListView&) = delete;

  // Shows `grid` and observes it; nullptr detaches the view. The grid must
  // stay alive while it is shown.
  void SetGrid(Grid* grid);

  // A WM_NOTIFY from the list view or its header; true when it was handled,
  // with the answer in *result.
  bool OnNotify(const NMHDR& header, LRESULT* result);

  // A right click (at a screen point) and a double click on grid row `row`;
  // row 0 when no job row was hit.
  std::function<void(int row, POINT screen)> onContextMenu;
  std::function<void(int row)> onDoubleClick;


 private:
  void GridRowsInserted(int first, int count) override;
  void GridRowRemoved(int row) override;
  void GridDataChanged() override;
  void GridCurrentChanged() override;

  void SyncColumns();
  void SyncRows();
  void ShowGridCurrent();
  void SetGridCurrent(int row, int col);
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
  int RowAt(POINT client) const;
  HFONT BoldFont();

  HWND list_;
  int dpi_;
  Grid* grid_ = nullptr;
  int rows_ = 0;                        // items as last told to the list view
  std::vector<std::string> headers_;    // header texts as last shown (ANSI)
  std::vector<int> widths_;             // column widths as last shown (pixels)
  bool headerBold_ = false;
  bool mirroring_ = false;              // true while the view follows the grid
  std::string text_;                    // buffer of the last cell text handed out
  OwnedFont boldFont_;
};

}  // namespace qm
