#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "BridgeOs.h"

namespace qm::bridge {
namespace {

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

int g_signal = 0;
bool g_catching = false;

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
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

// The signals stay blocked and are looked for as pending, so none is lost
// and none ends the bridge before it has ended its tool and cleaned up.
// A started tool gets the default handling back.
void CatchTerminationRequests() {
  if (g_catching) return;
  sigset_t set;
  sigemptyset(&set);
  for (int s : kTerminationSignals) sigaddset(&set, s);
  ::sigprocmask(SIG_BLOCK, &set, nullptr);
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

}  // namespace qm::bridge
