// ListProcesses and KillProcess on Windows against real processes.

#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace qm::test {
namespace {

// The sleeper copied under each name runs as the batch file's child. The
// snapshot gives names in the ANSI code page; they must come back as the
// UTF-8 the program uses.
class NamedTool : public ::testing::TestWithParam<const char*> {};

TEST_P(NamedTool, IsListedUnderItsParentAndEndedWithTheGivenCode) {
  const std::string name = GetParam();
  TempDir dir;
  const std::string tool = dir / name;
  std::filesystem::copy_file(PathOf(BuiltFile(QM_FAKE_SLEEPER)), PathOf(tool));
  const std::optional<std::string> script =
      EncodeBatchText("@ECHO OFF\r\n\"" + tool + "\"\r\nECHO after %ERRORLEVEL%\r\nEXIT 0\r\n");
  ASSERT_TRUE(script);
  WriteFile(dir / "run.bat", *script);
  ChildProcess child = Start(dir / "run.bat");
  ASSERT_EQ(ReadUntil(child, "ready\r\n"), "ready\r\n");

  const std::vector<ProcessEntry> children = ChildrenOf(child.Id());
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0].image, name);
  EXPECT_GT(children[0].pid, 0);

  EXPECT_TRUE(KillProcess(children[0].pid, 5));
  const Collected rest = ReadToEnd(child);
  EXPECT_TRUE(rest.broken);
  EXPECT_EQ(rest.output, "after 5\r\n");
  EXPECT_EQ(child.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Names, NamedTool,
                         ::testing::Values("chdman.exe", "with blank.exe", "a (1) & b^.exe",
                                           "citt\xc3\xa0 perch\xc3\xa9.exe"));

TEST(ListProcesses, HoldsThisProcessOnce) {
  const long self = CurrentProcessId();
  EXPECT_EQ(self, static_cast<long>(::GetCurrentProcessId()));
  int found = 0;
  for (const ProcessEntry& e : ListProcesses()) {
    if (e.pid != self) continue;
    ++found;
    EXPECT_EQ(e.image, PathOf(BuiltFile(QM_TEST_BINARY)).filename().string());
  }
  EXPECT_EQ(found, 1);
}

struct RefusedCase {
  const char* name;
  long pid;
};

class KillRefused : public ::testing::TestWithParam<RefusedCase> {};

// Id 0 is the idle process; a negative id names nothing.
TEST_P(KillRefused, NamesNoProcess) { EXPECT_FALSE(KillProcess(GetParam().pid, 0)); }

INSTANTIATE_TEST_SUITE_P(Ids, KillRefused,
                         ::testing::Values(RefusedCase{"Zero", 0}, RefusedCase{"Negative", -1},
                                           RefusedCase{"MostNegative", -2147483647L - 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm::test
