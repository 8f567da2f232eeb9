// Start-up of the main window against an empty QWidget of the same size, on
// the offscreen platform unless another is chosen.
//
//   bench_window_startup [--runs N]   time N builds and shows of each window
//                                     here; peak memory from child runs
//   bench_window_startup --empty      child: one empty window, prints KiB
//   bench_window_startup --main       child: one main window, prints KiB
//
// Time is measured from construction to the end of the first paint, warm
// (repeated in one process) and cold (the first window of a fresh process,
// also counted from the start of the process, as a user sees it). Memory is
// the process's peak resident size (VmHWM), read from /proc where the system
// has it. Child processes give each window fresh caches. Goals: within 1.5x
// the time and 1.3x the memory of the empty window. The program reports; it
// asserts nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/MainLayout.h"
#include "app/qt/frmMain.h"
#include "ui/Layout.h"

namespace {

using Factory = std::function<std::unique_ptr<QWidget>()>;

std::unique_ptr<QWidget> MakeEmpty() {
  const qm::WindowSpec& spec = qm::MainWindowLayout();
  auto window = std::make_unique<QWidget>();
  window->setFixedSize(qm::TwipsToPixels(spec.clientWidth), qm::TwipsToPixels(spec.clientHeight));
  return window;
}

std::unique_ptr<QWidget> MakeMain() { return std::make_unique<qm::frmMain>(); }

// Notes the first paint of the window it watches.
class PaintWatch : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// Builds, shows and paints one window; returns the milliseconds it took.
double ShowOnce(const Factory& make) {
  PaintWatch watch;
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<QWidget> window = make();
  window->installEventFilter(&watch);
  window->show();
  while (!watch.painted && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QCoreApplication::processEvents();
  const double ms = clock.nsecsElapsed() / 1e6;
  window.reset();
  QCoreApplication::processEvents();
  return ms;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Peak resident size of this process in KiB, or -1 where /proc is missing.
long PeakKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

// Child mode: one window, then on stdout the peak before and after it (KiB),
// the window's time and the time since the process started (ms).
int Child(const Factory& make, const QElapsedTimer& sinceStart) {
  QCoreApplication::processEvents();
  const long before = PeakKiB();
  const double windowMs = ShowOnce(make);
  const double processMs = sinceStart.nsecsElapsed() / 1e6;
  std::printf("%ld %ld %.3f %.3f\n", before, PeakKiB(), windowMs, processMs);
  return 0;
}

struct ColdRun {
  double peakKiB = -1;  // peak of the whole process; -1 where unknown
  double riseKiB = -1;  // growth of the peak caused by the window
  double windowMs = 0;
  double processMs = 0;
  double wallMs = 0;  // the whole child, exec to exit, timed by the parent
};

// Medians over `runs` fresh processes showing one window each.
ColdRun MeasureInChildren(const char* mode, int runs) {
  std::vector<double> peaks, rises, windows, processes, walls;
  for (int i = 0; i < runs; ++i) {
    QProcess child;
    QElapsedTimer wall;
    wall.start();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
    if (!child.waitForFinished(30000) || child.exitCode() != 0) continue;
    walls.push_back(wall.nsecsElapsed() / 1e6);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 4) continue;
    if (fields[0].toLong() >= 0) {
      peaks.push_back(fields[1].toDouble());
      rises.push_back(fields[1].toDouble() - fields[0].toDouble());
    }
    windows.push_back(fields[2].toDouble());
    processes.push_back(fields[3].toDouble());
  }
  ColdRun run{-1, -1, Median(windows), Median(processes), Median(walls)};
  if (!peaks.empty()) run.peakKiB = Median(peaks), run.riseKiB = Median(rises);
  return run;
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.contains(QStringLiteral("--empty"))) return Child(MakeEmpty, sinceStart);
  if (args.contains(QStringLiteral("--main"))) return Child(MakeMain, sinceStart);

  int runs = 50;
  if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at >= 0 && at + 1 < args.size())
    runs = std::max(1, args[at + 1].toInt());

  // One of each first, so that neither pays alone for fonts and styles.
  ShowOnce(MakeEmpty);
  ShowOnce(MakeMain);
  std::vector<double> empty, main;
  for (int i = 0; i < runs; ++i) {
    empty.push_back(ShowOnce(MakeEmpty));
    main.push_back(ShowOnce(MakeMain));
  }
  const double emptyMs = Median(empty), mainMs = Median(main);
  std::printf("warm, window to first paint, median of %d (ms): empty %.3f, main %.3f, ratio %.2f\n", runs,
              emptyMs, mainMs, Ratio(mainMs, emptyMs));

  constexpr int kChildren = 15;
  const ColdRun coldEmpty = MeasureInChildren("--empty", kChildren);
  const ColdRun coldMain = MeasureInChildren("--main", kChildren);
  std::printf("cold, window to first paint, median of %d (ms): empty %.3f, main %.3f, ratio %.2f\n", kChildren,
              coldEmpty.windowMs, coldMain.windowMs, Ratio(coldMain.windowMs, coldEmpty.windowMs));
  std::printf("cold, process start to first paint (ms): empty %.3f, main %.3f, ratio %.2f (goal <= 1.5)\n",
              coldEmpty.processMs, coldMain.processMs, Ratio(coldMain.processMs, coldEmpty.processMs));
  std::printf("whole program, exec to exit after the first paint (ms): empty %.3f, main %.3f, ratio %.2f\n",
              coldEmpty.wallMs, coldMain.wallMs, Ratio(coldMain.wallMs, coldEmpty.wallMs));
  if (coldEmpty.peakKiB <= 0 || coldMain.peakKiB <= 0) {
    std::printf("peak memory: not available on this system\n");
    return 0;
  }
  std::printf("peak memory of the process (KiB): empty %.0f, main %.0f, ratio %.2f (goal <= 1.3)\n",
              coldEmpty.peakKiB, coldMain.peakKiB, Ratio(coldMain.peakKiB, coldEmpty.peakKiB));
  std::printf("peak rise caused by the window (KiB): empty %.0f, main %.0f\n", coldEmpty.riseKiB,
              coldMain.riseKiB);
  return 0;
}
