#include "platform/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "platform/handle.h"
#include "platform/win32/CodePage.h"

namespace qm {

// The ANSI entry of the snapshot (dwSize is that of the 64-bit layout); its
// image name is converted from the ANSI code page to UTF-8.
Result<std::vector<ProcessEntry>> ListProcesses() {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return SystemError{"CreateToolhelp32Snapshot", static_cast<long>(::GetLastError())};
  std::vector<ProcessEntry> result;
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

// A process that exists but may not be opened is still running.
bool ProcessRunning(long pid) {
  if (pid <= 0) return false;
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
  if (!process.valid()) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  return ::GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

// Id 0 is the idle process and never one of ours.
Result<void> KillProcess(long pid, unsigned exitCode) {
  if (pid <= 0) return SystemError{"OpenProcess", ERROR_INVALID_PARAMETER};
  UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
  if (!process.valid()) return SystemError{"OpenProcess", static_cast<long>(::GetLastError())};
  if (!::TerminateProcess(process.get(), exitCode)) {
    return SystemError{"TerminateProcess", static_cast<long>(::GetLastError())};
  }
  return {};
}

}  // namespace qm
