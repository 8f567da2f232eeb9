#include "ui/qt/GridModel.h"

#include <algorithm>

#include "ui/Layout.h"

namespace qm {
namespace {

// Grid alignment codes: 1..8 are left/centre/right by top/middle/bottom, in
// that order; 0 (never set) and 9 (general) show text left and centred.
Qt::Alignment Alignment(int code) {
  if (code < 1 || code > 8) return Qt::AlignLeft | Qt::AlignVCenter;
  static constexpr Qt::AlignmentFlag kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
  static constexpr Qt::AlignmentFlag kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
  return kHorizontal[code / 3] | kVertical[code % 3];
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::setGrid(Grid* grid) {
  beginResetModel();
  if (grid_) grid_->SetObserver(nullptr);
  grid_ = grid;
  rows_ = grid_ ? std::max(grid_->Rows() - 1, 0) : 0;
  widths_.clear();
  if (grid_) {
    grid_->SetObserver(this);
    for (int c = 0; c < grid_->Cols(); ++c) widths_.push_back(grid_->ColWidth(c));
  }
  endResetModel();
  emit columnWidthsChanged();
  emit gridCurrentChanged();
}

void GridModel::setBaseFont(const QFont& font) {
  font_ = font;
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {Qt::FontRole});
  if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void GridModel::setCellBrush(const QBrush& brush) {
  cellBrush_ = brush;
  if (rows_ > 0)
    emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {Qt::BackgroundRole});
}

int GridModel::columnWidth(int column) const {
  return grid_ ? TwipsToPixels(grid_->ColWidth(column)) : 0;
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !grid_ ? 0 : grid_->Cols();
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  // Cells are shown, never edited in place.
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QBrush GridModel::MarkBrush(RowMark mark) {
  const std::uint32_t bgr = MarkColor(mark);
  if (bgr == kDefaultColor) return {};
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QVariant GridModel::CellData(int gridRow, int column, int role) const {
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(grid_->TextMatrix(gridRow, column));
    case Qt::FontRole: {
      QFont font = font_;
      font.setBold(grid_->CellFontBold(gridRow, column));
      return font;
    }
    case Qt::TextAlignmentRole:
      return static_cast<int>(Alignment(grid_->ColAlignment(column)));
    default:
      return {};
  }
}

int GridModel::GridRow(int row) const {
  const int gridRow = row + 1;
  if (pending_.count == 0 || gridRow < pending_.first) return gridRow;
  if (pending_.count > 0) return gridRow + pending_.count;
  return gridRow < pending_.first - pending_.count ? -1 : gridRow + pending_.count;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!grid_ || !index.isValid() || index.row() >= rows_) return {};
  const int gridRow = GridRow(index.row());
  if (gridRow < 0) return {};
  if (role == Qt::BackgroundRole) {
    const RowMark mark = grid_->Mark(gridRow);
    if (index.column() == 0 && mark != RowMark::None) return MarkBrush(mark);
    return cellBrush_.style() == Qt::NoBrush ? QVariant() : QVariant(cellBrush_);
  }
  return CellData(gridRow, index.column(), role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (!grid_ || orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  return CellData(0, section, role);
}

void GridModel::GridRowsInserted(int first, int count) {
  const int added = std::min(count, grid_->Rows() - 1 - rows_);
  if (added > 0) {
    const int at = std::max(first - 1, 0);
    pending_ = {at + 1, added};
    beginInsertRows({}, at, at + added - 1);
    pending_ = {};
    rows_ += added;
    endInsertRows();
  }
  if (first == 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void GridModel::GridRowRemoved(int row) {
  if (rows_ > grid_->Rows() - 1 && rows_ > 0) {
    // Removing the header row moves grid row 1 up into the header.
    const int at = std::clamp(row - 1, 0, rows_ - 1);
    pending_ = {at + 1, -1};
    beginRemoveRows({}, at, at);
    pending_ = {};
    --rows_;
    endRemoveRows();
  }
  if (row == 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void GridModel::GridDataChanged() {
  const int cols = columnCount();
  if (cols == 0) return;
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols - 1));
  emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
  bool widthsMoved = false;
  for (int c = 0; c < cols; ++c) {
    if (widths_[c] != grid_->ColWidth(c)) {
      widths_[c] = grid_->ColWidth(c);
      widthsMoved = true;
    }
  }
  if (widthsMoved) emit columnWidthsChanged();
}

void GridModel::GridCurrentChanged() { emit gridCurrentChanged(); }

}  // namespace qm
