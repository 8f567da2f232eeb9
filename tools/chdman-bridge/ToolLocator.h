#pragma once
// Finding the current tool: the path in QUILLMERE_CHDMAN when it is set,
// else the first executable of the tool's name on PATH that is not the
// bridge itself.

#include <functional>
#include <optional>
#include <string>

namespace qm::bridge {

inline constexpr const char* kToolVariable = "QUILLMERE_CHDMAN";

struct ToolSearch {
  std::optional<std::string> variable;  // value of QUILLMERE_CHDMAN; nullopt or empty: unset
  std::string path;                     // value of PATH
  char listSeparator = ':';             // ':' on POSIX, ';' on Windows
  char folderSeparator = '/';           // put between a PATH entry and the name
  std::string toolFileName;             // "chdman" or "chdman.exe"
};

struct ToolChecks {
  std::function<bool(const std::string&)> isExecutable;
  std::function<bool(const std::string&)> isBridge;  // the same file as this executable
};

struct LocatedTool {
  std::string path;   // empty when none was found
  std::string error;  // why, when none was found
};

LocatedTool LocateTool(const ToolSearch& search, const ToolChecks& checks);

}  // namespace qm::bridge
