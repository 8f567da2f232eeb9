#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "BridgeOs.h"
#include "core/WindowsCommandLine.h"
#include "platform/handle.h"
#include "platform/win32/CodePage.h"

namespace qm::bridge {
namespace {

// Exit status for a console event, as a POSIX shell reports SIGINT; 141
// (SIGPIPE) for a reader that has gone.
constexpr int kConsoleEventStatus = 128 + 2;
constexpr int kReaderGoneStatus = 128 + 13;
// Exit code given to a tool ended by Kill, as for SIGKILL.
constexpr UINT kKilledExitCode = 128 + 9;

volatile LONG g_status = 0;

// Runs on a thread of its own. The tool shares the console and receives the
// same event, so it ends by itself and Read sees its output close.
BOOL WINAPI OnConsoleEvent(DWORD) {
  ::InterlockedCompareExchange(&g_status, kConsoleEventStatus, 0);
  return TRUE;
}

struct LocalFreer {
  void operator()(void* p) const { ::LocalFree(p); }
};

std::string StartError(const std::string& program, DWORD error) {
  return "Error: cannot start " + program + ": " + win32::ErrorText(error);
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  std::unique_ptr<LPWSTR, LocalFreer> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::string> args;
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(win32::Narrow(argv.get()[i]));
  return args;
}

std::string OwnExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return win32::Narrow(std::wstring_view(buffer.data(), n));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::string> GetEnvironment(const std::string& name) {
  const std::optional<std::wstring> wideName = win32::Widen(name);
  if (!wideName) return std::nullopt;
  const DWORD size = ::GetEnvironmentVariableW(wideName->c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD n = ::GetEnvironmentVariableW(wideName->c_str(), value.data(), size);
  if (n >= size) return std::nullopt;
  value.resize(n);
  return win32::Narrow(value);
}

void SetEnvironment(const std::string& name, const std::string& value) {
  const auto wideName = win32::Widen(name);
  const auto wideValue = win32::Widen(value);
  if (wideName && wideValue) ::SetEnvironmentVariableW(wideName->c_str(), wideValue->c_str());
}

char PathListSeparator() { return ';'; }

bool IsExecutableFile(const std::string& path) {
  const auto wide = win32::Widen(path);
  if (!wide) return false;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A process that exists but may not be opened is still running.
bool ProcessRunning(long pid) {
  if (pid <= 0) return false;
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
  if (!process.valid()) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  return ::GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

bool WriteOutput(const char* data, std::size_t size) {
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  while (size > 0) {
    DWORD written = 0;
    const DWORD ask = size > 65536 ? 65536 : static_cast<DWORD>(size);
    if (!::WriteFile(out, data, ask, &written, nullptr) || written == 0) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE) {
        ::InterlockedCompareExchange(&g_status, kReaderGoneStatus, 0);
      }
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

void CatchTerminationRequests() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

int TerminationStatus() { return static_cast<int>(::InterlockedCompareExchange(&g_status, 0, 0)); }

struct ToolProcess::State {
  UniqueHandle job;
  UniqueHandle process;
  UniqueHandle readEnd;
  DWORD pid = 0;
  bool waited = false;
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
  if (!s_ || s_->waited) return;
  Kill();
  Wait();
}

std::variant<ToolProcess, std::string> ToolProcess::Start(const std::string& program,
                                                          const std::vector<std::string>& args) {
  const auto wideProgram = win32::Widen(program);
  auto wideLine = win32::Widen(WindowsCommandLine(program, args));
  if (!wideProgram || !wideLine) return StartError(program, ERROR_NO_UNICODE_TRANSLATION);

  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  HANDLE readHandle = nullptr;
  HANDLE writeHandle = nullptr;
  if (!::CreatePipe(&readHandle, &writeHandle, &inherit, 0)) return StartError(program, ::GetLastError());
  UniqueHandle readEnd(readHandle);
  UniqueHandle writeEnd(writeHandle);
  if (!::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) return StartError(program, ::GetLastError());
  UniqueHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input.valid()) return StartError(program, ::GetLastError());

  // The tool ends when the last handle to its job closes: when the bridge
  // ends, however it ends.
  UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
  if (job.valid()) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.reset();
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(wideProgram->c_str(), wideLine->data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info)) {
    return StartError(program, ::GetLastError());
  }
  UniqueHandle thread(info.hThread);
  auto state = std::make_unique<State>();
  state->process = UniqueHandle(info.hProcess);
  state->readEnd = std::move(readEnd);
  state->pid = info.dwProcessId;
  // Without a job (or where nesting is refused) the tool still runs; only the
  // guarantee of ending with the bridge is lost.
  if (job.valid() && ::AssignProcessToJobObject(job.get(), state->process.get())) state->job = std::move(job);
  ::ResumeThread(thread.get());
  return ToolProcess(std::move(state));  // writeEnd closes here: only the tool holds it now
}

std::size_t ToolProcess::Read(char* buffer, std::size_t size) {
  if (!s_ || !s_->readEnd.valid() || size == 0 || TerminationStatus() != 0) return 0;
  const DWORD ask = size > 65536 ? 65536 : static_cast<DWORD>(size);
  for (;;) {
    DWORD n = 0;
    // Fails with ERROR_BROKEN_PIPE once every writer has closed.
    if (!::ReadFile(s_->readEnd.get(), buffer, ask, &n, nullptr)) return 0;
    if (n > 0) return n;  // a zero-byte write reads as 0 bytes: not the end
    if (TerminationStatus() != 0) return 0;
  }
}

void ToolProcess::Kill() {
  if (s_ && !s_->waited) ::TerminateProcess(s_->process.get(), kKilledExitCode);
}

int ToolProcess::Wait() {
  if (!s_) return -1;
  if (s_->waited) return s_->status;
  DWORD code = 0;
  if (::WaitForSingleObject(s_->process.get(), INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeProcess(s_->process.get(), &code)) {
    s_->status = static_cast<int>(code);
  } else {
    s_->status = -1;
  }
  s_->waited = true;
  return s_->status;
}

long ToolProcess::Id() const { return s_ ? static_cast<long>(s_->pid) : -1; }

}  // namespace qm::bridge
