// The progress parser fed with tool output: single rows of edge cases, the
// same output cut into chunks at random places, and endless output that must
// not grow the buffer.

#include <gtest/gtest.h>

#include <optional>
#include <random>
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
        FeedRow{"FirstJob", {Line("250/1000")}, 1, 1000, ProgressUpdate{10, 2, 25}},
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

// Pieces of output, each ending where the stream may be cut, with the bars
// its last good line gives in job 2 of a batch ending at 1000.
struct Section {
  std::string text;
  Bars expected;
};

std::vector<Section> Sections() {
  constexpr std::size_t limit = ProgressParser::kMaxPendingLine;
  std::vector<Section> s;

  std::string run = "Input: game.chd (12 MB)\n";
  for (int i = 1; i <= 4321; ++i) {
    run += Line(std::to_string(i) + "/20000");
    if (i % 37 == 0) run += "Compressing hunk x/y. (bad)\n";
    if (i % 53 == 0) run += "Compressing hun";
  }
  s.push_back({run, ProgressUpdate{200, 43, 121}});

  s.push_back({Padded(limit) + ")", ProgressUpdate{9, 7, 177}});
  s.push_back({Padded(limit + 1) + ")", std::nullopt});
  s.push_back({"Compressing hunk 1/2. " + std::string(5000, 'a') + "Compressing hunk 9/10.)", ProgressUpdate{10, 9, 190}});
  // A line that starts inside an over-long one goes with it.
  s.push_back({"Compressing hunk 1/2. " + std::string(3000, 'a') + "Compressing hunk 3/4." + std::string(2000, 'b') + ")",
               std::nullopt});
  s.push_back({"Compressing hunCompressing hunk 42/100.)", ProgressUpdate{1, 0, 142}});
  s.push_back({"Compressing hunk 5/100", std::nullopt});
  s.push_back({". (x)", ProgressUpdate{1, 0, 105}});
  return s;
}

struct ChunkingRow {
  const char* name;
  std::size_t longestPiece;
  int rounds;
};

class ChunkingRows : public ::testing::TestWithParam<ChunkingRow> {};

TEST_P(ChunkingRows, CutsDoNotChangeTheBars) {
  const auto sections = Sections();
  std::mt19937 random(20240611);
  for (int round = 0; round < GetParam().rounds; ++round) {
    ProgressParser parser;
    std::uniform_int_distribution<std::size_t> piece(1, GetParam().longestPiece);
    for (std::size_t k = 0; k < sections.size(); ++k) {
      const std::string& text = sections[k].text;
      Bars last;
      for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(piece(random), text.size() - at);
        if (auto bars = parser.Feed(std::string_view(text).substr(at, n), 2, 1000)) last = bars;
        at += n;
      }
      ASSERT_EQ(last, sections[k].expected) << "section " << k << ", round " << round;
    }
    EXPECT_EQ(parser.Buffer(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Parser, ChunkingRows,
                         ::testing::Values(ChunkingRow{"SingleBytes", 1, 1}, ChunkingRow{"UpTo20", 20, 20},
                                           ChunkingRow{"UpTo5000", 5000, 50}),
                         test::RowName());

struct FloodRow {
  const char* name;
  std::string unit;        // repeated to 10 MB
  std::size_t maxBuffer;   // the buffer never grows past this
  std::string after;       // fed once the flood is over
  Bars expected;
};

class FloodRows : public ::testing::TestWithParam<FloodRow> {};

TEST_P(FloodRows, BufferStaysBounded) {
  std::string flood;
  while (flood.size() < 10u << 20) flood += GetParam().unit;
  ProgressParser parser;
  std::size_t largest = 0;
  for (std::size_t at = 0; at < flood.size(); at += 4093) {
    EXPECT_EQ(parser.Feed(std::string_view(flood).substr(at, 4093), 2, 1000), std::nullopt);
    largest = std::max(largest, parser.Buffer().size());
  }
  EXPECT_LE(largest, GetParam().maxBuffer);
  EXPECT_EQ(parser.Feed(GetParam().after, 2, 1000), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, FloodRows,
    ::testing::Values(
        FloodRow{"Noise", "Compressing hun\r\nratio ) ( 12/34. Compressing\n", 16, "Compressing hunk 50/100.)",
                 ProgressUpdate{1, 0, 150}},
        // The pending line always begins with a whole unit, so the ")" ends a 1/100 line.
        FloodRow{"PrefixWithoutParenthesis", "Compressing hunk 1/100. ", ProgressParser::kMaxPendingLine, ")",
                 ProgressUpdate{1, 0, 101}}),
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
