// Navigate on Windows: the shell opens what it is given. A program path
// stands in for a link, so the test sees what was opened without a browser.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "FakeToolLog.h"
#include "TempTree.h"
#include "platform/shell.h"

namespace qm::test {
namespace {

class NavigateTo : public ::testing::TestWithParam<const char*> {};

TEST_P(NavigateTo, OpensThatVeryFile) {
  TempTree tree;
  const fs::path folder = tree.root() / PathOf(GetParam());
  fs::create_directories(folder);
  const std::string program = Utf8(folder / "chdman.exe");
  fs::copy_file(PathOf(BuiltFile(QM_FAKE_CHDMAN)), PathOf(program));
  const std::string log = Utf8(tree.log());
  ASSERT_TRUE(::SetEnvironmentVariableA("FAKE_CHDMAN_LOG", log.c_str()));

  Navigate(program);
  std::vector<FakeToolCall> calls;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (calls.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    calls = ReadFakeToolLog(log);
  }
  ::SetEnvironmentVariableA("FAKE_CHDMAN_LOG", nullptr);
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_EQ(calls[0].argv.size(), 1u);
  EXPECT_TRUE(std::filesystem::equivalent(PathOf(calls[0].argv[0]), PathOf(program))) << calls[0].argv[0];
}

INSTANTIATE_TEST_SUITE_P(Folders, NavigateTo,
                         ::testing::Values("plain", "with blanks & (parentheses)", "citt\xc3\xa0"));

}  // namespace
}  // namespace qm::test
