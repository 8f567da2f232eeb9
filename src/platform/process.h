#pragma once
// Running the per-job batch file as a hidden child whose standard output and
// standard error share one pipe. The child is the system's command
// interpreter; the tool runs as its child and inherits the pipe.

#include <cstddef>
#include <memory>
#include <string>
#include <variant>

#include "platform/handle.h"

namespace qm {

enum class ReadStatus {
  Data,     // n > 0 bytes were read
  Timeout,  // nothing arrived within the timeout; the pipe is still open
  Broken,   // every writer has closed (or the read failed): end of output
};

struct ReadResult {
  ReadStatus status;
  std::size_t n = 0;
};

// A started batch file: owns the interpreter process and the pipe's read end.
// Destroying it terminates an interpreter that is still running and reaps it.
class ChildProcess {
 public:
  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ~ChildProcess();

  // Starts the interpreter on `batchFile` (POSIX: /bin/sh with the path as its
  // one argument, standard input from /dev/null; Windows: CreateProcessA on
  // the quoted path, hidden). On failure returns the message to show, such as
  // "CreateProcess failed. Error: 2".
  static std::variant<ChildProcess, std::string> Start(const std::string& batchFile);

  // Waits at most timeoutMs for output, then reads at most `size` bytes.
  // Returns Broken only when every writer has closed.
  ReadResult Read(char* buffer, std::size_t size, int timeoutMs);

  // Waits for the interpreter to end and returns its exit status; a process
  // ended by a signal (POSIX) gives 128 + the signal number.
  int Wait();

  // Ends the interpreter at once (no further line of the batch file runs).
  void Terminate();

  // Process id of the interpreter.
  long Id() const;

 private:
  struct State;
  explicit ChildProcess(std::unique_ptr<State> state);
  std::unique_ptr<State> s_;
};

}  // namespace qm
