// The progress parser fed with tool output, rows of edge cases. That cuts
// never change the bars and the buffer stays bounded is the fuzzer's check
// (tests/fuzz/fuzz_progress_parser.cpp), over any output.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "RowName.h"
#include "runner/ProgressParser.h"

namespace qm {

bool operator==(const ProgressUpdate& a, const ProgressUpdate& b) {
  return a.currentMax == b.currentMax && a.currentValue == b.currentValue && a.totalValue == b.totalValue;
}

void PrintTo(const ProgressUpdate& u, std::ostream* os) {
  *os << "{max " << u.currentMax << ", value " << u.currentValue << ", total " << u.totalValue << "}";
}

namespace {

using Bars = std::optional<ProgressUpdate>;

std::string Line(const std::string& counts) { return "Compressing hunk " + counts + "... (ratio=50%)\r"; }

// A "7/9" line padded with blanks to `length`, without its ")".
std::string Padded(std::size_t length) {
  std::string line = "Compressing hunk 7/9.";
  return line + std::string(length - line.size(), ' ');
}

struct FeedRow {
  const char* name;
  std::vector<std::string> chunks;
  int job;
  int totalMax;
  Bars expected;  // what the last chunk's call returns
};

class FeedRows : public ::testing::TestWithParam<FeedRow> {};

TEST_P(FeedRows, LastCallReportsNewestLine) {
  ProgressParser parser;
  Bars last;
  for (const auto& chunk : GetParam().chunks) last = parser.Feed(chunk, GetParam().job, GetParam().totalMax);
  EXPECT_EQ(last, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, FeedRows,
    ::testing::Values(
        FeedRow{"WorkedExample", {Line("250/1000")}, 2, 1000, ProgressUpdate{10, 2, 125}},
        FeedRow{"NewestLineWins", {Line("100/1000") + Line("990/1000")}, 2, 1000, ProgressUpdate{10, 9, 199}},
        FeedRow{"EndsInsidePrefix", {"Compressing hu"}, 2, 1000, std::nullopt},
        FeedRow{"SplitInsidePrefix", {"Compressing hu", "nk 250/1000... (ratio=50%)\r"}, 2, 1000,
                ProgressUpdate{10, 2, 125}},
        FeedRow{"WaitsForParenthesis", {"Compressing hunk 250/10", "00... (ratio=50%"}, 2, 1000, std::nullopt},
        FeedRow{"ParenthesisCompletes", {"Compressing hunk 250/10", "00... (ratio=50%", ")"}, 2, 1000,
                ProgressUpdate{10, 2, 125}},
        FeedRow{"ParenthesisBeforePrefix", {") x ) Compressing hunk 500/1000. )"}, 2, 1000,
                ProgressUpdate{10, 5, 150}},
        FeedRow{"LongestLineThenParenthesis", {Padded(ProgressParser::kMaxPendingLine), ")"}, 2, 1000,
                ProgressUpdate{9, 7, 177}},
        FeedRow{"TooLongThenParenthesis", {Padded(ProgressParser::kMaxPendingLine + 1), ")"}, 2, 1000, std::nullopt},
        FeedRow{"TooLongAcrossChunksIsDropped",
                {"Compressing hunk 1/2. ", std::string(5000, 'a'), "Compressing hunk 9/10.)"}, 2, 1000,
                ProgressUpdate{10, 9, 190}},
        FeedRow{"LastLineOf1050", {"Compressing hunk 1050/1050.)"}, 2, 1000, ProgressUpdate{10, 10, 205}},
        FeedRow{"LastLineOf1050InLastJob", {"Compressing hunk 1050/1050.)"}, 3, 300, ProgressUpdate{10, 10, 300}},
        FeedRow{"BelowHundredTrueFraction", {"Compressing hunk 3/7.)"}, 2, 1000, ProgressUpdate{7, 3, 142}},
        FeedRow{"DoneAboveTotal", {"Compressing hunk 9/7.)"}, 2, 1000, ProgressUpdate{7, 7, 228}},
        FeedRow{"ZeroTotal", {"Compressing hunk 0/0.)"}, 2, 1000, std::nullopt},
        FeedRow{"GoodThenZeroTotal", {"Compressing hunk 500/1000.)Compressing hunk 5/0.)"}, 2, 1000,
                ProgressUpdate{10, 5, 150}},
        FeedRow{"NoSlash", {"Compressing hunk 12.)"}, 2, 1000, std::nullopt},
        FeedRow{"NoDot", {"Compressing hunk 1/100)"}, 2, 1000, std::nullopt},
        FeedRow{"BlankBeforeDot", {"Compressing hunk 1/100 .)"}, 2, 1000, std::nullopt},
        FeedRow{"OtherCase", {"compressing Hunk 5/100.)"}, 2, 1000, std::nullopt},
        FeedRow{"PrefixInsideLine", {"Compressing hunk Compressing hunk 3/100.)"}, 2, 1000, std::nullopt},
        FeedRow{"MalformedThenGood",
                {"Compressing hunk x/100. )Compressing hunk 12. )", "Compressing hunk 1/100)Compressing hunk 50/100. )"},
                2, 1000, ProgressUpdate{1, 0, 150}},
        FeedRow{"DoneBeyond32Bits", {"Compressing hunk 2147483648/4294967296.)"}, 2, 1000, std::nullopt},
        FeedRow{"TotalBeyond32Bits", {"Compressing hunk 5/2147483648.)"}, 2, 1000, std::nullopt},
        FeedRow{"Largest32Bit", {"Compressing hunk 2147483647/2147483647.)"}, 2, 1000,
                ProgressUpdate{21474836, 21474836, 200}},
        FeedRow{"LeadingZeros", {"Compressing hunk 00000000000000000050/000000000000100.)"}, 2, 1000,
                ProgressUpdate{1, 0, 150}}),
    test::RowName());

TEST(Parser, ResetForgetsTheUnfinishedLine) {
  ProgressParser parser;
  EXPECT_EQ(parser.Feed("Compressing hunk 900/1000... (rat", 1, 300), std::nullopt);
  parser.Reset();
  EXPECT_EQ(parser.Feed("io=5%)", 2, 300), std::nullopt);
  EXPECT_EQ(parser.Buffer(), "");
  EXPECT_EQ(parser.Feed("Compressing hunk 1/100.)", 2, 300), (ProgressUpdate{1, 0, 101}));
}

}  // namespace
}  // namespace qm
