#pragma once
// The ToolRunner that starts the real tool as a child process.

#include "ToolRunner.h"

namespace qm::bridge {

class ProcessToolRunner : public ToolRunner {
 public:
  explicit ProcessToolRunner(std::string toolPath) : toolPath_(std::move(toolPath)) {}

  Result Run(const std::vector<std::string>& args,
             const std::function<void(std::string_view)>& output) override;
  int Interrupted() const override;

 private:
  std::string toolPath_;
};

}  // namespace qm::bridge
