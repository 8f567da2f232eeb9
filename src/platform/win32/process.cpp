#include "platform/process.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "core/WindowsCommandLine.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/win32/CodePage.h"

namespace qm {

struct ChildProcess::State {
  UniqueHandle job;  // the unit; empty when the child has none
  UniqueHandle process;
  UniqueHandle readEnd;
  DWORD pid;
  bool waited = false;
  int status = -1;
};

namespace {

// Exit code given to a process ended here: what a POSIX shell reports for a
// process killed by signal 9, so both systems read the same, and never the
// 0 of success.
constexpr UINT kTerminatedExitCode = 128 + 9;

// Longest sleep between two looks at a silent pipe or a unit that is ending.
constexpr DWORD kPollMs = 5;

SystemError LastError(const char* call) { return SystemError{call, static_cast<long>(::GetLastError())}; }

// A job that holds the child and everything it starts; with endWithParent it
// ends them all when its last handle closes, that is when this process ends.
Result<UniqueHandle> CreateUnit(bool endWithParent) {
  UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job.valid()) return LastError("CreateJobObject");
  if (endWithParent) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
      return LastError("SetInformationJobObject");
    }
  }
  return job;
}

struct Launched {
  UniqueHandle job;
  UniqueHandle process;
  UniqueHandle readEnd;
  DWORD pid;
};

// Starts the command line suspended, puts it into its job, and only then
// lets it run: nothing it starts can escape the job.
Result<Launched> Launch(const std::wstring& application, std::wstring commandLine,
                                   const StartOptions& options) {
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  HANDLE readHandle = nullptr;
  HANDLE writeHandle = nullptr;
  if (!::CreatePipe(&readHandle, &writeHandle, &inherit, 0)) return LastError("CreatePipe");
  UniqueHandle readEnd(readHandle);
  UniqueHandle writeEnd(writeHandle);
  // Only the write end goes to the child: a read end held by the children
  // would keep the pipe open after we let go.
  if (!::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) return LastError("SetHandleInformation");
  // Standard input is the null device, so a tool that asks a question ends
  // instead of waiting for an answer nobody can give.
  UniqueHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input.valid()) return LastError("CreateFile");

  UniqueHandle job;
  if (options.ownUnit || options.endWithParent) {
    Result<UniqueHandle> unit = CreateUnit(options.endWithParent);
    if (!unit) return unit.error();
    job = std::move(*unit);
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | (options.hidden ? STARTF_USESHOWWINDOW : 0);
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input.get();
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION info{};
  // The process and thread handles are not inheritable: a later child has
  // no business holding this one.
  if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
    return LastError("CreateProcess");
  }
  UniqueHandle thread(info.hThread);
  UniqueHandle process(info.hProcess);
  if (job.valid() && !::AssignProcessToJobObject(job.get(), process.get())) {
    const SystemError error = LastError("AssignProcessToJobObject");
    ::TerminateProcess(process.get(), kTerminatedExitCode);
    return error;
  }
  ::ResumeThread(thread.get());
  return Launched{std::move(job), std::move(process), std::move(readEnd), info.dwProcessId};
}

std::wstring SystemCommandInterpreter() {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
  std::wstring path = n > 0 && n < MAX_PATH ? std::wstring(folder, n) : L"C:\\Windows\\System32";
  return path + L"\\cmd.exe";
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : s_(std::move(state)) {}
ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    ChildProcess old(std::move(*this));  // ends the process held so far
    s_ = std::move(other.s_);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (!s_ || s_->waited) return;
  Terminate();
  Wait();
}

Result<ChildProcess> ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                                         const StartOptions& options) {
  const std::optional<std::wstring> application = win32::Widen(program);
  const std::optional<std::wstring> line = win32::Widen(WindowsCommandLine(program, args));
  if (!application || !line) return SystemError{"CreateProcess", ERROR_NO_UNICODE_TRANSLATION};
  Result<Launched> launched = Launch(*application, *line, options);
  if (!launched) return launched.error();
  return ChildProcess(std::make_unique<State>(std::move(launched->job), std::move(launched->process),
                                              std::move(launched->readEnd), launched->pid));
}

// /S /C ""PATH"": cmd drops the outer pair of quotes and runs the quoted
// path as it stands, blanks, "&" and "^" in its folders included.
Result<ChildProcess> ChildProcess::StartScript(const ScriptFile& script, const std::string& /*interpreter*/) {
  const std::optional<std::wstring> path = win32::Widen(script.path());
  if (!path) return SystemError{"CreateProcess", ERROR_NO_UNICODE_TRANSLATION};
  const std::wstring cmd = SystemCommandInterpreter();
  Result<Launched> launched = Launch(cmd, L"\"" + cmd + L"\" /D /V:OFF /S /C \"\"" + *path + L"\"\"", StartOptions{});
  if (!launched) return launched.error();
  return ChildProcess(std::make_unique<State>(std::move(launched->job), std::move(launched->process),
                                              std::move(launched->readEnd), launched->pid));
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
// reused under it: only our own child can be reached.
void ChildProcess::Terminate() {
  if (s_ && !s_->waited) ::TerminateProcess(s_->process.get(), kTerminatedExitCode);
}

// Asked of each process whether it is in the job: a job cannot take a
// process it did not start, and an id reused outside it reads as outside.
// (The job's own id list is incomplete under Wine.)
std::vector<long> ChildProcess::UnitMembers() const {
  if (!s_ || !s_->job.valid()) return {};
  std::vector<long> members;
  for (const ProcessEntry& entry : ListProcesses().value_or({})) {
    UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(entry.pid)));
    BOOL in = FALSE;
    DWORD code = 0;
    if (process.valid() && ::IsProcessInJob(process.get(), s_->job.get(), &in) && in &&
        ::GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE) {
      members.push_back(entry.pid);
    }
  }
  return members;
}

bool ChildProcess::EndUnit(int waitMs) {
  if (!s_) return true;
  Terminate();
  if (!s_->job.valid()) {
    Wait();
    return true;
  }
  ::TerminateJobObject(s_->job.get(), kTerminatedExitCode);
  Wait();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!::QueryInformationJobObject(s_->job.get(), JobObjectBasicAccountingInformation, &accounting,
                                     sizeof accounting, nullptr) ||
        accounting.ActiveProcesses == 0) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::Sleep(1);
  }
}

long ChildProcess::Id() const { return s_ ? static_cast<long>(s_->pid) : -1; }

}  // namespace qm
