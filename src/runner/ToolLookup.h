#pragma once
// Which chdman carries out the jobs, looked up where users have it: chdman
// in the program folder, then the one QUILLMERE_CHDMAN names, then the first
// chdman on PATH. A tool that still speaks the old command line (-update,
// -merge, -setchs) runs the jobs itself; a current one runs them through the
// bridge, which is told which tool to use.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr const char* kToolVariable = "QUILLMERE_CHDMAN";

enum class ToolDialect { Old, Current };

struct ToolBanner {
  ToolDialect dialect;
  std::string version;  // as the tool gives it ("0.251"); empty when it gives none
};

// What the tool prints when started without arguments, read: a banner
// "... manager 0.251 ..." from 0.146 on (when the command line changed) is the
// current tool, an earlier one the old; without a banner, a usage that names
// -update and -setchs is the old one. nullopt: not a chdman.
std::optional<ToolBanner> ReadToolBanner(std::string_view output);

struct ToolSearch {
  std::string programFolder;            // ends in the separator
  std::string toolFileName;             // "chdman" or "chdman.exe"
  std::optional<std::string> variable;  // QUILLMERE_CHDMAN; nullopt or empty: unset
  std::string pathList;                 // PATH
  char listSeparator = ':';
  char folderSeparator = '/';
};

struct FoundTool {
  std::string path;
  ToolBanner banner;
};

struct ToolChecks {
  std::function<bool(const std::string&)> isExecutable;
  // The tool's output when run without arguments; nullopt when it cannot run.
  std::function<std::optional<std::string>(const std::string&)> probe;
};

struct ToolLookup {
  std::optional<FoundTool> tool;
  std::string message;  // when none was found: every place looked in, and what to install
};

// `installHint` ends the message when no tool is found.
ToolLookup FindTool(const ToolSearch& search, const ToolChecks& checks, std::string_view installHint);

// Runs `path` without arguments and returns what it printed: at most 64 KiB,
// within a few seconds, after which it is ended.
std::optional<std::string> ProbeTool(const std::string& path);

}  // namespace qm
