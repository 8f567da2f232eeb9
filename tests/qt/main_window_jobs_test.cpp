// Adding and removing jobs through the real main window: clicks on its
// buttons and grid, a scripted file dialog, and the real geometry dialog.

#include <QAbstractItemModelTester>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "QtTestSupport.h"
#include "app/qt/frmMain.h"
#include "dialogs/qt/frmSetCHS.h"
#include "ui/qt/GridView.h"
#include "ui/qt/QtFileOpenDialog.h"

namespace qm {

class MainWindowJobsTest : public QObject {
  Q_OBJECT

 private:
  frmMain* window_ = nullptr;
  GridView* grid_ = nullptr;
  QAbstractItemModelTester* tester_ = nullptr;

  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
  QWidget* toolbar() { return window_->findChild<QFrame*>("fraToolbar"); }

  // Answers the next geometry dialog: "close" closes it, else the blank-separated
  // fields are typed into txtC, txtH, txtS and Conferma is clicked.
  static void AnswerGeometry(const QString& answer) {
    test::WhenModal<frmSetCHS>([answer](frmSetCHS* dialog) {
      if (answer == QLatin1String("close")) {
        dialog->close();
        return;
      }
      const QStringList fields = answer.split(QLatin1Char(' '));
      const char* boxes[] = {"txtC", "txtH", "txtS"};
      for (int i = 0; i < 3; ++i) QTest::keyClicks(dialog->findChild<QLineEdit*>(boxes[i]), fields.value(i));
      QTest::mouseClick(dialog->findChild<QPushButton*>("btnSetCHS"), Qt::LeftButton);
    });
  }

  void addUpdate(test::ScriptedFileDialog& files, const QString& path) {
    files.push(path);
    QTest::mouseClick(button("btnAggiungi_0"), Qt::LeftButton);
  }

  // A click on grid cell (row, col); row 0 is the header.
  void clickCell(int row, int col) {
    if (row == 0) {
      QHeaderView* header = grid_->horizontalHeader();
      const QPoint at(header->sectionViewportPosition(col) + 4, header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
      return;
    }
    const QRect cell = grid_->visualRect(grid_->model()->index(row - 1, col));
    QVERIFY(cell.isValid());
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, cell.center());
  }

