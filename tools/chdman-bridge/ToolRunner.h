#pragma once
// The seam between the bridge's logic and the current tool's process.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::bridge {

class ToolRunner {
 public:
  struct Result {
    int status = -1;         // exit status; 128 + the signal for a tool ended by one
    std::string startError;  // non-empty when the tool did not start
  };

  virtual ~ToolRunner() = default;

  // Runs the tool with `args` and hands its standard output and standard
  // error, joined, to `output` as they arrive. Returns when the tool has ended.
  virtual Result Run(const std::vector<std::string>& args,
                     const std::function<void(std::string_view)>& output) = 0;

  // 0 until this process is asked to end (Ctrl+C, SIGTERM, its reader gone);
  // then the exit status to end with. A running tool is ended at that moment.
  virtual int Interrupted() const = 0;
};

}  // namespace qm::bridge
