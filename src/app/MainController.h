#pragma once
// The main window's behaviour, once for both front ends: the job table, the
// add, Remove, start, cancel and Info buttons, the last confirmed geometry,
// and closing during a batch. A front end builds the widgets, implements
// MainView, and forwards each click here.

#include <memory>
#include <string>
#include <vector>

#include "app/MainView.h"
#include "jobs/AddJob.h"
#include "jobs/DroppedFiles.h"
#include "jobs/JobTable.h"
#include "runner/BatchRunner.h"

namespace qm {

// What a menu on the job table can do.
enum class TableCommand {
  AddUpdate,
  AddMerge,
  AddSetChs,
  RemoveJob,
  ShowOutput,
  RemoveSucceeded,
  AddCreateCd,
  AddCreateDvd,
  AddVerify,
  AddExtract,
};

struct MenuItem {
  TableCommand command;
  std::string caption;
  bool enabled;
};

class MainController : private AddJobView {
 public:
  explicit MainController(MainView& view, RunnerSettings settings = NativeRunnerSettings());
  ~MainController() override;

  // The window's load handler: the table's header, widths and alignment, and
  // no operation shown.
  void Load();

  void Add(int index);  // btnAggiungi 0..2; a JobKind for the menus' kinds
  void Remove();        // btnRimuovi
  void Start();         // btnComprimi
  void Cancel();        // btnAnnulla
  void Info();          // btnInfo
  // The context menu of grid row `row` (0: the header or outside the rows),
  // and the choice of one of its items.
  std::vector<MenuItem> TableMenu(int row) const;
  void OnTableMenu(TableCommand command, int row);
  // Double-click on grid row `row`: the output window of a finished job.
  void ShowOutput(int row);
  // Leaves the jobs that did not succeed, for "Avvia" to run again.
  void RemoveSucceeded();

  // Files and folders dropped on the table: the kinds of job they make, for
  // the menu at the drop point (empty: nothing to offer); the dropped files
  // are kept for OnDropMenu, the menu's choice.
  std::vector<MenuItem> DropMenu(const std::vector<std::string>& paths);
  void OnDropMenu(TableCommand command);

  // The user closes the window: true when it may close now. During a batch
  // the batch is cancelled quietly and the window closes when it has ended.
  bool RequestClose();
  // The batch's turn, when the view's timer calls it back.
  void Step();

  JobTable& table() { return table_; }
  BatchRunner& runner() { return *runner_; }
  // Runs batches with `settings` from now on; ignored during a batch.
  void SetRunnerSettings(RunnerSettings settings);
  // File selections through `dialog` (not owned; it must outlive its use);
  // nullptr goes back to the window's own.
  void SetFileDialog(FileOpenDialog* dialog) { fileDialog_ = dialog; }
  // The geometry of the last confirmation, or the never-confirmed empty one.
  const ChsGeometry& LastGeometry() const { return geometry_; }

 private:
  // AddJobView, answered through the window.
  void SetToolbarEnabled(bool enabled) override { view_.SetToolbarEnabled(enabled); }
  std::optional<FileChoice> ShowOpen(const OpenRequest& request) override;
  std::vector<FileChoice> ShowOpenMany(const OpenRequest& request) override;
  ChsGeometry GetCHS() override;
  void ShowMessage(std::string_view text, MessageIcon icon) override { view_.ShowMessage(text, icon); }

  bool Editable() const { return !runner_->Running(); }
  bool Finished(int row) const;
  FileOpenDialog& Files() { return fileDialog_ ? *fileDialog_ : view_.SystemFileDialog(); }

  MainView& view_;
  JobTable table_;
  std::unique_ptr<BatchRunner> runner_;
  FileOpenDialog* fileDialog_ = nullptr;
  ChsGeometry geometry_;
  bool closeAfterBatch_ = false;
  DroppedFiles dropped_;
};

}  // namespace qm