  // The view shows exactly the grid: rows, texts and the current cell.
  void verifyViewMatchesGrid() {
    const Grid& grid = window_->jobTable().grid();
    QAbstractItemModel* model = grid_->model();
    QCOMPARE(model->rowCount(), grid.Rows() - 1);
    for (int c = 0; c < grid.Cols(); ++c) {
      QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), QString::fromStdString(grid.TextMatrix(0, c)));
      for (int r = 1; r < grid.Rows(); ++r)
        QCOMPARE(model->index(r - 1, c).data().toString(), QString::fromStdString(grid.TextMatrix(r, c)));
    }
    const QModelIndex current = grid.Row() >= 1 ? model->index(grid.Row() - 1, grid.Col()) : QModelIndex();
    QCOMPARE(grid_->currentIndex(), current);
  }

 private slots:
  void init() {
    window_ = new frmMain;
    grid_ = window_->findChild<GridView*>("MainGrid");
    tester_ = new QAbstractItemModelTester(grid_->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
  }
  void cleanup() {
    delete tester_;
    delete window_;
  }

  void addOneJob_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("files");      // "" cancels that selection
    QTest::addColumn<QString>("geometry");       // answer to the geometry dialog, "" when none opens
    QTest::addColumn<QStringList>("titles");     // the selections asked for
    QTest::addColumn<QStringList>("cells");      // row 1 afterwards; empty: table unchanged

    const QString chd = "Seleziona file CHD...";
    const QString diff = "Seleziona file Diff...";
    QTest::newRow("update") << 0 << QStringList{"/img/disk.chd"} << "" << QStringList{chd}
                            << QStringList{"disk.chd", "/img", "Update", "disk.tmp", "/img", "", "-update disk.chd disk.tmp"};
    QTest::newRow("merge from two folders")
        << 1 << QStringList{"/a/disk.chd", "/b/patch.diff"} << "" << QStringList{chd, diff}
        << QStringList{"disk.chd", "/b", "Merge", "patch.tmp", "/b", "patch.diff", "-merge /a/disk.chd patch.diff patch.tmp"};
    QTest::newRow("set chs typed") << 2 << QStringList{"/img/disk.chd"} << "1024 16 63" << QStringList{chd}
                                   << QStringList{"disk.chd", "/img", "SetCHS", "", "/img", "", "-setchs disk.chd 1024 16 63 "};
    QTest::newRow("set chs dialog closed, never confirmed")
        << 2 << QStringList{"/img/disk.chd"} << "close" << QStringList{chd}
        << QStringList{"disk.chd", "/img", "SetCHS", "", "/img", "", "-setchs disk.chd "};
    QTest::newRow("merge, cancel second") << 1 << QStringList{"/a/disk.chd", ""} << "" << QStringList{chd, diff}
                                          << QStringList{};
  }

  void addOneJob() {
    QFETCH(int, button);
    QFETCH(QStringList, files);
    QFETCH(QString, geometry);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, cells);

    test::ScriptedFileDialog dialog(files, toolbar());
    window_->controller().SetFileDialog(&dialog);
    if (!geometry.isEmpty()) AnswerGeometry(geometry);
    QTest::mouseClick(this->button(qPrintable(QStringLiteral("btnAggiungi_%1").arg(button))), Qt::LeftButton);

    QCOMPARE(dialog.titles, titles);
    // The tool bar is disabled during every selection and enabled again after.
    QCOMPARE(dialog.toolbarEnabled, std::vector<bool>(titles.size(), false));
    QVERIFY(toolbar()->isEnabled());

    const JobTable& table = window_->jobTable();
    QCOMPARE(table.grid().Rows(), 2);
    QCOMPARE(table.JobCount(), cells.isEmpty() ? 0 : 1);
    const QStringList expected = cells.isEmpty() ? QStringList(kJobColumns, QString()) : cells;
    for (int c = 0; c < kJobColumns; ++c)
      QCOMPARE(QString::fromStdString(table.grid().TextMatrix(1, c)), expected[c]);
    verifyViewMatchesGrid();
    window_->controller().SetFileDialog(nullptr);
  }

  // A geometry dialog closed without confirming keeps the last confirmed geometry.
  void geometryKeptWhenDialogClosed() {
    test::ScriptedFileDialog dialog({"/img/a.chd", "/img/b.chd"});
    window_->controller().SetFileDialog(&dialog);
    AnswerGeometry("1024 16 63");
    QTest::mouseClick(button("btnAggiungi_2"), Qt::LeftButton);
    AnswerGeometry("close");
    QTest::mouseClick(button("btnAggiungi_2"), Qt::LeftButton);
    const JobTable& table = window_->jobTable();
    QCOMPARE(table.JobCount(), 2);
    QCOMPARE(QString::fromStdString(table.Job(2)[kColArgs]), QStringLiteral("-setchs b.chd 1024 16 63 "));
  }

  void removeSequence_data() {
    QTest::addColumn<QStringList>("steps");  // "add NAME", "click ROW", "header COL", "remove"
    QTest::addColumn<int>("jobCount");
    QTest::addColumn<QStringList>("column0");  // every grid row, header included
    QTest::addColumn<QPoint>("current");      // (row, col) of the grid's current cell

    const QStringList three{"add a", "add b", "add c"};
    QTest::newRow("row 2 of 3") << three + QStringList{"click 2", "remove"} << 2
                                << QStringList{"Immagine", "a.chd", "c.chd"} << QPoint(2, 0);
    QTest::newRow("row 1 of 3 clears") << three + QStringList{"click 1", "remove"} << 0
                                       << QStringList{"Immagine", "", "", ""} << QPoint(0, 3);
    QTest::newRow("blank row below the jobs") << three + QStringList{"click 1", "remove", "add d", "click 3", "remove"}
                                              << 1 << QStringList{"Immagine", "d.chd", "", ""} << QPoint(3, 0);
    QTest::newRow("header clicked") << three + QStringList{"click 2", "header 1", "remove"} << 3
                                    << QStringList{"Immagine", "a.chd", "b.chd", "c.chd"} << QPoint(0, 1);
  }

  void removeSequence() {
    QFETCH(QStringList, steps);
    QFETCH(int, jobCount);
    QFETCH(QStringList, column0);
    QFETCH(QPoint, current);

    test::ScriptedFileDialog dialog({});
    window_->controller().SetFileDialog(&dialog);
    for (const QString& step : steps) {
      const QString verb = step.section(QLatin1Char(' '), 0, 0);
      const QString arg = step.section(QLatin1Char(' '), 1);
      if (verb == QLatin1String("add")) addUpdate(dialog, QStringLiteral("/jobs/%1.chd").arg(arg));
      else if (verb == QLatin1String("click")) clickCell(arg.toInt(), 0);
      else if (verb == QLatin1String("header")) clickCell(0, arg.toInt());
      else QTest::mouseClick(button("btnRimuovi"), Qt::LeftButton);
      if (QTest::currentTestFailed()) return;
    }

    const JobTable& table = window_->jobTable();
    QCOMPARE(table.JobCount(), jobCount);
    QStringList texts;
    for (int r = 0; r < table.grid().Rows(); ++r) texts << QString::fromStdString(table.grid().TextMatrix(r, 0));
    QCOMPARE(texts, column0);
    QCOMPARE(QPoint(table.grid().Row(), table.grid().Col()), current);
    verifyViewMatchesGrid();
  }

  void qtFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("chd") << "Compressed Hunk of Data (*.chd)|*.chd" << "Compressed Hunk of Data (*.chd)";
    QTest::newRow("description without pattern") << "Immagini|*.chd" << "Immagini (*.chd)";
    QTest::newRow("other parentheses") << "Immagini (vecchie)|*.img" << "Immagini (vecchie) (*.img)";
    QTest::newRow("two patterns") << "Tutti|*.chd;*.diff" << "Tutti (*.chd *.diff)";
    QTest::newRow("two types") << "CHD (*.chd)|*.chd|Diff (*.diff)|*.diff" << "CHD (*.chd);;Diff (*.diff)";
  }

  void qtFilter() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtFileOpenDialog::QtFilter(filter.toStdString()), qt);
  }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowJobsTest)
#include "main_window_jobs_test.moc"
