#pragma once
// Runs every queued job, in table order, through a per-job batch file in the
// program folder; reports each job's outcome in its row and the batch's in one
// message. The images are never lost: renames run only after the tool
// succeeded, and a failed or cancelled job's new temporary output is removed.

#include <string>
#include <vector>

#include "core/Quoting.h"
#include "jobs/JobTable.h"
#include "runner/BatchFile.h"
#include "runner/BatchView.h"
#include "runner/LastLine.h"
#include "runner/ProgressParser.h"

namespace qm {

inline constexpr std::string_view kSuccessMessage = "Operazione terminata con successo.";
inline constexpr std::string_view kCancelMessage = "Operazione annullata dall'utente.";

struct RunnerSettings {
  std::string programFolder;  // ends in the separator; holds the tool
  std::string toolFileName;   // "chdman" or "chdman.exe"
  std::string batchFileName;  // "automate.sh" or "automate.bat"
  Interpreter interpreter;
  // Where the batch file goes when the program folder cannot be written.
  std::string fallbackFolder;
};

// The settings of the running program: its own folder, the native tool and
// interpreter, the user's private folder as fallback.
RunnerSettings NativeRunnerSettings();

class BatchRunner {
 public:
  BatchRunner(JobTable& table, BatchView& view, RunnerSettings settings);

  // Click of "Avvia": runs the whole batch and returns when it has ended.
  // Ignored while a batch runs.
  void Start();
  // Click of "Annulla": only raises the flag; the running batch (or the next
  // start, when idle) takes the cancel path.
  void Cancel() { cancelRequested_ = true; }
  // Cancels like Cancel() but ends without the cancel message: for closing
  // the window during a batch.
  void Abort();

  bool Running() const { return running_; }
  bool CancelRequested() const { return cancelRequested_; }
  int CurrentJob() const { return currentJob_; }
  const RunnerSettings& settings() const { return settings_; }

 private:
  struct Failure {
    std::string image;
    std::string reason;
  };
  // Error: the batch cannot go on (the batch file cannot be written anywhere).
  enum class JobOutcome { Succeeded, Failed, Cancelled, Error };

  JobOutcome RunJob(int row, int totalMax, std::string& reason);
  struct Written {
    std::string path;   // empty when nothing was written
    std::string error;  // why not
    bool fatal;         // true: no job can run (no folder takes the file)
  };
  Written WriteBatchFile(const BatchJob& job);
  void Finish(bool cancelled, const std::vector<Failure>& failures, const std::string& error);

  JobTable& table_;
  BatchView& view_;
  RunnerSettings settings_;
  ProgressParser parser_;
  LastLine lastLine_;
  bool cancelRequested_ = false;
  bool quiet_ = false;
  bool running_ = false;
  int currentJob_ = 0;
};

}  // namespace qm
