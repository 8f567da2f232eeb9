#include "ui/qt/GridView.h"

#include <QDropEvent>
#include <QEvent>
#include <QMimeData>
#include <QUrl>
#include <QHeaderView>
#include <QKeyEvent>

namespace qm {

GridView::GridView(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
  setModel(model_);
  verticalHeader()->hide();
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(true);
  // Single items: a header press then selects nothing and moves no current cell.
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);  // Tab leaves the grid for the next control
  setWordWrap(false);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setContextMenuPolicy(Qt::CustomContextMenu);

  // The area no cell covers shows the button face; cells keep the window colour.
  QPalette colours = palette();
  model_->setCellBrush(colours.brush(QPalette::Base));
  colours.setColor(QPalette::Base, colours.color(QPalette::Button));
  colours.setColor(QPalette::Mid, QColor(192, 192, 192));  // grid lines
  setPalette(colours);

  connect(model_, &GridModel::columnWidthsChanged, this, &GridView::ApplyWidths);
  connect(model_, &GridModel::gridCurrentChanged, this, &GridView::ShowGridCurrent);
  connect(model_, &QAbstractItemModel::rowsInserted, this, &GridView::ShowGridCurrent);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &GridView::ShowGridCurrent);
  connect(horizontalHeader(), &QHeaderView::sectionPressed, this,
          [this](int section) { SetGridCurrent(0, section); });
}

void GridView::setGrid(Grid* grid) {
  model_->setGrid(grid);
  model_->setBaseFont(font());
}

void GridView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    model_->setBaseFont(font());
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  }
}

void GridView::focusInEvent(QFocusEvent* event) {
  // Taking the focus must not pick a current cell: the grid's stays where it is.
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

// Only the user's keys and clicks move the grid's current cell; rows the
// model inserts or removes move the view's, which then follows the grid again.
void GridView::keyPressEvent(QKeyEvent* event) {
  userInput_ = true;
  QTableView::keyPressEvent(event);
  userInput_ = false;
}

void GridView::mousePressEvent(QMouseEvent* event) {
  userInput_ = true;
  QTableView::mousePressEvent(event);
  userInput_ = false;
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
  userInput_ = true;
  QTableView::mouseMoveEvent(event);
  userInput_ = false;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (!userInput_ || !current.isValid() || !model_->grid()) return;
  settingGrid_ = true;  // the view already shows this cell
  model_->grid()->SetRow(current.row() + 1);
  model_->grid()->SetCol(current.column());
  settingGrid_ = false;
}

namespace {

bool HasLocalFiles(const QMimeData* data) {
  if (!data || !data->hasUrls()) return false;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return true;
  return false;
}

}  // namespace

// Only local files are taken; rows are never dragged.
void GridView::dragEnterEvent(QDragEnterEvent* event) {
  if (HasLocalFiles(event->mimeData())) event->acceptProposedAction();
}

void GridView::dragMoveEvent(QDragMoveEvent* event) {
  if (HasLocalFiles(event->mimeData())) event->acceptProposedAction();
}

void GridView::dropEvent(QDropEvent* event) {
  if (!HasLocalFiles(event->mimeData())) return;
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  event->acceptProposedAction();
  emit filesDropped(paths, viewport()->mapToGlobal(event->position().toPoint()));
}

void GridView::ApplyWidths() {
  for (int c = 0; c < model_->columnCount(); ++c)
    horizontalHeader()->resizeSection(c, model_->columnWidth(c));
}

void GridView::SetGridCurrent(int gridRow, int column) {
  Grid* grid = model_->grid();
  if (!grid) return;
  settingGrid_ = true;  // one update of the view once both coordinates are set
  grid->SetRow(gridRow);
  grid->SetCol(column);
  settingGrid_ = false;
  ShowGridCurrent();
}

void GridView::ShowGridCurrent() {
  if (settingGrid_ || !selectionModel()) return;
  const Grid* grid = model_->grid();
  const QModelIndex index =
      grid && grid->Row() >= 1 ? model_->index(grid->Row() - 1, grid->Col()) : QModelIndex();
  if (!index.isValid()) {
    selectionModel()->clear();
    return;
  }
  if (index != currentIndex() || !selectionModel()->isSelected(index))
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

}  // namespace qm
