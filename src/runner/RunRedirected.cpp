#include "runner/RunRedirected.h"

#include <chrono>

#include "runner/KillApp.h"

namespace qm {

Result<RunRedirected> RunRedirected::Start(const ScriptFile& script, const std::string& interpreter) {
  Result<ChildProcess> child = ChildProcess::StartScript(script, interpreter);
  if (!child) return child.error();
  return RunRedirected(std::move(*child));
}

bool RunRedirected::Pump(int waitMs, int budgetMs, const std::function<void(std::string_view)>& feed) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(budgetMs);
  char buffer[kReadSize];
  int wait = waitMs;
  do {
    const ReadResult read = child_.Read(buffer, sizeof buffer, wait);
    if (read.status == ReadStatus::Timeout) return false;
    // The final, empty chunk is fed too: it marks the end of the output.
    feed(std::string_view(buffer, read.status == ReadStatus::Data ? read.n : 0));
    if (read.status == ReadStatus::Broken) return true;
    wait = 0;
  } while (Clock::now() < deadline);
  return false;
}

// The interpreter must die first: on Windows a tool ended by another program
// may report success, and an interpreter left alive would go on to the renames.
void RunRedirected::End(std::string_view toolName) {
  child_.Terminate();
  KillApp(child_, toolName);
  child_.EndUnit();
}

}  // namespace qm
