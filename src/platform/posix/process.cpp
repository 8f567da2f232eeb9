#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

extern char** environ;

namespace qm {

struct ChildProcess::State {
  pid_t pid = -1;
  UniqueHandle readEnd;
  bool reaped = false;
  int status = -1;
};

namespace {

std::string StartError(const char* what, int error) {
  return std::string(what) + " failed. Error: " + std::to_string(error);
}

// Moves a descriptor to 3 or above, so that the dup2 onto 0, 1 and 2 in the
// child never meets a descriptor that is already in place (a parent started
// with a standard stream closed gets 0..2 back from pipe2 and open).
bool LiftAboveStdio(UniqueHandle& fd) {
  if (fd.get() > 2) return true;
  const int lifted = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
  if (lifted < 0) return false;
  fd.reset(lifted);
  return true;
}

// Owners of the spawn attribute objects, destroyed on every path.
struct SpawnActions {
  posix_spawn_file_actions_t a;
  SpawnActions() { posix_spawn_file_actions_init(&a); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&a); }
};
struct SpawnAttributes {
  posix_spawnattr_t a;
  SpawnAttributes() { posix_spawnattr_init(&a); }
  ~SpawnAttributes() { posix_spawnattr_destroy(&a); }
};

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
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
  ::kill(s_->pid, SIGKILL);
  Wait();
}

std::variant<ChildProcess, std::string> ChildProcess::Start(const std::string& batchFile) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return StartError("CreatePipe", errno);
  UniqueHandle readEnd(fds[0]);
  UniqueHandle writeEnd(fds[1]);
  UniqueHandle devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!devNull.valid()) return StartError("CreateProcess", errno);
  if (!LiftAboveStdio(readEnd) || !LiftAboveStdio(writeEnd) || !LiftAboveStdio(devNull)) {
    return StartError("CreatePipe", errno);
  }

  // The child gets /dev/null, the write end twice, and nothing else: every
  // descriptor from 3 up is closed whether or not it was marked close-on-exec.
  SpawnActions actions;
  posix_spawn_file_actions_adddup2(&actions.a, devNull.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions.a, writeEnd.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions.a, writeEnd.get(), STDERR_FILENO);
  posix_spawn_file_actions_addclosefrom_np(&actions.a, 3);

  // A session of its own (no terminal signals reach it), default signal
  // handling and an empty mask whatever this program has set for itself.
  SpawnAttributes attributes;
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes.a, &none);
  posix_spawnattr_setsigdefault(&attributes.a, &all);
  posix_spawnattr_setflags(&attributes.a,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  // sh would read a leading "-" as an option; "./" keeps the same file.
  std::string script = batchFile;
  if (!script.empty() && script.front() == '-') script.insert(0, "./");
  char shName[] = "sh";
  char* argv[] = {shName, script.data(), nullptr};

  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, "/bin/sh", &actions.a, &attributes.a, argv, environ);
  if (error != 0) return StartError("CreateProcess", error);

  auto state = std::make_unique<State>();
  state->pid = pid;
  state->readEnd = std::move(readEnd);
  return ChildProcess(std::move(state));  // writeEnd closes here: only the child holds it now
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
// reach our own interpreter (or its zombie, where it is harmless).
void ChildProcess::Terminate() {
  if (s_ && !s_->reaped) ::kill(s_->pid, SIGKILL);
}

long ChildProcess::Id() const { return s_ ? static_cast<long>(s_->pid) : -1; }

}  // namespace qm
