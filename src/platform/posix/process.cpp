#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/files.h"
#include "platform/posix/proc.h"

namespace qm {

struct ChildProcess::State {
  pid_t pid;
  bool ownUnit;
  UniqueHandle readEnd;
  bool reaped = false;
  int status = -1;
};

namespace {

SystemError Errno(const char* call) { return SystemError{call, errno}; }

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Where the child's script descriptor goes: the first one above the standard
// streams; the interpreter reads it as /dev/fd/3.
constexpr int kScriptFd = 3;

struct Spawned {
  pid_t pid;
  UniqueHandle readEnd;
};

struct Launch {
  std::vector<std::string> argv;  // argv[0] is the program's path
  StartOptions options;
  int scriptFd = -1;  // moved to kScriptFd in the child when not -1
};

// fork and exec, so that the child can take a parent-death signal; between
// the two it calls only async-signal-safe functions on data made before.
// A failed exec reports its errno through a close-on-exec pipe.
Result<Spawned> Spawn(const Launch& launch) {
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) return Errno("pipe");
  UniqueHandle readEnd(output[0]);
  UniqueHandle writeEnd(output[1]);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return Errno("pipe");
  UniqueHandle reportRead(report[0]);
  UniqueHandle reportWrite(report[1]);
  UniqueHandle devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!devNull.valid()) return Errno("open");

  std::vector<std::string> args = launch.argv;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  sigset_t none;
  sigemptyset(&none);

  const pid_t pid = ::fork();
  if (pid < 0) return Errno("fork");
  if (pid == 0) {
    int report = reportWrite.get();
    const auto fail = [&] {
      const int error = errno;
      (void)!::write(report, &error, sizeof error);
      ::_exit(127);
    };
    // A session and process group of its own: the unit; no terminal signal reaches it.
    if (launch.options.ownUnit && ::setsid() < 0) fail();
#if defined(__linux__)
    if (launch.options.endWithParent) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(127);
    }
#endif
    for (int s = 1; s < NSIG; ++s) ::signal(s, SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Lifted above the standard streams first, so no dup2 below meets a
    // descriptor that is already in place.
    const int in = ::fcntl(devNull.get(), F_DUPFD, 10);
    const int out = ::fcntl(writeEnd.get(), F_DUPFD, 10);
    const int script = launch.scriptFd >= 0 ? ::fcntl(launch.scriptFd, F_DUPFD, 10) : -1;
    if (in < 0 || out < 0 || (launch.scriptFd >= 0 && script < 0)) fail();
    if (::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0) fail();
    if (script >= 0 && ::dup2(script, kScriptFd) < 0) fail();
    // Nothing else is inherited, marked close-on-exec or not; the report
    // pipe, moved right above what is kept, closes by itself on exec.
    const int keep = script >= 0 ? kScriptFd + 1 : kScriptFd;
    const int moved = ::fcntl(report, F_DUPFD_CLOEXEC, keep);
    if (moved < 0) fail();
    report = moved;
    if (report > keep) ::close_range(static_cast<unsigned>(keep), static_cast<unsigned>(report - 1), 0);
    ::close_range(static_cast<unsigned>(report + 1), ~0U, 0);
    ::execv(args[0].c_str(), argv.data());
    fail();
  }

  writeEnd.reset();
  reportWrite.reset();
  int error = 0;
  ssize_t n;
  do {
    n = ::read(reportRead.get(), &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(sizeof error)) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return SystemError{"execv", error};
  }
  return Spawned{pid, std::move(readEnd)};
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : s_(std::move(state)) {}
ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    ChildProcess old(std::move(*this));  // ends and reaps the process held so far
    s_ = std::move(other.s_);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (!s_ || s_->reaped) return;
  Terminate();
  Wait();
}

Result<ChildProcess> ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                                         const StartOptions& options) {
  Launch launch{{program}, options};
  launch.argv.insert(launch.argv.end(), args.begin(), args.end());
  Result<Spawned> spawned = Spawn(launch);
  if (!spawned) return spawned.error();
  return ChildProcess(std::unique_ptr<State>(new State{spawned->pid, launch.options.ownUnit, std::move(spawned->readEnd)}));
}

Result<ChildProcess> ChildProcess::StartScript(const ScriptFile& script, const std::string& interpreter) {
  Launch launch{{interpreter.empty() ? "/bin/sh" : interpreter, "/dev/fd/" + std::to_string(kScriptFd)}, {}};
  launch.scriptFd = script.handle();
  Result<Spawned> spawned = Spawn(launch);
  if (!spawned) return spawned.error();
  return ChildProcess(std::unique_ptr<State>(new State{spawned->pid, launch.options.ownUnit, std::move(spawned->readEnd)}));
}

ReadResult ChildProcess::Read(char* buffer, std::size_t size, int timeoutMs) {
  if (!s_ || !s_->readEnd.valid()) return {ReadStatus::Broken, 0};
  if (size == 0) return {ReadStatus::Timeout, 0};

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  pollfd p{s_->readEnd.get(), POLLIN, 0};
  for (;;) {
    int wait = timeoutMs;
    if (timeoutMs > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
    const int ready = ::poll(&p, 1, wait);
    if (ready > 0) break;
    if (ready == 0) return {ReadStatus::Timeout, 0};
    if (errno != EINTR) return {ReadStatus::Broken, 0};
  }
  // Readable, hung up or failed: read tells which.
  for (;;) {
    const ssize_t n = ::read(s_->readEnd.get(), buffer, size);
    if (n > 0) return {ReadStatus::Data, static_cast<std::size_t>(n)};
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return {ReadStatus::Timeout, 0};
    return {ReadStatus::Broken, 0};
  }
}

int ChildProcess::Wait() {
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

// Until Wait has reaped it the pid cannot be reused, so the signal can only
// reach our own child (or its zombie, where it is harmless).
void ChildProcess::Terminate() {
  if (s_ && !s_->reaped) ::kill(s_->pid, SIGKILL);
}

// The group keeps the child's id for as long as one member lives, so the id
// cannot name another group meanwhile. Zombies have ended and do not count.
std::vector<long> ChildProcess::UnitMembers() const {
  if (!s_ || !s_->ownUnit) return {};
  return proc::GroupMembers(s_->pid);
}

bool ChildProcess::EndUnit(int waitMs) {
  if (!s_) return true;
  Terminate();
  if (!s_->ownUnit) {
    Wait();
    return true;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    ::kill(-s_->pid, SIGKILL);
    Wait();
    if (UnitMembers().empty()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

long ChildProcess::Id() const { return s_ ? static_cast<long>(s_->pid) : -1; }

}  // namespace qm
