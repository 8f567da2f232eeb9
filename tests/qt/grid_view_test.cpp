// The job grid on screen: header, widths and alignment after the table's
// set-up, row marks, and the current cell kept the same in grid and view.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTest>

#include "jobs/JobTable.h"
#include "ui/qt/GridView.h"

namespace qm {
namespace {

JobCells Job(const char* name) {
  JobCells cells;
  cells[kColImage] = name;
  cells[kColAction] = "Update";
  return cells;
}

}  // namespace

class GridViewTest : public QObject {
  Q_OBJECT

 private:
  JobTable* table_ = nullptr;
  GridView* view_ = nullptr;
  QAbstractItemModelTester* tester_ = nullptr;

  QModelIndex current() const {
    const Grid& grid = table_->grid();
    return grid.Row() >= 1 ? view_->model()->index(grid.Row() - 1, grid.Col()) : QModelIndex();
  }

 private slots:
  void init() {
    table_ = new JobTable;
    view_ = new GridView;
    view_->resize(481, 217);
    view_->setGrid(&table_->grid());
    tester_ = new QAbstractItemModelTester(view_->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    table_->SetUp();
    for (const char* name : {"a.chd", "b.chd", "c.chd"}) table_->Append(Job(name));
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_));
  }
  void cleanup() {
    delete tester_;
    view_->setGrid(nullptr);
    delete view_;
    delete table_;
  }

  void columns_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("width");  // pixels
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("bold");
    QTest::newRow("image") << 0 << 100 << "Immagine" << true;
    QTest::newRow("short folder") << 1 << 277 << "Percorso" << true;  // 4150 twips, rounded
    QTest::newRow("action") << 2 << 100 << "Azione" << true;
    QTest::newRow("temporary name") << 3 << 64 << "" << true;
    QTest::newRow("folder") << 4 << 64 << "" << false;
    QTest::newRow("diff name") << 5 << 64 << "" << false;
    QTest::newRow("arguments") << 6 << 64 << "" << false;
  }

  void columns() {
    QFETCH(int, column);
    QFETCH(int, width);
    QFETCH(QString, header);
    QFETCH(bool, bold);
    QAbstractItemModel* model = view_->model();
    QCOMPARE(view_->columnWidth(column), width);
    QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), header);
    QCOMPARE(model->headerData(column, Qt::Horizontal, Qt::FontRole).value<QFont>().bold(), bold);
    QVERIFY(!model->index(0, column).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(Qt::Alignment(model->index(0, column).data(Qt::TextAlignmentRole).toInt()),
             Qt::AlignLeft | Qt::AlignVCenter);
    // Columns 3..6 begin at or beyond the right edge of the first three.
    if (column >= 3) QVERIFY(view_->columnViewportPosition(column) >= 476);
  }

  // A width set after the set-up reaches the view.
  void widthChangeFollowed() {
    table_->grid().SetColWidth(4, 1500);
    QCOMPARE(view_->columnWidth(4), 100);
  }

  void marks_data() {
    QTest::addColumn<int>("mark");
    QTest::addColumn<QString>("hue");  // the colour's dominant channel, "grey" or "none"
    QTest::newRow("not run") << int(RowMark::None) << "none";
    QTest::newRow("succeeded") << int(RowMark::Succeeded) << "green";
    QTest::newRow("failed") << int(RowMark::Failed) << "red";
    QTest::newRow("cancelled") << int(RowMark::Cancelled) << "grey";
  }

  // A mark colours column 0 of its row only; the texts stay as they were.
  void marks() {
    QFETCH(int, mark);
    QFETCH(QString, hue);
    QAbstractItemModel* model = view_->model();
    const QVariant plain = model->index(1, 1).data(Qt::BackgroundRole);
    table_->grid().SetMark(2, static_cast<RowMark>(mark));

    const QVariant marked = model->index(1, 0).data(Qt::BackgroundRole);
    QString seen = "none";
    if (marked != plain) {
      const QColor c = marked.value<QBrush>().color();
      if (c.red() == c.green() && c.green() == c.blue()) seen = "grey";
      else if (c.green() > c.red() && c.green() > c.blue()) seen = "green";
      else if (c.red() > c.green() && c.red() > c.blue()) seen = "red";
      else seen = c.name();
    }
    QCOMPARE(seen, hue);
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("b.chd"));
    for (int c = 1; c < 7; ++c) QCOMPARE(model->index(1, c).data(Qt::BackgroundRole), plain);
    QCOMPARE(model->index(0, 0).data(Qt::BackgroundRole), plain);
    table_->grid().ClearMarks();
    QCOMPARE(model->index(1, 0).data(Qt::BackgroundRole), plain);
  }

  // The current cell stays one in grid and view: moved by the program, by
  // keys, by a click on the header (no row current), and by a removal.
  void currentCellInStep() {
    table_->grid().SetRow(2);
    table_->grid().SetCol(1);
    QCOMPARE(view_->currentIndex(), current());
    QCOMPARE(view_->selectionModel()->selectedIndexes().size(), 1);
    QTest::keyClick(view_, Qt::Key_Down);
    QTest::keyClick(view_, Qt::Key_Right);
    QCOMPARE(QPoint(table_->grid().Row(), table_->grid().Col()), QPoint(3, 2));
    QCOMPARE(view_->currentIndex(), current());
    QHeaderView* header = view_->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 4, 4));
    QCOMPARE(QPoint(table_->grid().Row(), table_->grid().Col()), QPoint(0, 1));
    QCOMPARE(view_->currentIndex(), QModelIndex());
    table_->grid().SetRow(2);
    table_->grid().SetCol(0);
    table_->Remove();
    QCOMPARE(view_->currentIndex(), current());
    QCOMPARE(view_->currentIndex().data().toString(), QStringLiteral("c.chd"));
  }
};

}  // namespace qm

QTEST_MAIN(qm::GridViewTest)
#include "grid_view_test.moc"
