// The main window's wiring for jobs: clicks on its buttons and grid reach the
// controller (a scripted file dialog, the real geometry dialog), and the grid
// it changes reaches the view. The rules themselves are the core's tests.

#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
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
  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }

  // The view shows exactly the grid: rows, texts and the current cell.
  void verifyViewMatchesGrid() {
    const Grid& grid = window_->jobTable().grid();
    auto* view = window_->findChild<GridView*>("MainGrid");
    QAbstractItemModel* model = view->model();
    QCOMPARE(model->rowCount(), grid.Rows() - 1);
    for (int r = 1; r < grid.Rows(); ++r)
      for (int c = 0; c < grid.Cols(); ++c)
        QCOMPARE(model->index(r - 1, c).data().toString(), QString::fromStdString(grid.TextMatrix(r, c)));
    const QModelIndex current = grid.Row() >= 1 ? model->index(grid.Row() - 1, grid.Col()) : QModelIndex();
    QCOMPARE(view->currentIndex(), current);
  }

  frmMain* window_ = nullptr;

 private slots:
  void init() {
    window_ = new frmMain;
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
  }
  void cleanup() { delete window_; }

  // Each add button asks through the window's dialogs with the tool bar off;
  // a click on a grid row and Rimuovi take that job off.
  void addAndRemoveByClicks() {
    auto* toolbar = window_->findChild<QFrame*>("fraToolbar");
    test::ScriptedFileDialog files({"/img/a.chd", "/a/disk.chd", "", "/img/b.chd"}, [toolbar] { return toolbar->isEnabled(); });
    window_->controller().SetFileDialog(&files);
    QTest::mouseClick(button("btnAggiungi_0"), Qt::LeftButton);
    QTest::mouseClick(button("btnAggiungi_1"), Qt::LeftButton);  // the diff selection is cancelled
    test::WhenModal<frmSetCHS>([](frmSetCHS* dialog) {
      const char* boxes[] = {"txtC", "txtH", "txtS"};
      const char* values[] = {"1024", "16", "63"};
      for (int i = 0; i < 3; ++i) QTest::keyClicks(dialog->findChild<QLineEdit*>(boxes[i]), values[i]);
      QTest::mouseClick(dialog->findChild<QPushButton*>("btnSetCHS"), Qt::LeftButton);
    });
    QTest::mouseClick(button("btnAggiungi_2"), Qt::LeftButton);

    QCOMPARE(files.titles, (std::vector<std::string>{"Seleziona file CHD...", "Seleziona file CHD...",
                                                     "Seleziona file Diff...", "Seleziona file CHD..."}));
    QCOMPARE(files.toolbarEnabled, std::vector<bool>(4, false));
    QVERIFY(toolbar->isEnabled());
    QCOMPARE(window_->jobTable().JobCount(), 2);
    QCOMPARE(QString::fromStdString(window_->jobTable().Job(2)[kColArgs]), QStringLiteral("-setchs b.chd 1024 16 63 "));
    verifyViewMatchesGrid();

    auto* grid = window_->findChild<GridView*>("MainGrid");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
    QCOMPARE(window_->jobTable().grid().Row(), 2);
    QTest::mouseClick(button("btnRimuovi"), Qt::LeftButton);
    QCOMPARE(window_->jobTable().JobCount(), 1);
    QCOMPARE(QString::fromStdString(window_->jobTable().Job(1)[kColImage]), QStringLiteral("a.chd"));
    verifyViewMatchesGrid();
    window_->controller().SetFileDialog(nullptr);
  }

  void messageBox_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("shown");
    QTest::newRow("information") << int(MessageIcon::Information) << int(QMessageBox::Information);
    QTest::newRow("warning") << int(MessageIcon::Warning) << int(QMessageBox::Warning);
    QTest::newRow("stop") << int(MessageIcon::Stop) << int(QMessageBox::Critical);
  }

  // A message is a modal box with the window's caption, the text and OK only.
  void messageBox() {
    QFETCH(int, icon);
    QFETCH(int, shown);
    QStringList seen;
    test::WhenModal<QMessageBox>([&](QMessageBox* box) {
      seen << box->windowTitle() << box->text();
      QCOMPARE(int(box->icon()), shown);
      QCOMPARE(box->standardButtons(), QMessageBox::Ok);
      box->accept();
    });
    window_->ShowMessage("Città & 100%", static_cast<MessageIcon>(icon));
    QCOMPARE(seen, (QStringList{"Quillmere", "Città & 100%"}));
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
