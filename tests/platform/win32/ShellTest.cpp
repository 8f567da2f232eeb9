// Navigate on Windows: the shell opens what it is given. A program path
// stands in for a link, so the test sees what was opened without a browser.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "TempTree.h"
#include "TestSystem.h"
#include "platform/processes.h"
#include "platform/shell.h"

namespace qm::test {
namespace {

class NavigateTo : public ::testing::TestWithParam<const char*> {};

TEST_P(NavigateTo, OpensThatVeryFile) {
  TempTree tree;
  const fs::path program = tree.root() / PathOf(GetParam()) / "program.exe";
  fs::create_directories(program.parent_path());
  TempTree::CopyProgram(QM_FAKE_SLEEPER, program);
  const fs::path pidFile = tree.root() / "pid";
  SetEnv("FAKE_SLEEPER_PID_FILE", Utf8(pidFile));
  Navigate(Utf8(program));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::exists(pidFile) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  UnsetEnv("FAKE_SLEEPER_PID_FILE");
  ASSERT_TRUE(fs::exists(pidFile)) << "the program was not started";
  EXPECT_TRUE(KillProcess(std::stol(ReadAll(pidFile)), 1).ok());
}

INSTANTIATE_TEST_SUITE_P(Folders, NavigateTo,
                         ::testing::Values("with blanks & (parentheses)", "citt\xc3\xa0"));

}  // namespace
}  // namespace qm::test
