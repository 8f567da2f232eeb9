#pragma once
// The seam between the bridge's logic and the current tool's process.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::bridge {

// How long a tool's progress may stand still before the tool is taken for
// hung and ended (chdman 0.251's verify can spin at 0.0% for ever on a
// damaged CD image).
inline constexpr std::chrono::seconds kStallLimit{120};
// Test hook: a shorter limit, in whole seconds.
inline constexpr const char* kStallVariable = "QUILLMERE_STALL_SECONDS";

class ToolRunner {
 public:
  struct Result {
    int status = -1;         // exit status; 128 + the signal for a tool ended by one
    std::string startError;  // non-empty when the tool did not start
    int stalledSeconds = 0;  // non-zero when the tool was ended for standing still that long
  };

  virtual ~ToolRunner() = default;

  // Runs the tool with `args` and hands its standard output and standard
  // error, joined, to `output` as they arrive; `output` returns true when
  // the text moved the tool's progress on. A tool whose progress stands
  // still for the stall limit, counted from its start, is ended. Returns
  // when the tool has ended.
  virtual Result Run(const std::vector<std::string>& args,
                     const std::function<bool(std::string_view)>& output) = 0;

  // 0 until this process is asked to end (Ctrl+C, SIGTERM, its reader gone);
  // then the exit status to end with. A running tool is ended at that moment.
  virtual int Interrupted() const = 0;
};

}  // namespace qm::bridge
