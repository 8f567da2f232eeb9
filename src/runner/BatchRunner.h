#pragma once
// Runs every queued job, in table order, each through a batch file of its
// own; reports each job's outcome in its row and the batch's in one message.
// The batch is driven by the window's event loop: Start begins it and every
// Step reads the running job's output for a moment, or ends the job and
// begins the next, so the window and its dialogs stay live throughout.
// The images are never lost: renames run only after the tool succeeded, a
// job that does not succeed puts back an image it renamed, and its new
// temporary output is removed. The kinds of today's tool write under the
// temporary name (a file, or a folder for Estrai) and the runner gives the
// outputs their names after success, never over an existing file.

#include <memory>
#include <string>
#include <vector>

#include "core/Quoting.h"
#include "jobs/AddJob.h"
#include "jobs/JobTable.h"
#include "runner/BatchFile.h"
#include "runner/BatchView.h"
#include "runner/LastLine.h"
#include "runner/ProgressParser.h"
#include "runner/ToolLookup.h"

namespace qm {

inline constexpr std::string_view kSuccessMessage = "Operazione terminata con successo.";
inline constexpr std::string_view kCancelMessage = "Operazione annullata dall'utente.";
// Ends the message of a batch with failed jobs.
inline constexpr std::string_view kSeeOutputNote =
    "Quello che chdman ha scritto per ciascun lavoro si vede con un doppio clic sulla sua riga.";

// How long one Step may wait for a silent tool, and how long it may read
// while output keeps coming: the window's events wait at most about this long.
inline constexpr int kStepWaitMs = 10;
inline constexpr int kStepBudgetMs = 20;

struct RunnerSettings {
  std::string programFolder;  // ends in the separator; holds the tool
  std::string toolFileName;   // "chdman" or "chdman.exe"
  std::string batchFileName;  // "automate.sh" or "automate.bat": the last job's lines, kept
  Interpreter interpreter;
  // Where the batch files go when the program folder cannot be written.
  std::string fallbackFolder;
  // The interpreter's path; empty for the system's (/bin/sh, cmd.exe).
  std::string interpreterPath = {};
  // The bridge that carries the jobs out with a current tool; empty: none.
  std::string bridgePath = {};
  // Where else the tool is looked for: QUILLMERE_CHDMAN and PATH as given;
  // nullopt reads them from the environment at each start.
  std::optional<std::string> toolVariable = {};
  std::optional<std::string> toolPathList = {};
};

// The settings of the running program: its own folder, the native tool and
// interpreter, the user's private folder as fallback.
RunnerSettings NativeRunnerSettings();

class BatchRunner {
 public:
  BatchRunner(JobTable& table, BatchView& view, RunnerSettings settings);
  ~BatchRunner();

  // Click of "Avvia": begins the batch, which goes on in Step. Ignored while
  // a batch runs.
  void Start();
  // One turn of the batch, when the view calls it back (BatchView::ScheduleStep).
  void Step();
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
  struct Job;
  enum class Outcome { Succeeded, Failed, Cancelled };
  struct Failure {
    std::string image;
    std::string reason;
  };

  void BeginJob(int row);
  void PumpJob();
  void Feed(std::string_view chunk);
  // Puts back what a job that did not succeed left, marks its row, and
  // forgets it.
  void EndJob(Outcome outcome, std::string reason);
  void FailBeforeRun(int row, const std::string& image, std::string reason);
  // Why a job of today's tool may not run with this batch's tool or outputs;
  // empty when it may.
  std::string RefuseBeforeRun(JobKind kind, const std::string& made, const std::string& madeName) const;
  // After the tool succeeded: the outputs under their names. Returns why
  // that failed (nothing moved then), or empty.
  std::string PlaceOutputs(const Job& job) const;
  // The job's temporary output, file or folder with its files.
  void RemoveTemp(const Job& job) const;
  // Finds the tool for this batch; false (the message shown) when there is none.
  bool LookUpTool();
  void Finish();
  std::string Path(const std::string& folder, const std::string& name) const;

  JobTable& table_;
  BatchView& view_;
  RunnerSettings settings_;
  ProgressParser parser_;
  LastLine lastLine_;
  std::unique_ptr<Job> job_;
  bool cancelRequested_ = false;
  bool quiet_ = false;
  bool running_ = false;
  bool stepping_ = false;
  int currentJob_ = 0;
  int nextJob_ = 0;
  int lastJob_ = 0;
  int totalMax_ = 0;
  std::vector<Failure> failures_;
  std::string error_;       // the batch cannot go on: why
  std::string lastScript_;  // the last job's batch text, kept as batchFileName
  std::string scriptFolder_;
  FoundTool tool_;          // found at the start of the batch
  ToolCommand command_;
};

}  // namespace qm
