#pragma once
// The main window: tool bar, job grid, progress area and command buttons. It
// owns the job table, forwards clicks to the job code, and is the view both
// of adding jobs and of the batch runner.

#include <windows.h>

#include <memory>
#include <string>

#include "jobs/AddJob.h"
#include "jobs/JobTable.h"
#include "runner/BatchRunner.h"
#include "runner/BatchView.h"
#include "ui/FileOpenDialog.h"
#include "ui/win32/GridListView.h"
#include "ui/win32/TopWindow.h"
#include "ui/win32/Win32FileOpenDialog.h"

namespace qm {

class frmInfo;
class frmSetCHS;

class frmMain : public TopWindow, public AddJobView, public BatchView {
 public:
  // Creates the window, hidden, with the job table set up.
  frmMain();
  ~frmMain() override;

  void Show(int showCommand = SW_SHOWNORMAL);
  // Ends the program's message loop (WM_QUIT) once the window is destroyed.
  void QuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  JobTable& jobTable() { return table_; }

  // Runs batches with `settings` instead of the program's own folder and tool.
  void setRunnerSettings(RunnerSettings settings);
  BatchRunner& runner() { return *runner_; }

  // Uses `dialog` (not owned; it must outlive its use) for file selections;
  // nullptr goes back to the system's file dialog.
  void setFileDialog(FileOpenDialog* dialog);
  // The About dialog, created on first use.
  frmInfo& about();

  // AddJobView
  void SetToolbarEnabled(bool enabled) override;
  std::optional<FileChoice> ShowOpen(const OpenRequest& request) override;
  // Opens the geometry dialog; returns the last confirmed geometry, which is
  // the never-confirmed empty one until the first confirmation.
  ChsGeometry GetCHS() override;
  // Shared with BatchView: MessageBoxA with the window's caption, OK only.
  void ShowMessage(std::string_view text, MessageIcon icon) override;

  // BatchView
  void SetAddButtonsEnabled(bool enabled) override;
  void SetBatchButtonsEnabled(bool enabled) override;
  void SetCurrentBar(int max, int value) override;
  void SetTotalBar(int max, int value) override;
  void SetOperation(std::string_view text) override;
  void ServiceEvents() override;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCommand(HWND control, int code);
  void onAdd(int index);
  // The batch: run it (returns when it has ended); closing meanwhile cancels
  // it quietly and closes the window when it has ended.
  void onStart();
  // Shows the About dialog modally, created on first use and loaded afresh.
  void onInfo();
  static void SetBar(HWND bar, int max, int value);

  JobTable table_;
  std::unique_ptr<GridListView> grid_;
  Win32FileOpenDialog systemFileDialog_;
  FileOpenDialog* fileDialog_;
  std::unique_ptr<frmSetCHS> setChs_;  // created on first use, then reused
  ChsGeometry chs_;                    // the last confirmed geometry
  std::unique_ptr<frmInfo> info_;      // created on first use, then reused
  std::unique_ptr<BatchRunner> runner_;
  bool closeAfterBatch_ = false;
  bool quitOnDestroy_ = false;
};

}  // namespace qm
