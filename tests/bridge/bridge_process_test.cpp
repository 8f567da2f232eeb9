// The built bridge as a real process over a stand-in for today's chdman:
// exit status, the output the program reads, the names the tool receives,
// the search on PATH, and a killed bridge taking its tool with it.

#include <chrono>
#include <thread>

#include "BridgeProcessFixture.h"

namespace qm::bridge {
namespace {

struct ModeRow {
  const char* mode;
  int status;
  const char* lastLine;
  bool outputKept;
};
void PrintTo(const ModeRow& row, std::ostream* os) { *os << row.mode; }

class BridgeModeTest : public BridgeProcessTest, public testing::WithParamInterface<ModeRow> {};

TEST_P(BridgeModeTest, StatusLastLineAndOutputFollowTheTool) {
  SetEnvironment("FAKE_CURRENT_MODE", GetParam().mode);
  const Finished run = Bridge({"-update", "with space.chd", "out put.tmp"});
  EXPECT_EQ(run.status, GetParam().status) << run.output;
  EXPECT_EQ(LastLine(run.output), GetParam().lastLine) << run.output;
  EXPECT_EQ(fs::exists("out put.tmp"), GetParam().outputKept);
  // Names reach the tool whole, through exec or a Windows command line.
  const std::string args = "args: copy|-i|with space.chd|-o|out put.tmp";
  const std::size_t at = run.output.find(args);
  ASSERT_NE(at, std::string::npos) << run.output;
  EXPECT_EQ(run.output.find_first_of("\r\n", at), at + args.size()) << run.output;
  EXPECT_NE(run.output.find("Compressing hunk 250/1000... (ratio=88.0%)  \r"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, BridgeModeTest,
    testing::Values(ModeRow{"ok", 0, "Compressing hunk 1000/1000... (ratio=50.0%)", true},
                    ModeRow{"status=3", 3, "Error: boom", false},
                    ModeRow{"error0", 1, "Oops", false}));

TEST_F(BridgeProcessTest, RefusalsEndWithTheReason) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{"-update", "missing.chd", "o.tmp"}, "Error opening CHD file (missing.chd): No such file or directory"},
      {{"-update", "with space.chd"}, "Error: -update takes IMAGE OUTPUT"},
      {{"info", "-i", "with space.chd"}, "Error: unknown command info"}};
  for (const auto& [args, line] : rows) {
    const Finished run = Bridge(args);
    EXPECT_EQ(run.status, 1) << line;
    EXPECT_EQ(LastLine(run.output), line);
  }
  SetEnvironment(kToolVariable, (folder_ / "nothing").string());
  EXPECT_EQ(Bridge({"-update", "with space.chd", "o.tmp"}).status, 1);
  EXPECT_FALSE(fs::exists("o.tmp"));
}

// A bridge copied under the tool's name into a folder on PATH finds the tool
// after it, not itself.
TEST_F(BridgeProcessTest, OnPathTheBridgeSkipsItself) {
  const std::string name = "chdman" + fs::path(QM_BRIDGE).extension().string();
  fs::create_directories(folder_ / "program");
  fs::create_directories(folder_ / "tool");
  fs::copy_file(QM_BRIDGE, folder_ / "program" / name);
  fs::copy_file(QM_FAKE_CURRENT, folder_ / "tool" / name);
  SetEnvironment(kToolVariable, "");
  const std::string sep(1, PathListSeparator());
  SetEnvironment("PATH", (folder_ / "program").string() + sep + (folder_ / "tool").string());
  ToolProcess p = Start({"-update", "with space.chd", "o.tmp"}, (folder_ / "program" / name).string());
  const Finished run = Finish(p);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("chdman - stand-in"), std::string::npos) << run.output;
}

TEST_F(BridgeProcessTest, AKilledBridgeTakesTheToolWithIt) {
  SetEnvironment("FAKE_CURRENT_MODE", "hang");
  ToolProcess p = Start({"-update", "with space.chd", "o.tmp"});
  std::string output;
  char buffer[512];
  while (output.find("pid=") == std::string::npos || output.back() != '\n') {
    const std::size_t n = p.Read(buffer, sizeof buffer);
    ASSERT_GT(n, 0u) << output;
    output.append(buffer, n);
  }
  const long tool = std::stol(output.substr(output.find("pid=") + 4));
  ASSERT_TRUE(ProcessRunning(tool));
  p.Kill();
  p.Wait();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ProcessRunning(tool) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(ProcessRunning(tool)) << "the tool outlived the bridge";
}

}  // namespace
}  // namespace qm::bridge
