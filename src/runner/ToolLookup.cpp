#include "runner/ToolLookup.h"

#include <chrono>
#include <cstdlib>

#include "platform/process.h"

namespace qm {
namespace {

constexpr std::size_t kProbeBytes = 64 << 10;
constexpr int kProbeMs = 5000;

// "0.251" from "... manager 0.251 (unknown)": the first word after "manager"
// on the first line that has one (an error on the other stream may come first).
std::optional<std::string> BannerVersion(std::string_view output) {
  for (std::size_t at = output.find("manager "); at != std::string_view::npos; at = output.find("manager ", at + 1)) {
    std::string_view rest = output.substr(at + 8);
    rest = rest.substr(0, rest.find_first_of(" \r\n\t"));
    if (!rest.empty() && rest.find_first_not_of("0123456789.") == std::string_view::npos) return std::string(rest);
  }
  return std::nullopt;
}

// 0.146 is the first chdman with today's command line.
bool CurrentVersion(const std::string& version) {
  char* end = nullptr;
  const long major = std::strtol(version.c_str(), &end, 10);
  const long minor = *end == '.' ? std::strtol(end + 1, nullptr, 10) : 0;
  return major > 0 || minor >= 146;
}

std::string Joined(const std::string& folder, const std::string& name, char separator) {
  if (folder.empty() || folder.back() == separator || folder.back() == '/') return folder + name;
  return folder + separator + name;
}

}  // namespace

std::optional<ToolBanner> ReadToolBanner(std::string_view output) {
  if (const auto version = BannerVersion(output)) {
    return ToolBanner{CurrentVersion(*version) ? ToolDialect::Current : ToolDialect::Old, *version};
  }
  if (output.find("-update") != std::string_view::npos && output.find("-setchs") != std::string_view::npos) {
    return ToolBanner{ToolDialect::Old, {}};
  }
  return std::nullopt;
}

ToolLookup FindTool(const ToolSearch& search, const ToolChecks& checks, std::string_view installHint) {
  std::string looked;
  const auto tryPlace = [&](const std::string& path, const std::string& place) -> std::optional<FoundTool> {
    if (!checks.isExecutable(path)) {
      looked += "\n- " + place + ": nessun programma";
      return std::nullopt;
    }
    const std::optional<std::string> output = checks.probe(path);
    if (output) {
      if (std::optional<ToolBanner> banner = ReadToolBanner(*output)) return FoundTool{path, *banner};
    }
    looked += "\n- " + place + ": non risponde come chdman";
    return std::nullopt;
  };

  const std::string inFolder = search.programFolder + search.toolFileName;
  if (auto found = tryPlace(inFolder, inFolder)) return {found, {}};
  if (search.variable && !search.variable->empty()) {
    if (auto found = tryPlace(*search.variable, std::string(kToolVariable) + "=" + *search.variable)) return {found, {}};
  } else {
    looked += std::string("\n- ") + kToolVariable + ": non impostata";
  }
  std::string_view rest = search.pathList;
  bool anyFolder = false;
  while (!rest.empty()) {
    const std::size_t cut = rest.find(search.listSeparator);
    std::string_view folder = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    // Windows allows quoted entries; an empty entry (the current folder) is skipped.
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = folder.substr(1, folder.size() - 2);
    if (folder.empty()) continue;
    const std::string candidate = Joined(std::string(folder), search.toolFileName, search.folderSeparator);
    anyFolder = true;
    if (!checks.isExecutable(candidate)) continue;  // most PATH folders hold none: not worth a line each
    if (auto found = tryPlace(candidate, candidate)) return {found, {}};
  }
  looked += anyFolder ? "\n- le cartelle di PATH: nessun " + search.toolFileName : "\n- PATH: vuoto";
  return {std::nullopt, "Impossibile avviare i lavori: non si trova " + search.toolFileName + ". Cercato in:" + looked +
                            "\n" + std::string(installHint)};
}

std::optional<std::string> ProbeTool(const std::string& path) {
  Result<ChildProcess> child = ChildProcess::Start(path, {});
  if (!child) return std::nullopt;
  std::string output;
  char buffer[4096];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kProbeMs);
  while (output.size() < kProbeBytes && std::chrono::steady_clock::now() < deadline) {
    const ReadResult read = child->Read(buffer, sizeof buffer, 50);
    if (read.status == ReadStatus::Broken) break;
    output.append(buffer, read.n);
  }
  child->EndUnit();
  return output;
}

}  // namespace qm
