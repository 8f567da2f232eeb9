#pragma once
// Runs the built bridge in a throwaway folder holding "with space.chd", with
// the stand-in tool named by QUILLMERE_CHDMAN.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TempTree.h"
#include "ToolLocator.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/processes.h"

namespace qm::bridge {

namespace fs = std::filesystem;
using test::ReadAll;

struct Finished {
  int status;
  std::string output;
};

inline std::string LastLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text.substr(text.find_last_of("\r\n") + 1);
}

class BridgeProcessTest : public testing::Test {
 protected:
  BridgeProcessTest() {
    fs::current_path(folder_);
    test::WriteAll("with space.chd", "MComprHD image");
    SetEnvironment(kToolVariable, QM_FAKE_CURRENT);
    SetEnvironment("FAKE_CURRENT_MODE", "ok");
  }
  ~BridgeProcessTest() override { fs::current_path(previous_); }

  static ChildProcess Start(const std::vector<std::string>& args, const std::string& program = QM_BRIDGE) {
    StartOptions options;
    options.ownUnit = false;
    options.endWithParent = true;
    Result<ChildProcess> started = ChildProcess::Start(program, args, options);
    EXPECT_TRUE(started.ok()) << FailedCall(started.error());
    return std::move(*started);
  }
  // Reads until `enough` says so of the output so far, or the output ends.
  static std::string ReadUntil(ChildProcess& p, const std::function<bool(const std::string&)>& enough,
                               std::string output = {}) {
    char buffer[512];
    while (!enough(output)) {
      const ReadResult r = p.Read(buffer, sizeof buffer, 1000);
      if (r.status == ReadStatus::Broken) break;
      output.append(buffer, r.n);
    }
    return output;
  }
  static Finished Finish(ChildProcess& p, std::string output = {}) {
    output = ReadUntil(p, [](const std::string&) { return false; }, std::move(output));
    return {p.Wait(), output};
  }
  static Finished Run(const std::vector<std::string>& args, const std::string& program = QM_BRIDGE) {
    ChildProcess p = Start(args, program);
    return Finish(p);
  }
  // The tool's id once the stand-in in mode "hang" has printed it.
  static long HungToolId(ChildProcess& p, std::string& output) {
    output = ReadUntil(p, [](const std::string& o) { return o.find("pid=") != o.npos && o.back() == '\n'; });
    EXPECT_NE(output.find("pid="), std::string::npos) << output;
    return output.find("pid=") == std::string::npos ? -1 : std::stol(output.substr(output.find("pid=") + 4));
  }

  test::TempTree tree_;
  fs::path folder_ = tree_.data();
  fs::path previous_ = fs::current_path();
};

}  // namespace qm::bridge
