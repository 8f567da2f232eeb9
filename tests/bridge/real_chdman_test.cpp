// Real updates, merges and a cancel through the real main window (offscreen): the bridge in the
// program folder under its own name, today's chdman found on PATH as a user
// has it and run through the bridge, small hard disk images of random data
// made by that chdman. Skipped only when chdman is not installed.

#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <random>

#include "QtTestSupport.h"
#include "TempTree.h"
#include "app/qt/frmMain.h"
#include "platform/files.h"

namespace qm {

namespace fs = std::filesystem;
using test::ReadAll;

class RealChdmanTest : public QObject {
  Q_OBJECT

 private:
  QString chdman_;
  std::unique_ptr<test::TempTree> tree_;
  std::unique_ptr<test::ScriptedFileDialog> files_;
  frmMain* window_ = nullptr;
  QStringList messages_;

  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
  fs::path data(const QString& name) const { return tree_->data() / name.toStdString(); }

  // Runs today's chdman by hand in the data folder; its exit status.
  int tool(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(tree_->data().string()));
    p.start(chdman_, args);
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  // The data of a hard disk image; nothing when chdman cannot read it alone
  // (an image that needs its parent).
  std::string extracted(const QString& image) {
    tool({"extracthd", "-i", image, "-o", "extracted.raw", "-f"});
    const std::string bytes = ReadAll(data("extracted.raw"));
    fs::remove(data("extracted.raw"));
    return bytes;
  }
  static std::string randomData(int size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  }
  // A hard disk image of `raw`, compressed with `compression` ("zlib" or "none").
  bool makeImage(const QString& name, const std::string& raw, const QString& compression, const QString& parent = {}) {
    test::WriteAll(data("input.raw"), raw);
    QStringList args{"createhd", "-i", "input.raw", "-o", name, "-c", compression};
    if (!parent.isEmpty()) args << "-op" << parent;
    const bool made = tool(args) == 0;
    fs::remove(data("input.raw"));
    return made;
  }
  // Queues the images of the data folder named with the add button of
  // `kind`, presses "Avvia" and answers the batch's message with OK.
  void runBatch(int kind, const QStringList& names) {
    for (const QString& name : names) files_->push(QString::fromStdString(data(name).string()));
    QTest::mouseClick(button(kind == 0 ? "btnAggiungi_0" : "btnAggiungi_1"), Qt::LeftButton);
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages_ << box->text();
        box->accept();
      }
    });
    watcher.start(5);
    QTest::mouseClick(button("btnComprimi"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->runner().Running(), 120000);
  }

 private slots:
  void initTestCase() {
    chdman_ = QStandardPaths::findExecutable("chdman");
    if (chdman_.isEmpty()) QSKIP("chdman is not installed (Debian package mame-tools)");
    qunsetenv("QUILLMERE_CHDMAN");  // the bridge finds chdman on PATH, as for a user
  }

  void init() {
    tree_ = std::make_unique<test::TempTree>();
    tree_->InstallTool(QM_BRIDGE, BridgeFileName());
    window_ = new frmMain;
    RunnerSettings settings{tree_->program().string() + "/", "chdman", "automate.sh", Interpreter::PosixShell,
                            tree_->privateFolder().string() + "/"};
    settings.bridgePath = (tree_->program() / BridgeFileName()).string();
    window_->controller().SetRunnerSettings(settings);
    files_ = std::make_unique<test::ScriptedFileDialog>(QStringList{});
    window_->controller().SetFileDialog(files_.get());
    window_->show();
    messages_.clear();
  }

  void cleanup() {
    delete window_;
    tree_.reset();
  }

  void update_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("compression");
    QTest::newRow("compressed") << "disk.chd" << "zlib";
    QTest::newRow("uncompressed") << "disk.chd" << "none";
    QTest::newRow("a name chdman would read as an option") << "-rf.chd" << "zlib";
  }
  void update() {
    QFETCH(QString, name);
    QFETCH(QString, compression);
    const QString image = "./" + name;  // as the test itself hands it to chdman
    const QString backup = name.chopped(4) + ".old";
    const std::string raw = randomData(2 << 20, 1);
    QVERIFY(makeImage(image, raw, compression));
    const std::string original = ReadAll(data(name));
    runBatch(0, {name});

    QCOMPARE(messages_, QStringList{"Operazione terminata con successo."});
    QVERIFY(extracted(image) == raw);
    QVERIFY(ReadAll(data(backup)) == original);
    QCOMPARE(std::distance(fs::directory_iterator(tree_->data()), {}), 2);  // the image and its backup
  }

  void merge() {
    std::string raw = randomData(2 << 20, 2);
    QVERIFY(makeImage("disk.chd", raw, "zlib"));
    raw.replace(100000, 5, "HELLO");
    QVERIFY(makeImage("patch.diff", raw, "zlib", "disk.chd"));
    runBatch(1, {"disk.chd", "patch.diff"});

    QCOMPARE(messages_, QStringList{"Operazione terminata con successo."});
    QVERIFY(extracted("patch.tmp") == raw);  // whole, without a parent
  }

  // An update long enough to cancel: the bars move first, then Annulla
  // stops it and nothing but the untouched image remains.
  void cancelAnUpdateOnceTheBarsMove() {
    const int size = 16 << 20;
    QVERIFY(makeImage("big.chd", randomData(size, 4), "zlib"));
    const std::string original = ReadAll(data("big.chd"));
    int seenMax = -1, seenValue = -1;
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, this, [&] {
      auto* current = window_->findChild<QProgressBar*>("pbCurrent");
      if (seenValue < 0 && window_->runner().Running() && current->value() > 0 && current->value() < current->maximum()) {
        seenMax = current->maximum();
        seenValue = current->value();
        QTest::mouseClick(button("btnAnnulla"), Qt::LeftButton);
      }
    });
    canceller.start(5);
    runBatch(0, {"big.chd"});

    QVERIFY2(seenValue > 0, "the current bar never moved during the update");
    QCOMPARE(seenMax, size / 4096 / 100);  // 4 KiB hunks: M / 100
    QCOMPARE(messages_, QStringList{"Operazione annullata dall'utente."});
    QTest::qWait(300);  // a tool left running would write on
    QCOMPARE(std::distance(fs::directory_iterator(tree_->data()), {}), 1);
    QVERIFY(ReadAll(data("big.chd")) == original);
  }
};

}  // namespace qm

QTEST_MAIN(qm::RealChdmanTest)
#include "real_chdman_test.moc"
