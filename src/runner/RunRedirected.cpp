#include "runner/RunRedirected.h"

#include <variant>

#include "platform/process.h"
#include "runner/KillApp.h"

namespace qm {
namespace {

// The tool's parent must die first: on Windows a terminated tool exits with
// code 0, and an interpreter left alive would go on to the renames. The
// descendants are listed before, while the interpreter still links them to us.
void EndJob(ChildProcess& child, std::string_view toolName) {
  const std::vector<long> tools = MatchingDescendants(ListProcesses(), CurrentProcessId(), toolName);
  child.Terminate();
  for (long pid : tools) KillProcess(pid, 0);
  // A tool started between the listing and the interpreter's end.
  KillApp(toolName);
}

}  // namespace

RunResult RunRedirected(const std::string& batchFile, BatchView& view, ProgressParser& parser,
                        LastLine& lastLine, JobProgress progress, const bool& cancelRequested,
                        std::string_view toolName) {
  auto started = ChildProcess::Start(batchFile);
  if (auto* error = std::get_if<std::string>(&started)) {
    return RunResult{RunStatus::StartFailed, -1, *error};
  }
  ChildProcess& child = std::get<ChildProcess>(started);

  char buffer[kReadSize];
  for (;;) {
    const ReadResult read = child.Read(buffer, sizeof buffer, kServiceIntervalMs);
    if (read.status != ReadStatus::Timeout) {
      // The final, empty chunk is parsed too: it marks the end of the output.
      const std::string_view chunk(buffer, read.status == ReadStatus::Data ? read.n : 0);
      if (auto bars = parser.Feed(chunk, progress.currentJob, progress.totalMax)) {
        view.SetCurrentBar(bars->currentMax, bars->currentValue);
        view.SetTotalBar(progress.totalMax, bars->totalValue);
      }
      lastLine.Feed(chunk);
    }
    view.ServiceEvents();
    // Output that has ended means the job is over: its outcome stands even
    // when a cancel arrived meanwhile; the cancel then stops the next job.
    if (read.status == ReadStatus::Broken) break;
    if (cancelRequested) {
      EndJob(child, toolName);
      return RunResult{RunStatus::Cancelled, -1, {}};
    }
  }
  return RunResult{RunStatus::Finished, child.Wait(), {}};
}

}  // namespace qm
