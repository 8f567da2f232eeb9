// Which processes a cancel may end: only descendants of the program whose
// image name ends with the tool's name, in any case.
#include <gtest/gtest.h>

#include <algorithm>

#include "runner/KillApp.h"

namespace qm {
namespace {

struct NameCase {
  const char* image;
  const char* name;
  bool matches;
};

class ImageName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ImageName, MatchesTheEndIgnoringCase) {
  EXPECT_EQ(ImageNameMatches(GetParam().image, GetParam().name), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImageName,
    ::testing::Values(NameCase{"chdman.exe", "CHDMAN.EXE", true}, NameCase{"CHDMAN.EXE", "chdman.exe", true},
                      NameCase{"ChdMan.Exe", "chdman.exe", true}, NameCase{"xchdman.exe", "chdman.exe", true},
                      NameCase{"C:\\Tools\\chdman.exe", "chdman.exe", true},
                      NameCase{"chdman.exe.bak", "chdman.exe", false}, NameCase{"man.exe", "chdman.exe", false},
                      NameCase{"chdman", "chdman", true}, NameCase{"chdman2", "chdman", false},
                      NameCase{"", "chdman", false}));

std::vector<long> Sorted(std::vector<long> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(MatchingDescendants, OnlyTheProgramsOwnTree) {
  // 100 is the program; 200 is another user's session.
  const std::vector<ProcessEntry> processes = {
      {1, 0, "init"},
      {100, 1, "quillmere"},
      {101, 100, "sh"},            // interpreter
      {102, 101, "chdman"},        // the tool, a grandchild
      {103, 100, "CHDMAN"},        // a direct child, other case
      {104, 102, "xchdman"},       // started by the tool itself
      {200, 1, "bash"},
      {201, 200, "chdman"},        // not ours
      {202, 1, "chdman"},          // not ours either
  };
  EXPECT_EQ(Sorted(MatchingDescendants(processes, 100, "chdman")), (std::vector<long>{102, 103, 104}));
  EXPECT_TRUE(MatchingDescendants(processes, 101, "nothing").empty());
  EXPECT_TRUE(MatchingDescendants(processes, 999, "chdman").empty());
}

TEST(MatchingDescendants, SurvivesParentLoops) {
  // A recycled id can make a process look like its own ancestor.
  const std::vector<ProcessEntry> processes = {{10, 11, "chdman"}, {11, 10, "chdman"}, {12, 12, "chdman"}};
  EXPECT_EQ(Sorted(MatchingDescendants(processes, 10, "chdman")), (std::vector<long>{11}));
  EXPECT_TRUE(MatchingDescendants(processes, 12, "chdman").empty());
}

}  // namespace
}  // namespace qm
