// KillApp against real processes: copies of the sleeper under the tool's name
// in several spellings, run by the system's interpreter as this program runs
// the tool, beside one it did not start.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <variant>

#include "TempTree.h"
#include "TestSystem.h"
#include "platform/files.h"
#include "platform/os.h"
#include "platform/process.h"
#include "platform/processes.h"
#include "runner/KillApp.h"

namespace qm {
namespace {

using test::Utf8;
namespace fs = std::filesystem;

const bool kCmd = NativeInterpreter() == Interpreter::Cmd;

bool Running(long pid) {
  for (const ProcessEntry& e : ListProcesses())
    if (e.pid == pid) return true;
  return false;
}

// Runs `program` from a batch file that says "after" when it has ended.
ChildProcess StartThrough(const fs::path& folder, const fs::path& program) {
  const std::string text = kCmd ? "@ECHO OFF\r\n\"" + Utf8(program) + "\"\r\nECHO after\r\nEXIT 0\r\n"
                                : "'" + Utf8(program) + "'\necho after\n";
  const fs::path script = folder / ("run" + BatchFileName().substr(BatchFileName().rfind('.')));
  test::WriteAll(script, EncodeBatchText(text).value());
  auto started = ChildProcess::Start(Utf8(script));
  if (auto* error = std::get_if<std::string>(&started)) throw std::runtime_error(*error);
  return std::move(std::get<ChildProcess>(started));
}

// The output until it holds `marker`, the pipe breaks or 10 s pass.
std::string ReadUntil(ChildProcess& child, const std::string& marker) {
  std::string output;
  char buffer[256];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (output.find(marker) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    const ReadResult r = child.Read(buffer, sizeof buffer, 50);
    if (r.status == ReadStatus::Broken) break;
    output.append(buffer, r.n);
  }
  return output;
}

struct Spelling {
  const char* image;
  bool matches;  // ends with the tool's name, ignoring case
};

const Spelling kSpellings[] = {
    {"chdman.exe", true}, {"CHDMAN.EXE", true}, {"ChdMan.Exe", true}, {"xchdman.exe", true}, {"chdman2.exe", false},
};

class KillAppRun : public ::testing::TestWithParam<const char*> {};

TEST_P(KillAppRun, EndsEveryDescendantNamedLikeTheToolAndNothingElse) {
  test::TempTree tree;
  // Each in a folder of its own: Windows folders do not tell the cases apart.
  std::vector<ChildProcess> children;
  std::vector<long> tools;
  for (const Spelling& s : kSpellings) {
    const fs::path folder = tree.root() / ("tool " + std::to_string(children.size()));
    fs::create_directories(folder);
    test::TempTree::CopyProgram(QM_FAKE_SLEEPER, folder / s.image);
    children.push_back(StartThrough(folder, folder / s.image));
    ASSERT_NE(ReadUntil(children.back(), "ready").find("ready"), std::string::npos) << s.image;
    std::vector<long> found;
    for (const ProcessEntry& e : ListProcesses())
      if (e.parentPid == children.back().Id()) found.push_back(e.pid);
    ASSERT_EQ(found.size(), 1u) << s.image;
    tools.push_back(found[0]);
  }
  fs::create_directories(tree.root() / "other");
  test::TempTree::CopyProgram(QM_FAKE_SLEEPER, tree.root() / "other" / "chdman.exe");
  const long other = test::StartOrphan(tree.root() / "other" / "chdman.exe", 60, tree.root() / "other.pid");
  ASSERT_GT(other, 0);

  EXPECT_TRUE(KillApp(GetParam()));

  for (std::size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(kSpellings[i].image);
    if (kSpellings[i].matches) {
      EXPECT_NE(ReadUntil(children[i], "after").find("after"), std::string::npos);
      EXPECT_EQ(children[i].Wait(), 0) << "the interpreter went on after its tool ended";
    } else {
      EXPECT_TRUE(Running(tools[i]));
      KillProcess(tools[i], 0);
    }
  }
  EXPECT_TRUE(Running(other)) << "a tool this program did not start was terminated";
  KillProcess(other, 0);
  EXPECT_FALSE(KillApp(GetParam())) << "nothing of ours is left to match";
}

INSTANTIATE_TEST_SUITE_P(Names, KillAppRun, ::testing::Values("CHDMAN.EXE", "chdman.exe"));

}  // namespace
}  // namespace qm
