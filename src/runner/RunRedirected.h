#pragma once
// One run of a job's batch file: the interpreter, hidden, with its output and
// that of everything it starts read through one pipe in chunks of at most
// kReadSize bytes. It never blocks for long: Pump reads what has arrived and
// returns, so the window's event loop drives the job.

#include <functional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/process.h"

namespace qm {

inline constexpr std::size_t kReadSize = 256;

class RunRedirected {
 public:
  // Starts the interpreter (`interpreter`, empty for the system's) on `script`.
  static Result<RunRedirected> Start(const ScriptFile& script, const std::string& interpreter);

  // Waits at most `waitMs` for output, then reads on while more is there,
  // for at most `budgetMs` in all, handing each chunk to `feed`; the end of
  // the output is one last, empty chunk. True once the output has ended.
  bool Pump(int waitMs, int budgetMs, const std::function<void(std::string_view)>& feed);

  // The interpreter's exit status, once the output has ended.
  int ExitStatus() { return child_.Wait(); }

  // Cancel: the interpreter first (no further line of the batch file runs),
  // then each copy of `toolName` the job started, then whatever else it
  // started. Returns when nothing of the job is left (or after a few seconds).
  void End(std::string_view toolName);

 private:
  explicit RunRedirected(ChildProcess child) : child_(std::move(child)) {}
  ChildProcess child_;
};

}  // namespace qm
