#pragma once
// The grid behind the job table: rows of text cells with one fixed header
// row, a current cell, column widths in twips, column alignment, one Boolean
// style flag per cell (shown bold) and an outcome mark per row. Front ends
// show it and report clicks; they learn of changes through GridObserver.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Outcome of a finished job, shown beside its row; None for rows not run.
enum class RowMark { None, Succeeded, Failed, Cancelled };

class GridObserver {
 public:
  virtual ~GridObserver() = default;
  virtual void GridRowsInserted(int first, int count) = 0;
  virtual void GridRowRemoved(int row) = 0;
  // Cell texts, style flags, marks, widths or alignment changed somewhere.
  virtual void GridDataChanged() = 0;
  virtual void GridCurrentChanged() = 0;
};

class Grid {
 public:
  static constexpr int kDefaultColWidth = 960;  // twips, for columns never set
  static constexpr int kAlignLeftCenter = 1;

  Grid(int rows, int cols);

  int Rows() const { return static_cast<int>(cells_.size()); }
  int Cols() const { return cols_; }

  // Out-of-range cells read as empty and ignore writes.
  const std::string& TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, std::string text);

  int Row() const { return row_; }
  int Col() const { return col_; }
  void SetRow(int row);
  void SetCol(int col);

  // Appends one row at the bottom; `text` goes into its first cell.
  void AddItem(std::string_view text);
  // Deletes one row; the rows below move up. Ignored out of range.
  void RemoveItem(int row);
  // Empties every cell (header included) and every flag; rows stay.
  void Clear();

  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);
  int ColAlignment(int col) const;
  void SetColAlignment(int col, int code);

  // The style flag of the current cell.
  bool CellFontBold() const { return CellFontBold(row_, col_); }
  void SetCellFontBold(bool bold);
  bool CellFontBold(int row, int col) const;

  RowMark Mark(int row) const;
  void SetMark(int row, RowMark mark);
  void ClearMarks();

  void SetObserver(GridObserver* observer) { observer_ = observer; }

 private:
  struct Cell {
    std::string text;
    bool bold = false;
  };
  struct RowData {
    std::vector<Cell> cells;
    RowMark mark = RowMark::None;
  };
  bool InRange(int row, int col) const;
  void NotifyData();

  int cols_;
  std::vector<RowData> cells_;
  std::vector<int> widths_;
  std::vector<int> alignments_;
  int row_ = 0;
  int col_ = 0;
  GridObserver* observer_ = nullptr;
};

}  // namespace qm
