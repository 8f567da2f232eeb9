// Developer tool, not part of the program: renders the real windows to PNG
// files for the README. The main window shows three queued jobs with the
// second one running, both bars part way, as the batch runner leaves it
// between two reads of the tool's output.
//
// Usage: quillmere_screenshot MAIN.png [ABOUT.png [SETCHS.png]]
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/qt/frmMain.h"
#include "dialogs/qt/frmInfo.h"
#include "dialogs/qt/frmSetCHS.h"
#include "jobs/AddJob.h"

namespace {

bool Save(QWidget& window, const char* path) {
  window.show();
  QApplication::processEvents();
  if (window.grab().save(QString::fromLocal8Bit(path), "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", path);
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: %s MAIN.png [ABOUT.png [SETCHS.png]]\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  qm::frmMain window;
  const qm::PathRules rules{qm::PathStyle::Posix, qm::Interpreter::PosixShell};
  const qm::FileChoice first{"Gioco di corse (disco 1).chd", "/home/utente/immagini/Gioco di corse (disco 1).chd"};
  const qm::FileChoice second{"archivio.chd", "/home/utente/immagini/archivio.chd"};
  const qm::FileChoice diff{"archivio.diff", "/home/utente/immagini/archivio.diff"};
  const qm::FileChoice third{"hdd_vecchio.chd", "/srv/dischi/hdd_vecchio.chd"};
  const qm::ChsGeometry geometry = qm::ChsGeometry{"1024", "16", "63", true};
  qm::JobTable& table = window.jobTable();
  table.Append(qm::ComposeJob(qm::JobKind::Update, first, nullptr, {}, rules));
  table.Append(qm::ComposeJob(qm::JobKind::Merge, second, &diff, {}, rules));
  table.Append(qm::ComposeJob(qm::JobKind::SetChs, third, nullptr, geometry, rules));

  // What the runner has set by 40% of the second job.
  window.SetAddButtonsEnabled(false);
  window.SetBatchButtonsEnabled(false);
  table.grid().SetMark(1, qm::RowMark::Succeeded);
  window.SetOperation("Update di 'archivio.chd'");
  window.SetCurrentBar(100, 40);
  window.SetTotalBar(300, 140);
  if (!Save(window, argv[1])) return 1;

  if (argc > 2) {
    qm::frmInfo about;
    if (!Save(about, argv[2])) return 1;
  }
  if (argc > 3) {
    qm::frmSetCHS setChs;
    if (!Save(setChs, argv[3])) return 1;
  }
  return 0;
}
