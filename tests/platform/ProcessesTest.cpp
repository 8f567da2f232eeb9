// ListProcesses and KillProcess against real processes.

#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "platform/processes.h"

namespace qm::test {
namespace {

// The sleeper copied under each name runs as the script's child. Names with
// blanks and parentheses also land in the comm field of /proc/PID/stat, which
// a parser reading from the first ')' gets wrong.
class NamedTool : public ::testing::TestWithParam<const char*> {};

TEST_P(NamedTool, IsListedUnderItsParentAndKilled) {
  const std::string name = GetParam();
  TempDir dir;
  const std::string tool = dir / name;
  std::filesystem::copy_file(QM_FAKE_SLEEPER, tool);
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  ChildProcess child = StartScript(dir, ShellQuote(tool) + "\necho \"after $?\"\n");
  ASSERT_EQ(ReadUntil(child, "ready\n"), "ready\n");

  const std::vector<ProcessEntry> children = ChildrenOf(child.Id());
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0].image, name);
  EXPECT_GT(children[0].pid, 0);

  EXPECT_TRUE(KillProcess(children[0].pid, 0));
  // The interpreter sees its tool killed by signal 9 ("Killed") and carries on.
  const Collected rest = ReadToEnd(child);
  EXPECT_TRUE(rest.broken);
  EXPECT_TRUE(rest.output.ends_with("after 137\n")) << rest.output;
  EXPECT_EQ(child.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Names, NamedTool,
                         ::testing::Values("chdman", "with blank", "a) 1 2 (b", "ends)", "(x", "nine 9 R 7"));

TEST(ListProcesses, HoldsThisProcessUnderItsParent) {
  const long self = CurrentProcessId();
  EXPECT_EQ(self, static_cast<long>(::getpid()));
  int found = 0;
  for (const ProcessEntry& e : ListProcesses()) {
    if (e.pid != self) continue;
    ++found;
    EXPECT_EQ(e.parentPid, static_cast<long>(::getppid()));
    EXPECT_EQ(e.image, std::filesystem::path(QM_TEST_BINARY).filename().string());
  }
  EXPECT_EQ(found, 1);
}

TEST(KillProcess, RefusesAProcessThatIsGone) {
  TempDir dir;
  ChildProcess child = StartScript(dir, "exit 0\n");
  const long pid = child.Id();
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_FALSE(KillProcess(pid, 0));
}

}  // namespace
}  // namespace qm::test
