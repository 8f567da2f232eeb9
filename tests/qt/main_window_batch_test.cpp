// The batch through the real main window: clicks on "Avvia" and "Annulla",
// the About dialog open during a batch, closing during one; the fake tool
// installed as chdman, real /bin/sh and batch file.

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "QtTestSupport.h"
#include "TempTree.h"
#include "app/qt/frmMain.h"
#include "dialogs/qt/frmInfo.h"
#include "platform/processes.h"

namespace qm {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

class MainWindowBatchTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempTree> tree_;
  std::unique_ptr<test::ScriptedFileDialog> files_;
  frmMain* window_ = nullptr;
  QStringList messages_;
  QList<QMessageBox::Icon> icons_;

  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
  QProgressBar* bar(const char* name) { return window_->findChild<QProgressBar*>(name); }
  std::vector<test::FakeToolCall> calls() const { return test::ReadFakeToolLog(tree_->log().string()); }

  fs::path image(const std::string& name) {
    WriteAll(tree_->data() / name, "original:" + name);
    return tree_->data() / name;
  }

  void queueUpdate(const fs::path& chd) {
    files_->push(chd.string());
    QTest::mouseClick(button("btnAggiungi_0"), Qt::LeftButton);
  }

  // Presses "Avvia" and answers every message box of the batch with OK.
  void runBatch() {
    auto* watcher = new QTimer(this);
    connect(watcher, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages_ << box->text();
        icons_ << box->icon();
        box->accept();
      }
    });
    watcher->start(5);
    QTest::mouseClick(button("btnComprimi"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->runner().Running(), 60000);
    delete watcher;
  }

  void verifyIdle() {
    for (const char* name : {"btnAggiungi_0", "btnAggiungi_1", "btnAggiungi_2", "btnRimuovi", "btnComprimi",
                             "btnAnnulla", "btnInfo"})
      QVERIFY2(button(name)->isEnabled(), name);
    QCOMPARE(bar("pbCurrent")->value(), 0);
    QCOMPARE(bar("pbTotal")->value(), 0);
    QCOMPARE(window_->findChild<QLabel*>("lblOperazione")->text(), QString());
    for (const test::FakeToolCall& call : calls()) QVERIFY(!ProcessRunning(call.pid));
  }

 private slots:
  void init() {
    tree_ = std::make_unique<test::TempTree>();
    tree_->InstallTool(QM_FAKE_CHDMAN);
    qputenv("FAKE_CHDMAN_LOG", QByteArray::fromStdString(tree_->log().string()));
    qunsetenv("FAKE_CHDMAN_MODE");
    window_ = new frmMain;
    window_->controller().SetRunnerSettings(test::Isolated(
        {tree_->program().string() + "/", "chdman", "automate.sh", Interpreter::PosixShell, tree_->privateFolder().string() + "/"}));
    files_ = std::make_unique<test::ScriptedFileDialog>();
    window_->controller().SetFileDialog(files_.get());
    window_->show();
    messages_.clear();
    icons_.clear();
  }

  void cleanup() {
    delete window_;
    window_ = nullptr;
    tree_.reset();
  }

  // Clicks reach the controller and its batch reaches the widgets: bars,
  // label, locked buttons, the row marks and the message box; Annulla during
  // the second job ends the batch there.
  void batchThroughTheWindow() {
    qputenv("FAKE_CHDMAN_MODE", "slow=15");
    queueUpdate(image("game.chd"));
    const fs::path hang = image("HANG.chd");
    queueUpdate(hang);
    queueUpdate(image("third.chd"));

    int highestTotal = 0;
    bool sawJobMaximum = false, locked = true;
    QStringList operations;
    auto* sampler = new QTimer(this);
    connect(sampler, &QTimer::timeout, this, [&] {
      if (!window_->runner().Running()) return;
      highestTotal = std::max(highestTotal, bar("pbTotal")->value());
      sawJobMaximum = sawJobMaximum || bar("pbCurrent")->maximum() == 10;
      for (const char* name : {"btnComprimi", "btnRimuovi", "btnAggiungi_1"})
        locked = locked && !button(name)->isEnabled();
      const QString op = window_->findChild<QLabel*>("lblOperazione")->text();
      if (!operations.contains(op)) operations << op;
      if (calls().size() == 2 && fs::exists(tree_->data() / "HANG.tmp"))
        QTest::mouseClick(button("btnAnnulla"), Qt::LeftButton);
    });
    sampler->start(1);
    runBatch();
    delete sampler;

    QCOMPARE(calls().size(), size_t{2});
    QCOMPARE(messages_, QStringList{"Operazione annullata dall'utente."});
    QCOMPARE(icons_.value(0), QMessageBox::Critical);
    QVERIFY2(highestTotal >= 100, "the batch bar never reached the end of the first job");
    QVERIFY(sawJobMaximum);  // 1000 hunks: a maximum of 1000 / 100
    QVERIFY(locked);
    QVERIFY(operations.contains("Update di 'game.chd'"));
    QCOMPARE(window_->jobTable().grid().Mark(1), RowMark::Succeeded);
    QCOMPARE(window_->jobTable().grid().Mark(2), RowMark::Cancelled);
    QCOMPARE(ReadAll(hang), std::string("original:HANG.chd"));
    verifyIdle();
  }

  // The About dialog's own loop does not hold the batch up: the second job
  // starts and the batch ends while the dialog stays open.
  void theBatchGoesOnWhileTheAboutDialogIsOpen() {
    qputenv("FAKE_CHDMAN_MODE", "slow=20");
    queueUpdate(image("first.chd"));
    queueUpdate(image("second.chd"));
    bool endedWhileOpen = false;
    test::WhenModal<frmInfo>([&](frmInfo* about) {
      endedWhileOpen = QTest::qWaitFor([&] { return !window_->runner().Running(); }, 30000) && about->isVisible();
      about->close();
    });
    QTimer::singleShot(0, this, [this] { QTest::mouseClick(button("btnInfo"), Qt::LeftButton); });
    runBatch();
    QVERIFY(endedWhileOpen);
    QCOMPARE(calls().size(), size_t{2});
    QCOMPARE(messages_, QStringList{"Operazione terminata con successo."});
  }

  void closingDuringABatchCancelsItQuietly() {
    const fs::path hang = image("HANG.chd");
    queueUpdate(hang);
    auto* closer = new QTimer(this);
    connect(closer, &QTimer::timeout, this, [&] {
      if (calls().size() == 1 && window_->isVisible()) window_->close();
    });
    closer->start(10);
    runBatch();
    delete closer;

    QVERIFY(!window_->isVisible());
    QVERIFY(messages_.isEmpty());
    QCOMPARE(ReadAll(hang), std::string("original:HANG.chd"));
    QVERIFY(!fs::exists(tree_->data() / "HANG.old"));
    QVERIFY(!fs::exists(tree_->data() / "HANG.tmp"));
    for (const test::FakeToolCall& call : calls()) QVERIFY(!ProcessRunning(call.pid));
  }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowBatchTest)
#include "main_window_batch_test.moc"
