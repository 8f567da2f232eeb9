#include "platform/process.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/win32/CodePage.h"

namespace qm {

struct ChildProcess::State {
  UniqueHandle process;
  UniqueHandle readEnd;
  DWORD pid = 0;
  bool waited = false;
  int status = -1;
};

namespace {

// Exit code given to an interpreter ended by Terminate: what a POSIX shell
// reports for a process killed by signal 9, so both systems read the same.
constexpr UINT kTerminatedExitCode = 128 + 9;

// Longest sleep between two looks at a silent pipe.
constexpr DWORD kPollMs = 5;

std::string StartError(const char* what, DWORD error) {
  return std::string(what) + " failed. Error: " + std::to_string(error);
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : s_(std::move(state)) {}
ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    ChildProcess old(std::move(*this));  // ends the interpreter held so far
    s_ = std::move(other.s_);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (!s_ || s_->waited) return;
  Terminate();
  Wait();
}

// The batch file runs through CreateProcessA, which hands a .bat to the
// command interpreter. Its path is quoted (a folder such as "C:\Program
// Files\..." must not start C:\Program.exe) and converted to the ANSI code
// page; a path that has no ANSI form fails like a failed start, with
// ERROR_NO_UNICODE_TRANSLATION.
std::variant<ChildProcess, std::string> ChildProcess::Start(const std::string& batchFile) {
  const std::optional<std::string> ansi = win32::ToCodePage(batchFile, CP_ACP);
  if (!ansi || ansi->empty()) return StartError("CreateProcess", ERROR_NO_UNICODE_TRANSLATION);

  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.lpSecurityDescriptor = nullptr;
  inherit.bInheritHandle = TRUE;

  HANDLE readHandle = nullptr;
  HANDLE writeHandle = nullptr;
  if (!::CreatePipe(&readHandle, &writeHandle, &inherit, 0)) return StartError("CreatePipe", ::GetLastError());
  UniqueHandle readEnd(readHandle);
  UniqueHandle writeEnd(writeHandle);
  // Only the write end goes to the child: a read end held by the
  // interpreter and the tool would keep the pipe readable after we let go.
  if (!::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
    return StartError("CreatePipe", ::GetLastError());
  }
  // Standard input is the null device, so a tool that asks a question ends
  // instead of waiting for an answer nobody can give.
  UniqueHandle input(::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input.valid()) return StartError("CreateProcess", ::GetLastError());

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input.get();
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();

  std::string commandLine = '"' + *ansi + '"';
  PROCESS_INFORMATION info{};
  // The process and thread handles are not inheritable: a later job's
  // interpreter has no business holding this one.
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info)) {
    return StartError("CreateProcess", ::GetLastError());
  }
  UniqueHandle thread(info.hThread);

  auto state = std::make_unique<State>();
  state->process = UniqueHandle(info.hProcess);
  state->readEnd = std::move(readEnd);
  state->pid = info.dwProcessId;
  return ChildProcess(std::move(state));  // writeEnd closes here: only the child holds it now
}

// An anonymous pipe has no overlapped reads, so the wait is a poll:
// PeekNamedPipe says how much is there, and ReadFile is called only then,
// never blocking past the timeout.
ReadResult ChildProcess::Read(char* buffer, std::size_t size, int timeoutMs) {
  if (!s_ || !s_->readEnd.valid()) return {ReadStatus::Broken, 0};
  if (size == 0) return {ReadStatus::Timeout, 0};

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
  for (;;) {
    DWORD available = 0;
    // Fails with ERROR_BROKEN_PIPE once every writer has closed and the pipe
    // is empty; any other failure ends the output just the same.
    if (!::PeekNamedPipe(s_->readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) {
      return {ReadStatus::Broken, 0};
    }
    if (available > 0) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>({size, available, MAXDWORD}));
      DWORD n = 0;
      if (!::ReadFile(s_->readEnd.get(), buffer, ask, &n, nullptr)) return {ReadStatus::Broken, 0};
      if (n > 0) return {ReadStatus::Data, n};
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return {ReadStatus::Timeout, 0};
    ::Sleep(std::min<DWORD>(kPollMs, static_cast<DWORD>(left)));
  }
}

int ChildProcess::Wait() {
  if (!s_) return -1;
  if (s_->waited) return s_->status;
  DWORD code = 0;
  if (::WaitForSingleObject(s_->process.get(), INFINITE) == WAIT_OBJECT_0 &&
      ::GetExitCodeProcess(s_->process.get(), &code)) {
    s_->status = static_cast<int>(code);  // NTSTATUS crash codes come out negative
  } else {
    s_->status = -1;
  }
  s_->waited = true;
  return s_->status;
}

// The process handle stays open until the object goes, so the id cannot be
// reused under it: only our own interpreter can be reached.
void ChildProcess::Terminate() {
  if (s_ && !s_->waited) ::TerminateProcess(s_->process.get(), kTerminatedExitCode);
}

long ChildProcess::Id() const { return s_ ? static_cast<long>(s_->pid) : -1; }

}  // namespace qm
