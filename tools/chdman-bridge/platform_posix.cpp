#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "BridgeOs.h"
#include "platform/handle.h"

namespace qm::bridge {
namespace {

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

volatile sig_atomic_t g_signal = 0;
sigset_t g_unblocked;  // the mask to wait with: the one before CatchTerminationRequests
bool g_catching = false;

void NoteSignal(int signal) {
  if (g_signal == 0) g_signal = signal;
}

sigset_t TerminationSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kTerminationSignals) sigaddset(&set, s);
  return set;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::string StartError(const std::string& program, int error) {
  return "Error: cannot start " + program + ": " + std::strerror(error);
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

std::string OwnExecutablePath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SetEnvironment(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

char PathListSeparator() { return ':'; }

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Signal 0 checks existence only; EPERM means it exists under another user.
// A zombie has ended: it only waits for a parent (which may never come in a
// container whose first process does not reap) to collect its status.
bool ProcessRunning(long pid) {
  if (pid <= 0 || static_cast<long>(static_cast<pid_t>(pid)) != pid) return false;
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos || close + 2 >= text.size()) return true;
  const char state = text[close + 2];
  return state != 'Z' && state != 'X';
}

// A reader that has gone raises SIGPIPE, which TerminationStatus then reports.
bool WriteOutput(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The signals stay blocked except while Read waits in ppoll, so one that
// arrives at any other moment is still seen (pending) and none is lost
// between a check and the wait.
void CatchTerminationRequests() {
  if (g_catching) return;
  const sigset_t set = TerminationSet();
  ::sigprocmask(SIG_BLOCK, &set, &g_unblocked);
  for (int s : kTerminationSignals) sigdelset(&g_unblocked, s);
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  for (int s : kTerminationSignals) ::sigaction(s, &action, nullptr);
  g_catching = true;
}

int TerminationStatus() {
  if (g_signal == 0 && g_catching) {
    sigset_t pending;
    if (::sigpending(&pending) == 0) {
      for (int s : kTerminationSignals) {
        if (sigismember(&pending, s)) {
          g_signal = s;
          break;
        }
      }
    }
  }
  return g_signal == 0 ? 0 : 128 + g_signal;
}

struct ToolProcess::State {
  pid_t pid = -1;
  UniqueHandle readEnd;
  bool reaped = false;
  int status = -1;
};

ToolProcess::ToolProcess(std::unique_ptr<State> state) : s_(std::move(state)) {}
ToolProcess::ToolProcess(ToolProcess&&) noexcept = default;

ToolProcess& ToolProcess::operator=(ToolProcess&& other) noexcept {
  if (this != &other) {
    ToolProcess old(std::move(*this));
    s_ = std::move(other.s_);
  }
  return *this;
}

ToolProcess::~ToolProcess() {
  if (!s_ || s_->reaped) return;
  Kill();
  Wait();
}

std::variant<ToolProcess, std::string> ToolProcess::Start(const std::string& program,
                                                          const std::vector<std::string>& args) {
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) return StartError(program, errno);
  UniqueHandle readEnd(output[0]);
  UniqueHandle writeEnd(output[1]);
  // Carries errno of a failed exec; closed by a successful one.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return StartError(program, errno);
  UniqueHandle reportRead(report[0]);
  UniqueHandle reportWrite(report[1]);
  UniqueHandle devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!devNull.valid()) return StartError(program, errno);

  // Everything the child uses is made before fork: it may only call
  // async-signal-safe functions.
  std::vector<std::string> argStrings;
  argStrings.push_back(program);
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  sigset_t none;
  sigemptyset(&none);

  const pid_t pid = ::fork();
  if (pid < 0) return StartError(program, errno);
  if (pid == 0) {
#if defined(__linux__)
    // Killed with the bridge, so a cancelled job leaves no tool writing on.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
#endif
    for (int s : kTerminationSignals) ::signal(s, SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::dup2(devNull.get(), STDIN_FILENO) < 0 || ::dup2(writeEnd.get(), STDOUT_FILENO) < 0 ||
        ::dup2(writeEnd.get(), STDERR_FILENO) < 0) {
      const int error = errno;
      (void)!::write(reportWrite.get(), &error, sizeof error);
      ::_exit(127);
    }
    ::execv(program.c_str(), argv.data());
    const int error = errno;
    (void)!::write(reportWrite.get(), &error, sizeof error);
    ::_exit(127);
  }

  writeEnd.reset();
  reportWrite.reset();
  auto state = std::make_unique<State>();
  state->pid = pid;
  state->readEnd = std::move(readEnd);
  ToolProcess tool(std::move(state));

  int error = 0;
  ssize_t n;
  do {
    n = ::read(reportRead.get(), &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(sizeof error)) {
    tool.Wait();
    return StartError(program, error);
  }
  return tool;
}

std::size_t ToolProcess::Read(char* buffer, std::size_t size) {
  if (!s_ || !s_->readEnd.valid() || size == 0) return 0;
  pollfd p{s_->readEnd.get(), POLLIN, 0};
  for (;;) {
    if (TerminationStatus() != 0) return 0;
    const int ready = ::ppoll(&p, 1, nullptr, g_catching ? &g_unblocked : nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return 0;
    const ssize_t n = ::read(s_->readEnd.get(), buffer, size);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return 0;
  }
}

// Until Wait has reaped it the id cannot be reused, so the signal can only
// reach our own tool.
void ToolProcess::Kill() {
  if (s_ && !s_->reaped) ::kill(s_->pid, SIGKILL);
}

int ToolProcess::Wait() {
  if (!s_) return -1;
  if (s_->reaped) return s_->status;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(s_->pid, &status, 0);
  } while (r < 0 && errno == EINTR);
  s_->reaped = true;
  s_->status = r == s_->pid ? DecodeStatus(status) : -1;
  return s_->status;
}

long ToolProcess::Id() const { return s_ ? static_cast<long>(s_->pid) : -1; }

}  // namespace qm::bridge
