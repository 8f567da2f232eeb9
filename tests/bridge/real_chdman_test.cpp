// Real updates, merges and a cancel through the real main window (offscreen): the bridge in the
// program folder under its own name, today's chdman found as a user has it
// (on PATH, or copied into the program folder) and run through the bridge,
// small hard disk images of random data made by that chdman. Skipped only
// when chdman is not installed.

#include <QCryptographicHash>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <random>

#include "QtTestSupport.h"
#include "TempTree.h"
#include "app/qt/frmMain.h"
#include "platform/files.h"
#include "platform/processes.h"

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
  QProgressBar* bar(const char* name) { return window_->findChild<QProgressBar*>(name); }
  QString data(const QString& name) const { return QString::fromStdString((tree_->data() / name.toStdString()).string()); }

  // Runs today's chdman by hand in the data folder; its joined output.
  QString tool(const QStringList& args, int* status = nullptr) {
    QProcess p;
    p.setWorkingDirectory(data(""));
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(chdman_, args);
    p.waitForFinished(120000);
    if (status) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
  }
  QString field(const QString& image, const QString& name) {
    const auto m = QRegularExpression("^" + name + ":\\s*(\\S.*)$", QRegularExpression::MultilineOption)
                       .match(tool({"info", "-i", image}));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
  }
  // SHA1 of an image's data: from `info` when it shows one, else of the extracted data.
  QString dataSha1(const QString& image) {
    if (QString sha1 = field(image, "Data SHA1"); !sha1.isEmpty()) return sha1;
    tool({"extracthd", "-i", image, "-o", "extracted.raw", "-f"});
    const QString sha1 = sha1Of(QByteArray::fromStdString(ReadAll(tree_->data() / "extracted.raw")));
    fs::remove(tree_->data() / "extracted.raw");
    return sha1;
  }
  static QString sha1Of(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
  }
  static QByteArray randomData(int size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  }
  // A hard disk image of `raw` (compression "zlib" or "none"); the raw data's
  // SHA1, or nothing when chdman failed.
  QString makeImage(const QString& name, const QByteArray& raw, const QString& compression, const QString& parent = {}) {
    test::WriteAll(tree_->data() / "input.raw", raw.toStdString());
    QStringList args{"createhd", "-i", "input.raw", "-o", name, "-c", compression};
    if (!parent.isEmpty()) args << "-op" << parent;
    int status = -1;
    const QString out = tool(args, &status);
    fs::remove(tree_->data() / "input.raw");
    if (status == 0) return sha1Of(raw);
    qWarning("%s", qPrintable(out));
    return {};
  }
  QStringList folderNames() const {
    QStringList names;
    for (const auto& e : fs::directory_iterator(tree_->data())) names << QString::fromStdString(e.path().filename().string());
    names.sort();
    return names;
  }
  // Copies of today's tool still working in the data folder.
  int toolsInDataFolder() const {
    int count = 0;
    for (const ProcessEntry& p : ListProcesses().value_or({})) {
      std::error_code ec;
      const fs::path cwd = fs::read_symlink("/proc/" + std::to_string(p.pid) + "/cwd", ec);
      if (p.image == "chdman" && !ec && fs::equivalent(cwd, tree_->data(), ec)) ++count;
    }
    return count;
  }

  void queue(int kind, const QStringList& paths) {
    for (const QString& p : paths) files_->push(p);
    QTest::mouseClick(button(kind == 0 ? "btnAggiungi_0" : "btnAggiungi_1"),
                      Qt::LeftButton);
  }
  // Presses "Avvia" and answers the batch's message with OK.
  void runBatch() {
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
    QTest::addColumn<bool>("inProgramFolder");  // else on PATH
    QTest::newRow("compressed") << "disk.chd" << "zlib" << false;
    QTest::newRow("uncompressed") << "disk.chd" << "none" << false;
    QTest::newRow("chdman copied into the program folder, none on PATH") << "disk.chd" << "zlib" << true;
    // Names chdman would read as options.
    QTest::newRow("-rf.chd") << "-rf.chd" << "zlib" << false;
  }
  void update() {
    QFETCH(QString, name);
    QFETCH(QString, compression);
    QFETCH(bool, inProgramFolder);
    const QString image = "./" + name;  // as the test itself hands it to chdman
    const QString backup = name.chopped(4) + ".old";
    const QString rawSha1 = makeImage(image, randomData(2 << 20, 1), compression);
    QVERIFY(!rawSha1.isEmpty());
    const std::string original = ReadAll(tree_->data() / name.toStdString());
    queue(0, {data(name)});
    const QByteArray path = qgetenv("PATH");
    if (inProgramFolder) {  // PATH keeps what the batch file runs besides the tool
      tree_->InstallTool(chdman_.toStdString());
      const fs::path bin = tree_->root() / "bin";
      fs::create_directories(bin);
      fs::create_symlink(QStandardPaths::findExecutable("mv").toStdString(), bin / "mv");
      qputenv("PATH", QByteArray::fromStdString(bin.string()));
    }
    runBatch();
    qputenv("PATH", path);
    if (inProgramFolder) {  // the copy did the job
      const std::string kept = ReadAll(tree_->program() / "automate.sh");
      QVERIFY2(kept.find((tree_->program() / "chdman").string()) != std::string::npos, kept.c_str());
    }

    QCOMPARE(messages_, QStringList{"Operazione terminata con successo."});
    QCOMPARE(field(image, "File Version"), QString("5"));
    QCOMPARE(dataSha1(image), rawSha1);
    int status = -1;
    const QString verify = tool({"verify", "-i", image}, &status);
    QVERIFY2(status == 0 && !verify.contains("Fatal error"), qPrintable(verify));
    QVERIFY(ReadAll(tree_->data() / backup.toStdString()) == original);
    QStringList expected{name, backup};
    expected.sort();
    QCOMPARE(folderNames(), expected);
  }

  void merge() {
    QByteArray raw = randomData(2 << 20, 2);
    QVERIFY(!makeImage("disk.chd", raw, "zlib").isEmpty());
    raw.replace(100000, 5, "HELLO");
    const QString childSha1 = makeImage("patch.diff", raw, "zlib", "disk.chd");
    QVERIFY(!childSha1.isEmpty());
    queue(1, {data("disk.chd"), data("patch.diff")});
    runBatch();

    QCOMPARE(messages_, QStringList{"Operazione terminata con successo."});
    QCOMPARE(dataSha1("patch.tmp"), childSha1);
    QCOMPARE(field("patch.tmp", "Parent SHA1"), QString());
  }

  // An update long enough to cancel: the bars move first, then Annulla
  // stops it and nothing but the untouched image remains.
  void cancelAnUpdateOnceTheBarsMove() {
    const int size = 16 << 20;
    QVERIFY(!makeImage("big.chd", randomData(size, 4), "zlib").isEmpty());
    const std::string original = ReadAll(tree_->data() / "big.chd");
    queue(0, {data("big.chd")});

    int seenMax = -1, seenValue = -1;
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, this, [&] {
      QProgressBar* current = bar("pbCurrent");
      if (seenValue < 0 && window_->runner().Running() && current->value() > 0 && current->value() < current->maximum()) {
        seenMax = current->maximum();
        seenValue = current->value();
        QTest::mouseClick(button("btnAnnulla"), Qt::LeftButton);
      }
    });
    canceller.start(5);
    runBatch();

    QVERIFY2(seenValue > 0, "the current bar never moved during the update");
    QCOMPARE(seenMax, size / 4096 / 100);  // 4 KiB hunks: M / 100
    QCOMPARE(messages_, QStringList{"Operazione annullata dall'utente."});
    QCOMPARE(toolsInDataFolder(), 0);
    QTest::qWait(300);  // a tool left running would write on
    QCOMPARE(folderNames(), QStringList{"big.chd"});
    QVERIFY(ReadAll(tree_->data() / "big.chd") == original);
    int status = -1;
    const QString verify = tool({"verify", "-i", "big.chd"}, &status);
    QVERIFY2(status == 0 && !verify.contains("Fatal error"), qPrintable(verify));
  }
};

}  // namespace qm

QTEST_MAIN(qm::RealChdmanTest)
#include "real_chdman_test.moc"
