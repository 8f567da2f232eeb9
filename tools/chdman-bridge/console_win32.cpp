#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "BridgeOs.h"
#include "platform/win32/CodePage.h"

namespace qm::bridge {
namespace {

// Exit status for a console event, as a POSIX shell reports SIGINT; 141
// (SIGPIPE) for a reader that has gone.
constexpr int kConsoleEventStatus = 128 + 2;
constexpr int kReaderGoneStatus = 128 + 13;

volatile LONG g_status = 0;

// Runs on a thread of its own. The tool shares the console and receives the
// same event.
BOOL WINAPI OnConsoleEvent(DWORD) {
  ::InterlockedCompareExchange(&g_status, kConsoleEventStatus, 0);
  return TRUE;
}

struct LocalFreer {
  void operator()(void* p) const { ::LocalFree(p); }
};

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  std::unique_ptr<LPWSTR, LocalFreer> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::string> args;
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(win32::Narrow(argv.get()[i]));
  return args;
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

}  // namespace qm::bridge
