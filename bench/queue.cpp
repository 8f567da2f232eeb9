// Big queues in the real main window, on the offscreen platform unless
// another is chosen, each against a plain QTableWidget given the same rows
// in the same run:
//   - 1,000 images chosen in one selection, and the same images dropped as
//     a folder, from the click (or the menu's choice) to the table painted;
//   - 10,000 jobs scrolled page by page from top to bottom, each page
//     painted: the time of one page is the time of one frame.
// Goals: adding 1,000 files well under a second; a page well under a frame
// (16 ms). The program reports; it asserts nothing.
//
//   bench_queue [--runs N]

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "app/qt/frmMain.h"
#include "ui/qt/GridView.h"

namespace {

namespace fs = std::filesystem;

class ManyFiles : public qm::FileOpenDialog {
 public:
  std::vector<qm::FileChoice> chosen;
  std::optional<qm::FileChoice> Open(const qm::OpenRequest&) override { return std::nullopt; }
  std::vector<qm::FileChoice> OpenMany(const qm::OpenRequest&) override { return chosen; }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double TimeMs(const std::function<void()>& act) {
  QElapsedTimer clock;
  clock.start();
  act();
  return clock.nsecsElapsed() / 1e6;
}

// Paints `view`'s visible rows into an image, as a frame on screen would.
void Paint(QAbstractScrollArea* view) { view->viewport()->grab(); }

// Every page of `view` from top to bottom, painted; milliseconds per page.
double ScrollAll(QAbstractScrollArea* view) {
  QScrollBar* bar = view->verticalScrollBar();
  bar->setValue(0);
  int pages = 0;
  const double ms = TimeMs([&] {
    for (int value = 0;; value += bar->pageStep()) {
      bar->setValue(value);
      Paint(view);
      ++pages;
      if (value >= bar->maximum()) break;
    }
  });
  return ms / pages;
}

std::unique_ptr<QTableWidget> PlainTable(const qm::JobTable& jobs, const QWidget& like) {
  auto table = std::make_unique<QTableWidget>(0, 7);
  table->resize(like.size());
  table->show();
  table->setRowCount(jobs.JobCount());
  for (int n = 1; n <= jobs.JobCount(); ++n)
    for (int c = 0; c < 7; ++c)
      table->setItem(n - 1, c, new QTableWidgetItem(QString::fromStdString(jobs.Job(n)[c])));
  Paint(table.get());
  return table;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int runs = 5;
  for (int i = 1; i + 1 < argc; ++i)
    if (QString(argv[i]) == "--runs") runs = std::max(1, atoi(argv[i + 1]));

  QTemporaryDir dir;
  const fs::path folder = fs::path(dir.path().toStdString()) / "raccolta";
  fs::create_directories(folder);
  ManyFiles files;
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "disco %04d.chd", i);
    std::ofstream(folder / name) << "x";
    files.chosen.push_back({name, (folder / name).string()});
  }

  std::vector<double> selection, dropped, plain;
  for (int run = 0; run < runs; ++run) {
    qm::frmMain window;
    window.controller().SetFileDialog(&files);
    window.show();
    auto* grid = window.findChild<qm::GridView*>("MainGrid");
    selection.push_back(TimeMs([&] {
      window.findChild<QPushButton*>("btnAggiungi_0")->click();
      Paint(grid);
    }));
    plain.push_back(TimeMs([&] { PlainTable(window.jobTable(), *grid); }));
    dropped.push_back(TimeMs([&] {
      window.controller().DropMenu({folder.string()});
      window.controller().OnDropMenu(qm::TableCommand::AddUpdate);
      Paint(grid);
    }));
  }
  std::printf("1000 files in one selection, click to painted table: %.1f ms (median of %d)\n", Median(selection), runs);
  std::printf("1000 files dropped as a folder, choice to painted table: %.1f ms\n", Median(dropped));
  std::printf("the same 1000 rows in a plain QTableWidget: %.1f ms\n", Median(plain));
  std::printf("ratio selection / plain table: %.2f\n", Median(selection) / Median(plain));

  qm::frmMain window;
  window.show();
  const qm::JobCells cells{"disco 0001.chd", "/home/utente/raccolta", "Update", "disco 0001.tmp",
                           "/home/utente/raccolta", "", "-update 'disco 0001.chd' 'disco 0001.tmp'"};
  for (int n = 0; n < 10000; ++n) window.jobTable().Append(cells);
  auto* grid = window.findChild<qm::GridView*>("MainGrid");
  Paint(grid);
  const auto table = PlainTable(window.jobTable(), *grid);
  std::vector<double> page, plainPage;
  for (int run = 0; run < runs; ++run) {
    page.push_back(ScrollAll(grid));
    plainPage.push_back(ScrollAll(table.get()));
  }
  std::printf("10000 jobs, one page scrolled and painted: %.2f ms (plain QTableWidget %.2f ms)\n", Median(page),
              Median(plainPage));
  std::printf("ratio page / plain page: %.2f\n", Median(page) / Median(plainPage));
  return 0;
}
