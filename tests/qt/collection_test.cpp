// A whole collection through the real main window: several files in one
// selection, drops on the table with the menu at the drop point, the table's
// own menu, and a failed job's output, over real batches of the fake tool.

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "QtTestSupport.h"
#include "ScriptedFileDialog.h"
#include "TempTree.h"
#include "app/qt/frmMain.h"
#include "dialogs/qt/frmSetCHS.h"
#include "ui/qt/GridView.h"

namespace qm {

namespace fs = std::filesystem;

class CollectionTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempTree> tree_;
  test::ScriptedFileDialog files_;
  frmMain* window_ = nullptr;
  GridView* grid_ = nullptr;

  std::vector<std::string> column(int col) {
    std::vector<std::string> cells;
    for (int n = 1; n <= window_->jobTable().JobCount(); ++n) cells.push_back(window_->jobTable().Job(n)[col]);
    return cells;
  }

  // One selection of these files, in this order.
  void select(const std::vector<fs::path>& paths) {
    test::ScriptedFileDialog::Paths list;
    for (const fs::path& p : paths) list.push_back(test::Utf8(p));
    files_.selections.push_back(list);
  }

  fs::path image(const fs::path& relative) {
    fs::create_directories((tree_->data() / relative).parent_path());
    test::WriteAll(tree_->data() / relative, "original");
    return tree_->data() / relative;
  }

