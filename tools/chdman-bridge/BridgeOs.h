#pragma once
// What the bridge needs of the operating system. Implemented in
// platform_posix.cpp and platform_win32.cpp; CMake picks one.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qm::bridge {

// This process's arguments after the program name, as UTF-8 (Windows: from
// the UTF-16 command line, whatever the code pages).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Full path of this executable; empty when the system does not tell.
std::string OwnExecutablePath();

// An environment variable as UTF-8; nullopt when unset.
std::optional<std::string> GetEnvironment(const std::string& name);
// Sets a variable for this process and the children it starts.
void SetEnvironment(const std::string& name, const std::string& value);
// Separator of PATH entries: ':' or ';'.
char PathListSeparator();

// A regular file this process may run (POSIX: with execute permission).
bool IsExecutableFile(const std::string& path);
// True when a process with this id exists and has not ended (also one of
// another user); a zombie has ended.
bool ProcessRunning(long pid);

// Writes the bytes to standard output unchanged and unbuffered; false when it
// cannot. A reader that has gone counts as a termination request.
bool WriteOutput(const char* data, std::size_t size);

// From now on a request to end this process (POSIX: SIGINT, SIGTERM, SIGHUP,
// SIGPIPE; Windows: the console's Ctrl+C, Ctrl+Break and close events) does
// not end this process at once: Read returns, the running tool is ended, and
// TerminationStatus() tells.
void CatchTerminationRequests();
// 0 until such a request arrived; then 128 + the signal number (POSIX) or
// 128 + 2 (Windows, as for SIGINT).
int TerminationStatus();

// A started tool whose standard output and standard error share one pipe
// and whose standard input is the null device. It cannot outlive the bridge:
// POSIX: it gets SIGKILL when the bridge dies (Linux); Windows: it runs in
// a job object that ends with the bridge.
class ToolProcess {
 public:
  ToolProcess(ToolProcess&&) noexcept;
  ToolProcess& operator=(ToolProcess&&) noexcept;
  ~ToolProcess();  // kills and reaps a tool still running

  // Starts `program` with `args` (argv[0] is the program). On failure returns
  // the message to show.
  static std::variant<ToolProcess, std::string> Start(const std::string& program,
                                                      const std::vector<std::string>& args);

  // Reads at most `size` bytes. 0 when every writer has closed, or when a
  // termination request arrived (TerminationStatus() is then non-zero).
  std::size_t Read(char* buffer, std::size_t size);
  // Ends the tool at once.
  void Kill();
  // The tool's process id.
  long Id() const;
  // Waits for the tool and returns its exit status (128 + signal for a tool
  // ended by a signal).
  int Wait();

 private:
  struct State;
  explicit ToolProcess(std::unique_ptr<State> state);
  std::unique_ptr<State> s_;
};

}  // namespace qm::bridge
