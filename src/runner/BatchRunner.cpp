#include "runner/BatchRunner.h"

#include "jobs/modMain.h"
#include "platform/files.h"
#include "platform/os.h"
#include "runner/KillApp.h"
#include "runner/RunRedirected.h"

namespace qm {
namespace {

std::string JoinPath(const std::string& folder, const std::string& name, Interpreter interp) {
  const char sep = interp == Interpreter::Cmd ? '\\' : '/';
  if (!folder.empty() && folder.back() != sep) return folder + sep + name;
  return folder + name;
}

std::string FailureMessage(const std::vector<std::string>& lines) {
  std::string text = "Operazione terminata con errori. Lavori non riusciti:\n";
  for (const std::string& line : lines) text += "\n" + line;
  return text;
}

}  // namespace

RunnerSettings NativeRunnerSettings() {
  return RunnerSettings{ProgramFolder(), ToolFileName(), BatchFileName(), NativeInterpreter(),
                        PrivateFolder()};
}

BatchRunner::BatchRunner(JobTable& table, BatchView& view, RunnerSettings settings)
    : table_(table), view_(view), settings_(std::move(settings)) {}

void BatchRunner::Abort() {
  quiet_ = true;
  cancelRequested_ = true;
}

void BatchRunner::Start() {
  if (running_ || table_.JobCount() == 0) return;

  const std::string toolPath = settings_.programFolder + settings_.toolFileName;
  if (!cancelRequested_ && !FileExists(toolPath)) {
    view_.ShowMessage("Impossibile avviare i lavori: manca il programma " + toolPath + ".",
                      MessageIcon::Warning);
    return;
  }

  running_ = true;
  view_.SetAddButtonsEnabled(false);
  view_.SetBatchButtonsEnabled(false);
  table_.grid().ClearMarks();

  // Fixed at the start: rows cannot be added or removed while the batch runs.
  const int last = table_.JobCount();
  const int totalMax = last * 100;
  view_.SetTotalBar(totalMax, 0);

  std::vector<Failure> failures;
  std::string error;
  for (currentJob_ = 1; currentJob_ <= last && !cancelRequested_; ++currentJob_) {
    std::string reason;
    const JobOutcome outcome = RunJob(currentJob_, totalMax, reason);
    if (outcome == JobOutcome::Error) {
      error = reason;
      break;
    }
    const RowMark mark = outcome == JobOutcome::Succeeded ? RowMark::Succeeded
                         : outcome == JobOutcome::Failed  ? RowMark::Failed
                                                          : RowMark::Cancelled;
    table_.grid().SetMark(currentJob_, mark);
    if (outcome == JobOutcome::Failed) failures.push_back({table_.grid().TextMatrix(currentJob_, kColImage), reason});
  }
  Finish(cancelRequested_ && error.empty(), failures, error);
}

BatchRunner::JobOutcome BatchRunner::RunJob(int row, int totalMax, std::string& reason) {
  const JobCells cells = table_.Job(row);
  const BatchJob job{cells[kColImage], cells[kColAction], cells[kColTemp], cells[kColFolder], cells[kColArgs]};
  const bool isUpdate = job.action == "Update";
  const PathStyle style = settings_.interpreter == Interpreter::Cmd ? PathStyle::Windows : PathStyle::Posix;

  if (isUpdate) {
    const std::string backup = GetBaseName(job.image, false, style) + ".old";
    if (FileExists(JoinPath(job.folder, backup, settings_.interpreter))) {
      reason = "il file di backup " + backup + " esiste già; nulla è stato modificato.";
      return JobOutcome::Failed;
    }
  }
  // Only a temporary output that this job creates may be removed afterwards.
  const std::string tempPath = job.temp.empty() ? std::string() : JoinPath(job.folder, job.temp, settings_.interpreter);
  const bool tempExisted = !tempPath.empty() && FileExists(tempPath);

  const Written batchFile = WriteBatchFile(job);
  if (batchFile.path.empty()) {
    reason = batchFile.error;
    return batchFile.fatal ? JobOutcome::Error : JobOutcome::Failed;
  }

  view_.SetOperation("Update di '" + job.image + "'");
  parser_.Reset();
  lastLine_.Reset();
  const RunResult run = RunRedirected(batchFile.path, view_, parser_, lastLine_, {row, totalMax},
                                      cancelRequested_, settings_.toolFileName);

  JobOutcome outcome = JobOutcome::Succeeded;
  if (run.status == RunStatus::Cancelled) {
    outcome = JobOutcome::Cancelled;
  } else if (run.status == RunStatus::StartFailed) {
    outcome = JobOutcome::Failed;
    reason = run.message;
  } else if (run.exitStatus != 0) {
    outcome = JobOutcome::Failed;
    reason = lastLine_.Text();
    if (reason.empty()) reason = "il programma è terminato con il codice " + std::to_string(run.exitStatus) + ".";
  }
  // A cancel can land between the two renames of an update, leaving the
  // image only under its backup name; no backup existed before this job, so
  // that one is the image and goes back under its own name.
  if (isUpdate && outcome == JobOutcome::Cancelled) {
    const std::string imagePath = JoinPath(job.folder, job.image, settings_.interpreter);
    const std::string backupPath =
        JoinPath(job.folder, GetBaseName(job.image, false, style) + ".old", settings_.interpreter);
    if (!FileExists(imagePath) && FileExists(backupPath)) RenameFile(backupPath, imagePath);
  }
  if (outcome != JobOutcome::Succeeded && !tempExisted && !tempPath.empty()) RemoveFile(tempPath);
  return outcome;
}

BatchRunner::Written BatchRunner::WriteBatchFile(const BatchJob& job) {
  const std::string toolPath = settings_.programFolder + settings_.toolFileName;
  const std::string text = settings_.interpreter == Interpreter::Cmd
                               ? CmdBatchFile(job, settings_.programFolder)
                               : PosixBatchScript(job, toolPath);
  const std::optional<std::string> encoded = EncodeBatchText(text);
  if (!encoded) {
    return {{}, "un nome non si può scrivere nella codifica del prompt dei comandi; il lavoro non è stato eseguito.", false};
  }
  std::string path = settings_.programFolder + settings_.batchFileName;
  std::string error = WriteTextFile(path, *encoded);
  if (!error.empty() && !settings_.fallbackFolder.empty()) {
    path = settings_.fallbackFolder + settings_.batchFileName;
    error = WriteTextFile(path, *encoded);
  }
  if (!error.empty()) return {{}, error, true};
  return {path, {}, false};
}

void BatchRunner::Finish(bool cancelled, const std::vector<Failure>& failures, const std::string& error) {
  if (cancelled || !error.empty()) KillApp(settings_.toolFileName);
  if (!quiet_) {
    if (!error.empty()) {
      view_.ShowMessage("Operazione interrotta per un errore: " + error, MessageIcon::Stop);
    } else if (cancelled) {
      view_.ShowMessage(kCancelMessage, MessageIcon::Stop);
    } else if (failures.empty()) {
      view_.ShowMessage(kSuccessMessage, MessageIcon::Information);
    } else {
      std::vector<std::string> lines;
      for (const Failure& f : failures) lines.push_back(f.image + ": " + f.reason);
      view_.ShowMessage(FailureMessage(lines), MessageIcon::Warning);
    }
  }
  view_.SetCurrentBar(100, 0);
  view_.SetTotalBar(100, 0);
  view_.SetOperation("");
  cancelRequested_ = false;  // a cancel ends with the batch it stopped
  quiet_ = false;
  currentJob_ = 0;
  running_ = false;
  view_.SetAddButtonsEnabled(true);
  view_.SetBatchButtonsEnabled(true);
}

}  // namespace qm
