#pragma once
// The ToolRunner that starts the real tool as a child process, which ends
// with the bridge however the bridge ends.

#include "ToolRunner.h"

namespace qm::bridge {

class ProcessToolRunner : public ToolRunner {
 public:
  ProcessToolRunner(std::string toolPath, std::chrono::milliseconds stallLimit)
      : toolPath_(std::move(toolPath)), stallLimit_(stallLimit) {}

  Result Run(const std::vector<std::string>& args, const std::function<bool(std::string_view)>& output) override;
  int Interrupted() const override;

 private:
  std::string toolPath_;
  std::chrono::milliseconds stallLimit_;
};

}  // namespace qm::bridge