  // Answers the next popup menu: the captions it offered go to `offered`;
  // the item `choice` is chosen, or Escape pressed when it is empty.
  void answerMenu(QStringList& offered, const QString& choice) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, &offered, choice] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !menu->isVisible()) return;
      timer->deleteLater();
      timer->stop();
      QVERIFY(menu->objectName() == "mnuTable");
      for (QAction* action : menu->actions())
        if (action->isEnabled()) offered << action->text();
      for (QAction* action : menu->actions())
        if (!choice.isEmpty() && action->text() == choice) menu->setActiveAction(action);
      QTest::keyClick(menu, choice.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
    });
    timer->start(5);
  }

  void drop(const std::vector<fs::path>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const fs::path& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p.string()));
    data->setUrls(urls);
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid_->viewport(), &enter);
    QApplication::sendEvent(grid_->viewport(), &event);
    delete data;
  }

  void contextMenuOn(int row) {
    const QRect cell = grid_->visualRect(grid_->model()->index(row - 1, 0));
    QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(), grid_->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid_->viewport(), &event);
  }

  // Presses "Avvia" and answers the batch's message box; returns its text.
  QString runBatch() {
    QString text;
    auto* watcher = new QTimer(this);
    connect(watcher, &QTimer::timeout, this, [&text] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        text = box->text();
        box->accept();
      }
    });
    watcher->start(5);
    QTest::mouseClick(window_->findChild<QPushButton*>("btnComprimi"), Qt::LeftButton);
    [&] { QTRY_VERIFY_WITH_TIMEOUT(!window_->runner().Running() && !text.isEmpty(), 60000); }();
    delete watcher;
    return text;
  }

 private slots:
  void init() {
    tree_ = std::make_unique<test::TempTree>();
    tree_->InstallTool(QM_FAKE_CHDMAN);
    qputenv("FAKE_CHDMAN_LOG", QByteArray::fromStdString(tree_->log().string()));
    qunsetenv("FAKE_CHDMAN_MODE");
    window_ = new frmMain;
    grid_ = window_->findChild<GridView*>("MainGrid");
    window_->controller().SetRunnerSettings(test::Isolated({tree_->program().string() + "/", "chdman", "automate.sh",
                                                            Interpreter::PosixShell, tree_->privateFolder().string() + "/"}));
    window_->controller().SetFileDialog(&files_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
  }

  void cleanup() {
    delete window_;
    tree_.reset();
  }

  void severalImagesInOneSelection() {
    const std::vector<fs::path> chosen = {image("c.chd"), image("a b.chd"), image("b.chd")};
    select(chosen);
    QTest::mouseClick(window_->findChild<QPushButton*>("btnAggiungi_0"), Qt::LeftButton);
    QCOMPARE(column(kColArgs), (std::vector<std::string>{"-update c.chd c.tmp", "-update 'a b.chd' 'a b.tmp'",
                                                         "-update b.chd b.tmp"}));
    QCOMPARE(grid_->model()->rowCount(), 3);

    int asked = 0;
    test::WhenModal<frmSetCHS>([&asked](frmSetCHS* dialog) {
      ++asked;
      const char* boxes[] = {"txtC", "txtH", "txtS"};
      for (const char* box : boxes) QTest::keyClicks(dialog->findChild<QLineEdit*>(box), "7");
      QTest::mouseClick(dialog->findChild<QPushButton*>("btnSetCHS"), Qt::LeftButton);
    });
    select(chosen);
    QTest::mouseClick(window_->findChild<QPushButton*>("btnAggiungi_2"), Qt::LeftButton);
    QCOMPARE(asked, 1);
    const std::vector<std::string> args = column(kColArgs);
    QCOMPARE(std::vector<std::string>(args.begin() + 3, args.end()),
             (std::vector<std::string>{"-setchs c.chd 7 7 7 ", "-setchs 'a b.chd' 7 7 7 ", "-setchs b.chd 7 7 7 "}));
  }

  void aDroppedFolderQueuesItsImagesInNameOrder() {
    image("raccolta/b/z.chd");
    image("raccolta/a.chd");
    image("raccolta/note.txt");
    QStringList offered;
    answerMenu(offered, "");  // Escape: nothing queued
    drop({tree_->data() / "raccolta"});
    QCOMPARE(offered, (QStringList{"Update", "Set CHS...", "Verifica", "Estrai"}));
    QCOMPARE(window_->jobTable().JobCount(), 0);

    offered.clear();
    answerMenu(offered, "Update");
    drop({tree_->data() / "raccolta"});
    QCOMPARE(column(kColImage), (std::vector<std::string>{"a.chd", "z.chd"}));
    QCOMPARE(grid_->model()->rowCount(), 2);
  }

  void anImageAndADiffDroppedMakeAMerge() {
    QStringList offered;
    answerMenu(offered, "Merge");
    drop({image("patch.diff"), image("disk.chd")});
    QVERIFY(offered.contains("Merge"));
    QCOMPARE(column(kColArgs), std::vector<std::string>{"-merge disk.chd patch.diff patch.tmp"});
  }

  // After a failure: the failed row's output on a double-click, the
  // succeeded jobs removed from the table's menu, and "Avvia" runs the rest.
  void aFailedJobIsShownAndRunAgain() {
    select({image("one.chd"), image("FAIL.chd")});
    QTest::mouseClick(window_->findChild<QPushButton*>("btnAggiungi_0"), Qt::LeftButton);
    QVERIFY(runBatch().contains("FAIL.chd"));

    const QRect failed = grid_->visualRect(grid_->model()->index(1, 0));
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, failed.center());
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, failed.center());
    auto* output = window_->findChild<QDialog*>("frmOutput");
    QVERIFY(output && output->isVisible());
    auto* text = output->findChild<QPlainTextEdit*>("txtOutput");
    QVERIFY(text->isReadOnly());
    QVERIFY2(text->toPlainText().contains("Error: something failed"), qPrintable(text->toPlainText()));
    output->close();

    QStringList offered;
    answerMenu(offered, "Rimuovi i lavori riusciti");
    contextMenuOn(2);
    QVERIFY(offered.contains("Mostra l'output del lavoro"));
    QCOMPARE(column(kColImage), std::vector<std::string>{"FAIL.chd"});

    runBatch();
    const auto calls = test::ReadFakeToolLog(tree_->log().string());
    QCOMPARE(calls.size(), size_t{3});
    QCOMPARE(calls[2].argv[2], std::string("FAIL.chd"));
  }
};

}  // namespace qm

QTEST_MAIN(qm::CollectionTest)
#include "collection_test.moc"
