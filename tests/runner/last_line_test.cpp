// The line quoted for a failed job: the last meaningful thing the tool said.
#include <gtest/gtest.h>

#include "RowName.h"
#include "runner/LastLine.h"

namespace qm {
namespace {

struct LastLineCase {
  const char* name;
  std::vector<std::string> chunks;
  std::string expected;
};

class LastLineRows : public ::testing::TestWithParam<LastLineCase> {};

TEST_P(LastLineRows, KeepsTheLastMeaningfulLine) {
  LastLine last;
  for (const auto& chunk : GetParam().chunks) last.Feed(chunk);
  EXPECT_EQ(last.Text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LastLineRows,
    ::testing::Values(
        LastLineCase{"Empty", {}, ""},
        LastLineCase{"ErrorAfterProgress", {"Compressing hunk 1/10... (ratio=5%)\r", "Error: disk full\n"}, "Error: disk full"},
        LastLineCase{"SplitAcrossChunks", {"Err", "or: bad", " file\r\n"}, "Error: bad file"},
        LastLineCase{"BlankLinesIgnored", {"first\n", "   \n", "\r\n"}, "first"},
        LastLineCase{"UnfinishedLineWins", {"done\n", "Error: no newline"}, "Error: no newline"},
        LastLineCase{"Trimmed", {"  padded  \r"}, "padded"},
        LastLineCase{"ProgressAfterTheErrorIsNoReason",
                     {"Error: bad sector\n", "Compressing hunk 5/10... (ratio=5%)\r"}, "Error: bad sector"},
        LastLineCase{"TodaysProgressIsNoReasonEither",
                     {"Error: read failed\n", "Compressing, 45.3% complete... (ratio=40.2%)\r"}, "Error: read failed"}),
    test::RowName());

TEST(LastLine, StaysBoundedOnEndlessLine) {
  LastLine last;
  const std::string block(4096, 'x');
  for (int i = 0; i < 1000; ++i) last.Feed(block);
  EXPECT_EQ(last.Text().size(), LastLine::kMaxLength);
  last.Reset();
  EXPECT_EQ(last.Text(), "");
}

}  // namespace
}  // namespace qm
