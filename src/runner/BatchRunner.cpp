#include "runner/BatchRunner.h"

#include "jobs/modMain.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/os.h"
#include "runner/RunRedirected.h"

namespace qm {
namespace {

// Names the tool that did the jobs, so the user sees which chdman said so.
std::string FailureMessage(const std::vector<std::string>& lines, const FoundTool& tool) {
  std::string text = "Operazione terminata con errori. Lavori non riusciti:\n";
  for (const std::string& line : lines) text += "\n" + line;
  text += "\n\nProgramma: " + tool.path;
  if (!tool.banner.version.empty()) text += " (chdman " + tool.banner.version + ")";
  if (tool.banner.dialect == ToolDialect::Current) text += ", tramite il ponte di Quillmere";
  text += "\n\n";
  text += kSeeOutputNote;
  return text;
}

// The per-job batch files are named after the kept one: automate-PID-N.sh.
std::pair<std::string, std::string> StemAndExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return {fileName, {}};
  return {fileName.substr(0, dot), fileName.substr(dot)};
}

}  // namespace

struct BatchRunner::Job {
  int row;
  BatchJob cells;
  std::optional<JobKind> kind;      // nullopt: a row no kind writes, which renames nothing
  std::string image, backup, temp;  // full paths; temp empty when the job names none
  std::string made;                 // a create's BASENAME.chd, full path
  ScriptFile script;
  RunRedirected run;

  bool Is(JobKind k) const { return kind == k; }
};

RunnerSettings NativeRunnerSettings() {
  const Result<std::string> fallback = PrivateFolder();
  RunnerSettings settings{ProgramFolder(), ToolFileName(), BatchFileName(), NativeInterpreter(),
                          fallback ? *fallback : std::string()};
  settings.bridgePath = settings.programFolder + BridgeFileName();
  return settings;
}

BatchRunner::BatchRunner(JobTable& table, BatchView& view, RunnerSettings settings)
    : table_(table), view_(view), settings_(std::move(settings)) {}

BatchRunner::~BatchRunner() {
  // A window that goes during a batch takes its job with it, image put back.
  if (job_) {
    job_->run.End(settings_.toolFileName);
    quiet_ = true;
    EndJob(Outcome::Cancelled, {});
  }
}

void BatchRunner::Abort() {
  quiet_ = true;
  cancelRequested_ = true;
}

std::string BatchRunner::Path(const std::string& folder, const std::string& name) const {
  const char sep = settings_.interpreter == Interpreter::Cmd ? '\\' : '/';
  if (!folder.empty() && folder.back() != sep) return folder + sep + name;
  return folder + name;
}

bool BatchRunner::LookUpTool() {
  const bool windows = settings_.interpreter == Interpreter::Cmd;
  const ToolSearch search{settings_.programFolder,
                          settings_.toolFileName,
                          settings_.toolVariable ? settings_.toolVariable : GetEnvironment(kToolVariable),
                          settings_.toolPathList.value_or(GetEnvironment("PATH").value_or("")),
                          PathListSeparator(),
                          windows ? '\\' : '/'};
  const std::string hint =
      windows ? "Copiare chdman.exe di MAME nella cartella di quillmere.exe (" + settings_.programFolder + ")."
              : std::string("Installare chdman: su Debian il pacchetto mame-tools (sudo apt install mame-tools).");
  ToolLookup lookup = FindTool(search, {IsExecutableFile, ProbeTool}, hint);
  if (lookup.tool && lookup.tool->banner.dialect == ToolDialect::Current && !FileExists(settings_.bridgePath)) {
    lookup = {std::nullopt, "Impossibile avviare i lavori: " + lookup.tool->path + " è un chdman di oggi e il ponte " +
                                settings_.bridgePath + " che lo usa non c'è."};
  }
  if (!lookup.tool) {
    view_.ShowMessage(lookup.message, MessageIcon::Warning);
    return false;
  }
  tool_ = *lookup.tool;
  command_ = tool_.banner.dialect == ToolDialect::Old ? ToolCommand{tool_.path, {}}
                                                       : ToolCommand{settings_.bridgePath, tool_.path};
  return true;
}

void BatchRunner::Start() {
  if (running_ || table_.JobCount() == 0) return;
  if (!cancelRequested_ && !LookUpTool()) return;

  running_ = true;
  view_.SetAddButtonsEnabled(false);
  view_.SetBatchButtonsEnabled(false);
  table_.grid().ClearMarks();
  table_.ClearOutputs();
  failures_.clear();
  error_.clear();
  lastScript_.clear();

  // Fixed at the start: rows cannot be added or removed while the batch runs.
  lastJob_ = table_.JobCount();
  nextJob_ = 1;
  totalMax_ = lastJob_ * 100;
  view_.SetTotalBar(totalMax_, 0);
  if (cancelRequested_) {
    Finish();  // a cancel pressed while idle stops this batch before its first job
    return;
  }
  view_.ScheduleStep(0);
}

