#include "jobs/Grid.h"

namespace qm {
namespace {
const std::string kEmpty;
}

Grid::Grid(int rows, int cols)
    : cols_(cols),
      cells_(static_cast<std::size_t>(rows), RowData{std::vector<Cell>(static_cast<std::size_t>(cols)), RowMark::None}),
      widths_(static_cast<std::size_t>(cols), kDefaultColWidth),
      alignments_(static_cast<std::size_t>(cols), 0) {}

bool Grid::InRange(int row, int col) const {
  return row >= 0 && row < Rows() && col >= 0 && col < cols_;
}

void Grid::NotifyData() {
  if (observer_) observer_->GridDataChanged();
}

const std::string& Grid::TextMatrix(int row, int col) const {
  return InRange(row, col) ? cells_[row].cells[col].text : kEmpty;
}

void Grid::SetTextMatrix(int row, int col, std::string text) {
  if (!InRange(row, col)) return;
  cells_[row].cells[col].text = std::move(text);
  NotifyData();
}

void Grid::SetRow(int row) {
  if (row < 0 || row >= Rows() || row == row_) return;
  row_ = row;
  if (observer_) observer_->GridCurrentChanged();
}

void Grid::SetCol(int col) {
  if (col < 0 || col >= cols_ || col == col_) return;
  col_ = col;
  if (observer_) observer_->GridCurrentChanged();
}

void Grid::AddItem(std::string_view text) {
  RowData row{std::vector<Cell>(static_cast<std::size_t>(cols_)), RowMark::None};
  if (cols_ > 0) row.cells[0].text = std::string(text);
  cells_.push_back(std::move(row));
  if (observer_) observer_->GridRowsInserted(Rows() - 1, 1);
}

void Grid::RemoveItem(int row) {
  if (row < 0 || row >= Rows()) return;
  cells_.erase(cells_.begin() + row);
  if (observer_) observer_->GridRowRemoved(row);
  if (row_ >= Rows() && row_ > 0) {
    row_ = Rows() - 1;
    if (observer_) observer_->GridCurrentChanged();
  }
}

void Grid::Clear() {
  for (auto& row : cells_) {
    for (auto& cell : row.cells) cell = Cell{};
    row.mark = RowMark::None;
  }
  NotifyData();
}

int Grid::ColWidth(int col) const {
  return col >= 0 && col < cols_ ? widths_[col] : 0;
}

void Grid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) return;
  widths_[col] = twips;
  NotifyData();
}

int Grid::ColAlignment(int col) const {
  return col >= 0 && col < cols_ ? alignments_[col] : 0;
}

void Grid::SetColAlignment(int col, int code) {
  if (col < 0 || col >= cols_) return;
  alignments_[col] = code;
  NotifyData();
}

void Grid::SetCellFontBold(bool bold) {
  if (!InRange(row_, col_)) return;
  cells_[row_].cells[col_].bold = bold;
  NotifyData();
}

bool Grid::CellFontBold(int row, int col) const {
  return InRange(row, col) && cells_[row].cells[col].bold;
}

RowMark Grid::Mark(int row) const {
  return row >= 0 && row < Rows() ? cells_[row].mark : RowMark::None;
}

void Grid::SetMark(int row, RowMark mark) {
  if (row < 0 || row >= Rows()) return;
  cells_[row].mark = mark;
  NotifyData();
}

void Grid::ClearMarks() {
  for (auto& row : cells_) row.mark = RowMark::None;
  NotifyData();
}

}  // namespace qm
