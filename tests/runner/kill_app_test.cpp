// Which processes of a job a cancel ends by name: those whose image name ends
// with the tool's name, in any case.
#include <gtest/gtest.h>

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
    ::testing::Values(NameCase{"ChdMan.Exe", "chdman.exe", true}, NameCase{"xchdman.exe", "chdman.exe", true},
                      NameCase{"C:\\Tools\\chdman.exe", "chdman.exe", true},
                      NameCase{"chdman.exe.bak", "chdman.exe", false}, NameCase{"man.exe", "chdman.exe", false},
                      NameCase{"chdman2", "chdman", false},
                      NameCase{"", "chdman", false}));

}  // namespace
}  // namespace qm
