// One real batch through the main window (offscreen unless another platform
// is chosen), the chdman bridge installed as the program's tool, against the
// same chdman runs made by hand one after another.
//
//   bench_bridge_batch [--create] [--images N] [--mib M] [--rounds R]   (defaults 2, 16, 3)
//
// Updates: makes N hard disk images of M MiB of random data (zlib) with
// today's chdman; by hand, `chdman copy` of each. With --create: N CD images
// (CUE and a BIN of M MiB of random data, one data track) and a Crea CHD (CD)
// batch; by hand, `chdman createcd` of each. Per round: the batch (Avvia to
// its message, the folder restored first) and the runs by hand, in
// alternating order. Prints the sizes, both times and their ratio; the best
// round of each counts. The program reports; it asserts nothing.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <random>

#include "app/qt/frmMain.h"
#include "platform/files.h"
#include "ui/FileOpenDialog.h"

namespace {

class ListedFiles : public qm::FileOpenDialog {
 public:
  std::optional<qm::FileChoice> Open(const qm::OpenRequest& request) override {
    std::vector<qm::FileChoice> all = OpenMany(request);
    if (all.empty()) return std::nullopt;
    return all.front();
  }
  // Every listed file in one selection.
  std::vector<qm::FileChoice> OpenMany(const qm::OpenRequest&) override {
    std::vector<qm::FileChoice> chosen;
    for (const QString& path : paths) chosen.push_back({QFileInfo(path).fileName().toStdString(), path.toStdString()});
    paths.clear();
    return chosen;
  }
  std::deque<QString> paths;
};

bool Run(const QString& program, const QStringList& args, const QString& folder) {
  QProcess p;
  p.setWorkingDirectory(folder);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    std::fprintf(stderr, "%s %s failed:\n%s\n", qPrintable(program), qPrintable(args.join(' ')), p.readAll().constData());
    return false;
  }
  return true;
}

int Option(const QStringList& args, const QString& name, int fallback) {
  const qsizetype at = args.indexOf(name);
  return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const int images = std::max(1, Option(args, "--images", 2));
  const int mib = std::max(1, Option(args, "--mib", 16));
  const int rounds = std::max(1, Option(args, "--rounds", 3));
  const bool create = args.contains("--create");

  const QString chdman = QStandardPaths::findExecutable("chdman");
  if (chdman.isEmpty()) {
    std::fprintf(stderr, "chdman is not installed (Debian package mame-tools)\n");
    return 1;
  }
  QTemporaryDir root;
  const QString program = root.filePath("program"), data = root.filePath("data"), keep = root.filePath("originals");
  for (const QString& d : {program, data, keep}) QDir().mkpath(d);
  const QString bridge = program + "/" + QString::fromStdString(qm::BridgeFileName());
  QFile::copy(QM_BRIDGE, bridge);
  QFile(bridge).setPermissions(QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);

  std::mt19937 random(7);
  qint64 imageBytes = 0;
  // The input of job i, and the chdman command line that does its work by hand.
  const auto input = [&](int i) { return create ? QString("disc%1.cue").arg(i) : QString("disk%1.chd").arg(i); };
  const auto byHandArgs = [&](int i) {
    return create ? QStringList{"createcd", "-i", input(i), "-o", QString("disc%1.chd").arg(i)}
                  : QStringList{"copy", "-i", input(i), "-o", QString("disk%1.tmp").arg(i)};
  };
  for (int i = 0; i < images; ++i) {
    const QString raw = create ? QString("disc%1.bin").arg(i) : QString("input.raw");
    QFile file(data + "/" + raw);
    file.open(QIODevice::WriteOnly);
    // Whole CD sectors of 2352 bytes, about M MiB.
    QByteArray block(create ? 2352 * 446 : 1 << 20, Qt::Uninitialized);
    for (int m = 0; m < mib; ++m) {
      for (char& c : block) c = static_cast<char>(random());
      file.write(block);
    }
    file.close();
    if (create) {
      QFile cue(data + "/" + input(i));
      cue.open(QIODevice::WriteOnly);
      cue.write(QString("FILE \"%1\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n").arg(raw).toUtf8());
      imageBytes += file.size();
      continue;
    }
    if (!Run(chdman, {"createhd", "-i", "input.raw", "-o", input(i), "-c", "zlib"}, data)) return 1;
    QFile::copy(data + "/" + input(i), keep + "/" + input(i));
    imageBytes += QFileInfo(data + "/" + input(i)).size();
  }
  QFile::remove(data + "/input.raw");
  auto restore = [&] {
    for (const QString& f : QDir(data).entryList(QDir::Files)) {
      if (!create || f.endsWith(".chd")) QFile::remove(data + "/" + f);
    }
    if (!create)
      for (int i = 0; i < images; ++i) QFile::copy(keep + "/" + input(i), data + "/" + input(i));
  };

  qm::frmMain window;
  ListedFiles files;
  window.controller().SetFileDialog(&files);
  qm::RunnerSettings settings{program.toStdString() + "/", "chdman", "automate.sh", qm::Interpreter::PosixShell,
                              root.filePath("private").toStdString() + "/"};
  settings.bridgePath = bridge.toStdString();  // chdman from PATH, as for a user
  window.controller().SetRunnerSettings(settings);
  window.show();
  for (int i = 0; i < images; ++i) files.paths.push_back(data + "/" + input(i));
  if (create) {
    window.controller().Add(static_cast<int>(qm::JobKind::CreateCd));
  } else {
    window.findChild<QPushButton*>("btnAggiungi_0")->click();
  }

  double bestProgram = 1e300, bestHand = 1e300;
  QString message;
  auto throughProgram = [&] {
    restore();
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        message = box->text();
        box->accept();
      }
    });
    answer.start(5);
    QElapsedTimer clock;
    clock.start();
    window.findChild<QPushButton*>("btnComprimi")->click();
    // The batch goes on in the window's event loop until its message is answered.
    while (window.controller().runner().Running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    bestProgram = std::min(bestProgram, clock.nsecsElapsed() / 1e9);
  };
  auto byHand = [&] {
    restore();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < images; ++i) {
      if (!Run(chdman, byHandArgs(i), data)) return false;
    }
    bestHand = std::min(bestHand, clock.nsecsElapsed() / 1e9);
    return true;
  };
  // The order alternates, so that neither side always meets a warm cache.
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) throughProgram();
    if (!byHand()) return 1;
    if (round % 2 == 1) throughProgram();
  }

  std::printf("images: %d x %d MiB of random data, %.1f MiB as %s\n", images, mib, imageBytes / 1048576.0,
              create ? "CUE/BIN discs" : "zlib CHD files");
  std::printf("batch message: %s\n", qPrintable(message));
  std::printf("%s batch through Quillmere and the bridge: %.2f s\n", create ? "Crea CHD (CD)" : "update", bestProgram);
  std::printf("the same chdman %s runs by hand: %.2f s\n", create ? "createcd" : "copy", bestHand);
  std::printf("ratio program / by hand: %.3f (best of %d round%s)\n", bestProgram / bestHand, rounds,
              rounds == 1 ? "" : "s");
  return 0;
}
