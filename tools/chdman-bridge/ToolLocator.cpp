#include "ToolLocator.h"

#include <string_view>

namespace qm::bridge {

LocatedTool LocateTool(const ToolSearch& search, const ToolChecks& checks) {
  if (search.variable && !search.variable->empty()) {
    const std::string& path = *search.variable;
    if (!checks.isExecutable(path)) {
      return {{}, std::string("Error: ") + kToolVariable + " names " + path + ", which is not an executable file"};
    }
    if (checks.isBridge(path)) {
      return {{}, std::string("Error: ") + kToolVariable + " names this bridge, not the chdman it should run"};
    }
    return {path, {}};
  }
  std::string_view rest = search.path;
  while (!rest.empty()) {
    const std::size_t cut = rest.find(search.listSeparator);
    std::string_view folder = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    // Windows allows quoted entries; an empty entry (the current folder) is skipped.
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = folder.substr(1, folder.size() - 2);
    if (folder.empty()) continue;
    std::string candidate(folder);
    if (candidate.back() != search.folderSeparator && candidate.back() != '/') candidate += search.folderSeparator;
    candidate += search.toolFileName;
    if (checks.isExecutable(candidate) && !checks.isBridge(candidate)) return {candidate, {}};
  }
  return {{}, "Error: no chdman found on PATH besides this bridge; install it (Debian: mame-tools) or set " +
                  std::string(kToolVariable) + " to its path"};
}

}  // namespace qm::bridge
