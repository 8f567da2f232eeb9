// Navigate on POSIX: a stand-in xdg-open first on PATH records what it was
// asked to open; Navigate must return without waiting for it, and without
// any xdg-open it returns quietly.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "TempTree.h"
#include "TestSystem.h"
#include "platform/shell.h"

namespace qm::test {
namespace {

class NavigateTo : public ::testing::TestWithParam<const char*> {};

TEST_P(NavigateTo, HandsTheLinkToXdgOpenAsOneArgument) {
  TempTree tree;
  const fs::path opened = tree.root() / "opened";
  // Sleeps first: Navigate must not wait for the opener to finish.
  WriteAll(tree.root() / "xdg-open", "#!/bin/sh\n/bin/sleep 1\nprintf '%s|%s' \"$#\" \"$1\" > \"$0.part\"\n/bin/mv \"$0.part\" '" +
                                         Utf8(opened) + "'\n");
  fs::permissions(tree.root() / "xdg-open", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  SetEnv("PATH", Utf8(tree.root()));  // the stand-in alone
  const auto start = std::chrono::steady_clock::now();
  Navigate(GetParam());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  while (!fs::exists(opened) && std::chrono::steady_clock::now() < start + std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ReadAll(opened), std::string("1|") + GetParam());

  SetEnv("PATH", Utf8(tree.data()));  // an empty folder
  Navigate(GetParam());
  SetEnv("PATH", path);
}

INSTANTIATE_TEST_SUITE_P(Links, NavigateTo,
                         ::testing::Values("mailto:autore@example.org",
                                           "http://example.org/a b?x=1&y='2'$(touch PWNED)`id`;"));

}  // namespace
}  // namespace qm::test
