// The bridge: takes the tool's old command line, runs the current chdman.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <variant>

#include "Bridge.h"
#include "BridgeOs.h"
#include "FileCopy.h"
#include "OldCommand.h"
#include "ProcessToolRunner.h"
#include "ToolLocator.h"
#include "Utf8Path.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace {

using namespace qm::bridge;
using qm::GetEnvironment;

// Set for the tools the bridge starts: a bridge that finds it set was started
// by a bridge, which means the "current chdman" found was a bridge too.
constexpr const char* kNestedVariable = "QUILLMERE_CHDMAN_BRIDGE";
constexpr const char* kCopyPauseVariable = "QUILLMERE_BRIDGE_COPY_PAUSE_MS";

void Write(std::string_view text) { WriteOutput(text.data(), text.size()); }

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !b.empty() && std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), ec);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = CommandLineArguments(argc, argv);
  const auto parsed = ParseOldCommand(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    Write(Usage() + *error + "\n");
    return kExitFailure;
  }
  if (GetEnvironment(kNestedVariable)) {
    Write(std::string("Error: the chdman this bridge found is a bridge as well; set ") + kToolVariable +
          " to the path of the real chdman\n");
    return kExitFailure;
  }

  const std::string self = qm::ExecutablePath();
  const LocatedTool tool = LocateTool(
      {GetEnvironment(kToolVariable), GetEnvironment("PATH").value_or(""), qm::PathListSeparator(),
       static_cast<char>(std::filesystem::path::preferred_separator), qm::ToolFileName()},
      {qm::IsExecutableFile, [&](const std::string& path) { return SameFile(path, self); }});
  if (tool.path.empty()) {
    Write(tool.error + "\n");
    return kExitFailure;
  }
  qm::SetEnvironment(kNestedVariable, std::to_string(qm::CurrentProcessId()));

  CatchTerminationRequests();
  const int stallSeconds = std::atoi(GetEnvironment(kStallVariable).value_or("0").c_str());
  ProcessToolRunner runner(tool.path, stallSeconds > 0 ? std::chrono::seconds(stallSeconds) : kStallLimit);
  // Tests only: a pause after each block of a copy, so that a request to end
  // can arrive while the copy runs.
  const int pauseMs = std::atoi(GetEnvironment(kCopyPauseVariable).value_or("0").c_str());
  auto copy = [pauseMs](const std::string& from, const std::string& to, const CopyProgress& progress) {
    return CopyToNewFile(from, to, [&](std::uint64_t done, std::uint64_t total) {
      if (pauseMs > 0 && done < total) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
      return progress(done, total);
    });
  };
  Bridge bridge({runner, Write, qm::CurrentProcessId(), qm::ProcessRunning, copy});
  return bridge.Run(std::get<OldCommand>(parsed));
}
