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
  std::unique_ptr<frmMain> window_;  // after files_, which it uses
  QStringList messages_;

  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
  fs::path data(const QString& name) const { return tree_->data() / name.toStdString(); }

  // Runs today's chdman by hand in the data folder; true when it succeeded.
  bool tool(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(tree_->data().string()));
    p.start(chdman_, args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  }
  // The data of a hard disk image, left in the tree's root; nothing when
  // chdman cannot read it alone (an image that needs its parent).
  std::string extracted(const QString& image) {
    tool({"extracthd", "-i", image, "-o", QString::fromStdString((tree_->root() / "out.raw").string()), "-f"});
    return ReadAll(tree_->root() / "out.raw");
  }
  static std::string randomData(int size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  }
  // A hard disk image of `raw`, compressed with `compression` ("zlib" or "none").
  bool makeImage(const QString& name, const std::string& raw, const QString& compression, const QStringList& parent = {}) {
    const fs::path input = tree_->root() / "in.raw";
    test::WriteAll(input, raw);
    return tool(QStringList{"createhd", "-i", QString::fromStdString(input.string()), "-o", name, "-c", compression} + parent);
  }
  // Queues the images of the data folder named with the button `add`,
  // presses "Avvia" and answers the batch's message with OK; `meanwhile`
  // runs every 5 ms until the batch ends.
  void runBatch(const char* add, const QStringList& names, const std::function<void()>& meanwhile = [] {}) {
    for (const QString& name : names) files_->push(data(name).string());
    QTest::mouseClick(button(add), Qt::LeftButton);
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
      meanwhile();
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
    window_ = std::make_unique<frmMain>();
    RunnerSettings settings{tree_->program().string() + "/", "chdman", "automate.sh", Interpreter::PosixShell,
                            tree_->privateFolder().string() + "/"};
    settings.bridgePath = (tree_->program() / BridgeFileName()).string();
    window_->controller().SetRunnerSettings(settings);
    files_ = std::make_unique<test::ScriptedFileDialog>();
    window_->controller().SetFileDialog(files_.get());
    window_->show();
    messages_.clear();
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
    const std::string raw = randomData(2 << 20, 1);
    QVERIFY(makeImage(image, raw, compression));
    const std::string original = ReadAll(data(name));
    runBatch("btnAggiungi_0", {name});

    QCOMPARE(messages_, QStringList{"Operazione terminata con successo."});
    QVERIFY(extracted(image) == raw);
    QVERIFY(ReadAll(data(name.chopped(4) + ".old")) == original);  // the backup
    QCOMPARE(std::distance(fs::directory_iterator(tree_->data()), {}), 2);  // the image and its backup
  }

  void merge() {
    std::string raw = randomData(2 << 20, 2);
    QVERIFY(makeImage("disk.chd", raw, "zlib"));
    raw.replace(100000, 5, "HELLO");
    QVERIFY(makeImage("patch.diff", raw, "zlib", {"-op", "disk.chd"}));
    runBatch("btnAggiungi_1", {"disk.chd", "patch.diff"});

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
    runBatch("btnAggiungi_0", {"big.chd"}, [&] {
      auto* current = window_->findChild<QProgressBar*>("pbCurrent");
      if (seenValue < 0 && window_->runner().Running() && current->value() > 0 && current->value() < current->maximum()) {
        seenMax = current->maximum();
        seenValue = current->value();
        QTest::mouseClick(button("btnAnnulla"), Qt::LeftButton);
      }
    });

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
