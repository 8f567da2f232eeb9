#include "platform/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "platform/handle.h"
#include "platform/win32/CodePage.h"

namespace qm {
namespace {

// Enables the debug privilege in this process's token for its lifetime and
// then puts back exactly the state it found. Without the privilege (a
// standard user) nothing changes: our own children need none.
class DebugPrivilege {
 public:
  DebugPrivilege() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    token_.reset(token);
    TOKEN_PRIVILEGES enable{};
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA("", "SeDebugPrivilege", &enable.Privileges[0].Luid)) return;
    DWORD size = 0;
    // ERROR_NOT_ALL_ASSIGNED: the token does not hold it; nothing changed.
    if (::AdjustTokenPrivileges(token_.get(), FALSE, &enable, sizeof previous_, &previous_, &size) &&
        ::GetLastError() == ERROR_SUCCESS) {
      adjusted_ = true;
    }
  }
  ~DebugPrivilege() {
    if (adjusted_) ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
  }
  DebugPrivilege(const DebugPrivilege&) = delete;
  DebugPrivilege& operator=(const DebugPrivilege&) = delete;

 private:
  UniqueHandle token_;
  TOKEN_PRIVILEGES previous_{};
  bool adjusted_ = false;
};

}  // namespace

// The ANSI entry of the snapshot (dwSize is that of the 64-bit layout); its
// image name is converted from the ANSI code page to UTF-8.
std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> result;
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return result;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
    const std::size_t length = ::strnlen(entry.szExeFile, sizeof entry.szExeFile);
    result.push_back(ProcessEntry{static_cast<long>(entry.th32ProcessID), static_cast<long>(entry.th32ParentProcessID),
                                  win32::FromCodePage(std::string_view(entry.szExeFile, length), CP_ACP)});
    entry.dwSize = sizeof entry;
  }
  return result;
}

long CurrentProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

// Id 0 is the idle process and never one of ours.
bool KillProcess(long pid, unsigned exitCode) {
  if (pid <= 0) return false;
  DebugPrivilege privilege;
  UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(pid)));
  if (!process.valid()) return false;
  return ::TerminateProcess(process.get(), exitCode) != 0;
}

}  // namespace qm