void BatchRunner::Step() {
  if (!running_ || stepping_) return;
  stepping_ = true;
  if (job_) {
    PumpJob();
  } else if (cancelRequested_ || !error_.empty() || nextJob_ > lastJob_) {
    Finish();
  } else {
    BeginJob(nextJob_++);
  }
  stepping_ = false;
  if (running_) view_.ScheduleStep(0);
}

void BatchRunner::FailBeforeRun(int row, const std::string& image, std::string reason) {
  table_.grid().SetMark(row, RowMark::Failed);
  table_.Output(row).Feed(reason + "\n");
  failures_.push_back({image, std::move(reason)});
}

void BatchRunner::BeginJob(int row) {
  currentJob_ = row;
  const JobCells cells = table_.Job(row);
  BatchJob job{cells[kColImage], cells[kColAction], cells[kColTemp], cells[kColFolder], cells[kColArgs]};
  const std::optional<JobKind> kind = KindOfAction(job.action);
  const bool update = kind == JobKind::Update;
  const PathStyle style = settings_.interpreter == Interpreter::Cmd ? PathStyle::Windows : PathStyle::Posix;
  const std::string baseName = GetBaseName(job.image, false, style);
  const std::string backupName = baseName + ".old";
  const std::string image = Path(job.folder, job.image);
  const std::string backup = Path(job.folder, backupName);
  const std::string temp = job.temp.empty() ? std::string() : Path(job.folder, job.temp);
  const bool creates = kind == JobKind::CreateCd || kind == JobKind::CreateDvd;
  const std::string madeName = creates ? baseName + ".chd" : std::string();
  const std::string made = creates ? Path(job.folder, madeName) : std::string();

  // Nothing of the user's is overwritten, moved or removed: a backup or an
  // output name that is already taken stops the job before anything runs.
  if (update && FileExists(backup)) {
    return FailBeforeRun(row, job.image, "il file di backup " + backupName + " esiste già; nulla è stato modificato.");
  }
  if (kind && IsCurrentKind(*kind)) {
    if (std::string refused = RefuseBeforeRun(*kind, made, madeName); !refused.empty())
      return FailBeforeRun(row, job.image, std::move(refused));
  }
  if (!temp.empty() && FileExists(temp)) {
    return FailBeforeRun(row, job.image,
                         "il file temporaneo " + job.temp + " esiste già; nulla è stato modificato.");
  }

  const std::string text = settings_.interpreter == Interpreter::Cmd ? CmdBatchFile(job, command_)
                                                                     : PosixBatchScript(job, command_);
  const std::optional<std::string> encoded = EncodeBatchText(text);
  if (!encoded) {
    return FailBeforeRun(row, job.image,
                         "un nome non si può scrivere nella codifica del prompt dei comandi; il lavoro non è stato "
                         "eseguito.");
  }
  const auto [stem, extension] = StemAndExtension(settings_.batchFileName);
  std::string folder = settings_.programFolder;
  Result<ScriptFile> script = ScriptFile::Create(folder, stem, extension, *encoded);
  if (!script && !settings_.fallbackFolder.empty()) {
    folder = settings_.fallbackFolder;
    script = ScriptFile::Create(folder, stem, extension, *encoded);
  }
  if (!script) {
    error_ = "impossibile scrivere il file dei comandi in " + folder + " (" + SystemMessage(script.error().code) + ").";
    return;
  }
  lastScript_ = *encoded;
  scriptFolder_ = folder;

  view_.SetOperation(kind && IsCurrentKind(*kind) ? std::string(ActionOf(*kind)) + ": '" + job.image + "'"
                                                  : "Update di '" + job.image + "'");
  parser_.Reset();
  lastLine_.Reset();
  Result<RunRedirected> run = RunRedirected::Start(*script, settings_.interpreterPath);
  if (!run) return FailBeforeRun(row, job.image, FailedCall(run.error()));
  job_.reset(new Job{row, std::move(job), kind, image, backup, temp, made, std::move(*script), std::move(*run)});
}

void BatchRunner::Feed(std::string_view chunk) {
  if (auto bars = parser_.Feed(chunk, currentJob_, totalMax_)) {
    view_.SetCurrentBar(bars->currentMax, bars->currentValue);
    view_.SetTotalBar(totalMax_, bars->totalValue);
  }
  lastLine_.Feed(chunk);
  table_.Output(currentJob_).Feed(chunk);
}

void BatchRunner::PumpJob() {
  // Output that has ended means the job is over: its outcome stands even
  // when a cancel arrived meanwhile; the cancel then stops the next job.
  if (job_->run.Pump(kStepWaitMs, kStepBudgetMs, [this](std::string_view chunk) { Feed(chunk); })) {
    const int status = job_->run.ExitStatus();
    if (status == 0) {
      std::string unplaced = PlaceOutputs(*job_);
      const Outcome outcome = unplaced.empty() ? Outcome::Succeeded : Outcome::Failed;
      return EndJob(outcome, std::move(unplaced));
    }
    std::string reason = lastLine_.Text();
    if (reason.empty()) reason = "il programma è terminato con il codice " + std::to_string(status) + ".";
    return EndJob(Outcome::Failed, std::move(reason));
  }
  if (cancelRequested_) {
    job_->run.End(settings_.toolFileName);
    EndJob(Outcome::Cancelled, {});
  }
}

