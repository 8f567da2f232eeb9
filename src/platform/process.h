#pragma once
// Child processes whose standard output and standard error share one pipe
// and whose standard input is the null device. A child can be started as a
// unit of its own, which holds it and whatever it starts and nothing else
// (POSIX: a new session and process group; Windows: a job object it joins
// before its first instruction), so that the whole unit can be ended.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/handle.h"

namespace qm {

class ScriptFile;

enum class ReadStatus {
  Data,     // n > 0 bytes were read
  Timeout,  // nothing arrived within the timeout; the pipe is still open
  Broken,   // every writer has closed (or the read failed): end of output
};

struct ReadResult {
  ReadStatus status;
  std::size_t n = 0;
};

struct StartOptions {
  bool ownUnit = true;         // a unit of its own (else it stays in ours)
  bool endWithParent = false;  // ended when this process ends, however it ends
  bool hidden = true;          // Windows: no console window
};

// Owns the child and the pipe's read end. Destroying it ends a child that is
// still running and reaps it.
class ChildProcess {
 public:
  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ~ChildProcess();

  // Starts `program` (a path; no search) with `args`, each of which the
  // child receives exactly (Windows: quoted for the C runtime's splitter).
  static Result<ChildProcess> Start(const std::string& program, const std::vector<std::string>& args,
                                    const StartOptions& options = {});

  // The system's interpreter on `script`, as a unit of its own. POSIX:
  // `interpreter` (empty: /bin/sh) reading the script's own descriptor;
  // Windows: cmd.exe /D /V:OFF /S /C on the script's path (no AutoRun, no
  // delayed expansion: "!" in a name stays "!").
  static Result<ChildProcess> StartScript(const ScriptFile& script, const std::string& interpreter = {});

  // Waits at most timeoutMs for output, then reads at most `size` bytes.
  // Returns Broken only when every writer has closed.
  ReadResult Read(char* buffer, std::size_t size, int timeoutMs);

  // Waits for the child to end and returns its exit status; a process ended
  // by a signal (POSIX) or by Terminate gives 128 + the signal number (137).
  int Wait();

  // Ends the child alone, at once.
  void Terminate();

  // Ids of the processes of the child's unit that have not ended (the child
  // itself among them while it runs). Empty when it has no unit.
  std::vector<long> UnitMembers() const;

  // Ends every process of the unit (the child first) and returns when none
  // is left, or after `waitMs`; false when some outlived the wait.
  bool EndUnit(int waitMs = 5000);

  long Id() const;

 private:
  struct State;
  explicit ChildProcess(std::unique_ptr<State> state);
  std::unique_ptr<State> s_;
};

}  // namespace qm
