// Navigate on POSIX: a stand-in xdg-open first on PATH records what it was
// asked to open; Navigate must return without waiting for it.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

#include "TempTree.h"
#include "platform/shell.h"

namespace qm::test {
namespace {

using Clock = std::chrono::steady_clock;

// Puts `folder` first on PATH for the test's lifetime.
class PathFirst {
 public:
  explicit PathFirst(const std::string& folder) {
    if (const char* old = std::getenv("PATH")) old_ = old;
    ::setenv("PATH", (folder + ":" + old_.value_or("/usr/bin:/bin")).c_str(), 1);
  }
  ~PathFirst() {
    if (old_) ::setenv("PATH", old_->c_str(), 1);
    else ::unsetenv("PATH");
  }

 private:
  std::optional<std::string> old_;
};

class NavigateTo : public ::testing::TestWithParam<const char*> {};

TEST_P(NavigateTo, HandsTheLinkToXdgOpenAsOneArgument) {
  TempTree tree;
  const fs::path opened = tree.root() / "opened";
  // Sleeps first: Navigate must not wait for the opener to finish.
  WriteAll(tree.root() / "xdg-open", "#!/bin/sh\nsleep 1\nprintf '%s|%s' \"$#\" \"$1\" > \"$0.part\"\nmv \"$0.part\" '" +
                                         Utf8(opened) + "'\n");
  fs::permissions(tree.root() / "xdg-open", fs::perms::owner_all);
  PathFirst path(Utf8(tree.root()));

  const auto start = Clock::now();
  Navigate(GetParam());
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(800));

  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!fs::exists(opened) && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(ReadAll(opened), std::string("1|") + GetParam());
}

INSTANTIATE_TEST_SUITE_P(Links, NavigateTo,
                         ::testing::Values("mailto:autore@example.org",
                                           "http://example.org/a b?x=1&y='2'$(touch PWNED)`id`;"));

TEST(Navigate, WithoutAnyXdgOpenReturnsQuietly) {
  TempTree tree;
  PathFirst path(Utf8(tree.data()));
  ::setenv("PATH", Utf8(tree.data()).c_str(), 1);  // nothing but the empty folder
  const auto start = Clock::now();
  Navigate("http://www.example.org/");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace qm::test