void BatchRunner::EndJob(Outcome outcome, std::string reason) {
  Job& job = *job_;
  if (outcome != Outcome::Succeeded) {
    // Nothing of the job runs any more. No backup existed before it, so one
    // that stands where the image is missing is the image: it goes back.
    if (job.Is(JobKind::Update) && !FileExists(job.image) && FileExists(job.backup))
      (void)RenameFile(job.backup, job.image);
    // No output of that name existed before it either: what is there is its own.
    if (!job.temp.empty() && FileExists(job.temp)) RemoveTemp(job);
  }
  const RowMark mark = outcome == Outcome::Succeeded ? RowMark::Succeeded
                       : outcome == Outcome::Failed  ? RowMark::Failed
                                                     : RowMark::Cancelled;
  table_.grid().SetMark(job.row, mark);
  if (outcome == Outcome::Failed) failures_.push_back({job.cells.image, std::move(reason)});
  job_.reset();
}

std::string BatchRunner::RefuseBeforeRun(JobKind kind, const std::string& made, const std::string& madeName) const {
  if (tool_.banner.dialect == ToolDialect::Old) {
    return std::string(ActionOf(kind)) + " richiede il chdman di oggi, ma " + tool_.path +
           (tool_.banner.version.empty() ? "" : " (chdman " + tool_.banner.version + ")") +
           " ha la vecchia riga di comando; il lavoro non è stato eseguito.";
  }
  if (!made.empty() && FileExists(made)) return "il file " + madeName + " esiste già; nulla è stato modificato.";
  return {};
}

std::string BatchRunner::PlaceOutputs(const Job& job) const {
  if (!job.made.empty()) {
    if (!FileExists(job.temp)) return "chdman non ha scritto il file " + job.cells.temp + ".";
    if (Result<void> renamed = RenameFile(job.temp, job.made); !renamed)
      return "impossibile dare il nome finale a " + job.cells.temp + " (" + SystemMessage(renamed.error().code) + ").";
    return {};
  }
  if (!job.Is(JobKind::Extract)) return {};
  const Result<std::vector<std::string>> names = FolderEntries(job.temp);
  if (!names) return "chdman non ha scritto la cartella " + job.cells.temp + ".";
  if (names->empty()) return "chdman non ha estratto alcun file.";
  // All or nothing: no name may be taken, and a move that fails takes back
  // those made before it.
  for (const std::string& name : *names) {
    if (FileExists(Path(job.cells.folder, name)))
      return "il file " + name + " esiste già; nessun file estratto è stato spostato.";
  }
  std::vector<std::string> moved;
  for (const std::string& name : *names) {
    if (Result<void> renamed = RenameFile(Path(job.temp, name), Path(job.cells.folder, name)); !renamed) {
      for (auto it = moved.rbegin(); it != moved.rend(); ++it)
        (void)RenameFile(Path(job.cells.folder, *it), Path(job.temp, *it));
      return "impossibile spostare " + name + " (" + SystemMessage(renamed.error().code) +
             "); nessun file estratto è stato spostato.";
    }
    moved.push_back(name);
  }
  (void)RemoveFolder(job.temp);
  return {};
}

void BatchRunner::RemoveTemp(const Job& job) const {
  if (!job.Is(JobKind::Extract)) {
    (void)RemoveFile(job.temp);
    return;
  }
  if (const Result<std::vector<std::string>> names = FolderEntries(job.temp)) {
    for (const std::string& name : *names) (void)RemoveFile(Path(job.temp, name));
  }
  (void)RemoveFolder(job.temp);
}

void BatchRunner::Finish() {
  const bool cancelled = cancelRequested_ && error_.empty();
  // The last job's lines stay readable under the kept name; that file never runs.
  if (!lastScript_.empty()) (void)ReplaceAtomically(scriptFolder_ + settings_.batchFileName, lastScript_);
  if (!quiet_) {
    if (!error_.empty()) {
      view_.ShowMessage("Operazione interrotta per un errore: " + error_, MessageIcon::Stop);
    } else if (cancelled) {
      view_.ShowMessage(kCancelMessage, MessageIcon::Stop);
    } else if (failures_.empty()) {
      view_.ShowMessage(kSuccessMessage, MessageIcon::Information);
    } else {
      std::vector<std::string> lines;
      for (const Failure& f : failures_) lines.push_back(f.image + ": " + f.reason);
      view_.ShowMessage(FailureMessage(lines, tool_), MessageIcon::Warning);
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
