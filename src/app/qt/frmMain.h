#pragma once
// The main window: tool bar, job grid, progress area and command buttons. It
// owns the job table, forwards clicks to the job code, and is the view both
// of adding jobs and of the batch runner.

#include <QWidget>
#include <memory>

#include "jobs/AddJob.h"
#include "jobs/JobTable.h"
#include "runner/BatchRunner.h"
#include "runner/BatchView.h"
#include "ui/FileOpenDialog.h"
#include "ui/qt/LayoutBuilder.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qm {

class GridView;
class frmInfo;
class frmSetCHS;

class frmMain : public QWidget, public AddJobView, public BatchView {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  JobTable& jobTable() { return table_; }

  // Runs batches with `settings` instead of the program's own folder and tool.
  void setRunnerSettings(RunnerSettings settings);
  BatchRunner& runner() { return *runner_; }

  // Uses `dialog` (not owned; it must outlive its use) for file selections;
  // nullptr goes back to the Qt file dialog.
  void setFileDialog(FileOpenDialog* dialog);

  // AddJobView
  void SetToolbarEnabled(bool enabled) override;
  std::optional<FileChoice> ShowOpen(const OpenRequest& request) override;
  // Opens the geometry dialog; returns the last confirmed geometry, which is
  // the never-confirmed empty one until the first confirmation.
  ChsGeometry GetCHS() override;
  // Shared with BatchView: a modal box with the window's caption and OK only.
  void ShowMessage(std::string_view text, MessageIcon icon) override;

  // BatchView
  void SetAddButtonsEnabled(bool enabled) override;
  void SetBatchButtonsEnabled(bool enabled) override;
  void SetCurrentBar(int max, int value) override;
  void SetTotalBar(int max, int value) override;
  void SetOperation(std::string_view text) override;
  void ServiceEvents() override;

 protected:
  // Closing during a batch cancels it first; the window closes when it ends.
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void onAdd(int index);
  void onRemove();
  // The batch: run it (returns when it has ended), cancel it.
  void onStart();
  void onCancel();
  // Shows the About dialog modally, created on first use and loaded afresh.
  void onInfo();

 private:
  static void SetBar(QProgressBar* bar, int max, int value);

  JobTable table_;
  LayoutBuilder layout_;
  GridView* grid_;
  QFrame* fraToolbar_;
  QLabel* lblOperazione_;
  QProgressBar* pbCurrent_;
  QProgressBar* pbTotal_;
  QPushButton* btnAggiungi_[3];
  QPushButton* btnRimuovi_;
  QPushButton* btnComprimi_;
  std::unique_ptr<FileOpenDialog> qtFileDialog_;
  FileOpenDialog* fileDialog_;
  frmSetCHS* setChs_ = nullptr;  // created on first use, then reused
  ChsGeometry chs_;              // the last confirmed geometry
  std::unique_ptr<frmInfo> info_;  // no owner window: created on first use, then reused
  std::unique_ptr<BatchRunner> runner_;
  bool closeAfterBatch_ = false;
};

}  // namespace qm
