#include "ProcessToolRunner.h"

#include "BridgeOs.h"
#include "platform/process.h"

namespace qm::bridge {
namespace {

// Longest wait for output between two looks at a termination request and at
// the stall limit: a request ends the tool within this.
constexpr int kPollMs = 50;

}  // namespace

ToolRunner::Result ProcessToolRunner::Run(const std::vector<std::string>& args,
                                          const std::function<bool(std::string_view)>& output) {
  if (TerminationStatus() != 0) return {TerminationStatus(), {}};
  // In the bridge's own unit, so that whoever ends the bridge's unit ends the tool too.
  StartOptions options;
  options.ownUnit = false;
  options.endWithParent = true;
  qm::Result<ChildProcess> tool = ChildProcess::Start(toolPath_, args, options);
  if (!tool) return {-1, "Error: cannot start " + toolPath_ + ": " + SystemMessage(tool.error().code)};

  using Clock = std::chrono::steady_clock;
  auto lastMove = Clock::now();
  bool stalled = false;
  char buffer[4096];
  while (TerminationStatus() == 0) {
    const ReadResult r = tool->Read(buffer, sizeof buffer, kPollMs);
    if (r.status == ReadStatus::Broken) break;
    if (r.status == ReadStatus::Data && output(std::string_view(buffer, r.n))) lastMove = Clock::now();
    if (Clock::now() - lastMove >= stallLimit_) {
      stalled = true;
      break;
    }
  }
  if (stalled || TerminationStatus() != 0) tool->Terminate();
  Result result{tool->Wait(), {}};
  if (stalled) result.stalledSeconds = static_cast<int>(std::chrono::ceil<std::chrono::seconds>(stallLimit_).count());
  return result;
}

int ProcessToolRunner::Interrupted() const { return TerminationStatus(); }

}  // namespace qm::bridge
