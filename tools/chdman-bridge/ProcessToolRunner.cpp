#include "ProcessToolRunner.h"

#include <variant>

#include "BridgeOs.h"

namespace qm::bridge {

ToolRunner::Result ProcessToolRunner::Run(const std::vector<std::string>& args,
                                          const std::function<void(std::string_view)>& output) {
  if (TerminationStatus() != 0) return {TerminationStatus(), {}};
  auto started = ToolProcess::Start(toolPath_, args);
  if (auto* error = std::get_if<std::string>(&started)) return {-1, *error};
  ToolProcess& tool = std::get<ToolProcess>(started);

  char buffer[4096];
  for (;;) {
    const std::size_t n = tool.Read(buffer, sizeof buffer);
    if (n == 0) break;
    output(std::string_view(buffer, n));
  }
  if (TerminationStatus() != 0) tool.Kill();
  return {tool.Wait(), {}};
}

int ProcessToolRunner::Interrupted() const { return TerminationStatus(); }

}  // namespace qm::bridge
