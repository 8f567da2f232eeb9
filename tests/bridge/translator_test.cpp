// The bridge's rewriting of the current tool's output: progress lines into
// the old form, errors noticed even
// when the tool exits 0, and the same result however the output is cut.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ProgressTranslator.h"

namespace qm::bridge {
namespace {

std::string TranslateWhole(std::string_view output, std::uint64_t hunks, int stage = 0, int stages = 1) {
  ProgressTranslator t(hunks, stage, stages);
  std::string text = t.Feed(output);
  return text + t.Flush();
}

struct TranslationRow {
  const char* name;
  std::uint64_t hunks;
  int stage, stages;
  std::string_view input;
  std::string_view expected;
};
void PrintTo(const TranslationRow& row, std::ostream* os) { *os << row.name; }

class TranslationTest : public testing::TestWithParam<TranslationRow> {};

TEST_P(TranslationTest, Translates) {
  const TranslationRow& row = GetParam();
  EXPECT_EQ(TranslateWhole(row.input, row.hunks, row.stage, row.stages), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TranslationTest,
    testing::Values(
        TranslationRow{"hunks are rounded down", 1024, 0, 1, "Compressing, 99.9% complete... (ratio=9.0%)  \r",
                       "Compressing hunk 1022/1024... (ratio=9.0%)  \r"},
        TranslationRow{"second of three stages", 900, 1, 3, "Compressing, 50.0% complete... (ratio=1.0%)  \r",
                       "Compressing hunk 450/900... (ratio=1.0%)  \r"},
        TranslationRow{"whole percent", 200, 0, 1, "Compressing, 7% complete... (ratio=3.0%)  \r",
                       "Compressing hunk 14/200... (ratio=3.0%)  \r"},
        TranslationRow{"verifying is named in the parentheses", 1000, 0, 1, "Verifying, 40.0% complete...  \r",
                       "Compressing hunk 400/1000... (Verifying)  \r"},
        TranslationRow{"line ended by a newline still ends in a carriage return", 10, 0, 1,
                       "Compressing, 50.0% complete... (ratio=2.0%)\n", "Compressing hunk 5/10... (ratio=2.0%)\r"},
        TranslationRow{"other lines pass unchanged", 1000, 0, 1,
                       "chdman - banner\nRaw SHA1 verification successful!\r\n",
                       "chdman - banner\nRaw SHA1 verification successful!\r\n"},
        TranslationRow{"nan is no progress", 1000, 0, 1, "Compressing, nan% complete... (ratio=nan%)  \rVerifying, nan% complete...\n", ""},
        TranslationRow{"a broken percentage passes unchanged", 1000, 0, 1,
                       "Compressing, 1.% complete...\rCompressing, x% complete...\r",
                       "Compressing, 1.% complete...\rCompressing, x% complete...\r"},
        TranslationRow{"unknown hunk count passes progress unchanged", 0, 0, 1,
                       "Compressing, 50.0% complete... (ratio=2.0%)  \r",
                       "Compressing, 50.0% complete... (ratio=2.0%)  \r"},
        TranslationRow{"unfinished last line is translated at the end", 100, 0, 1,
                       "Compressing, 50.0% complete... (ratio=2.0%)  ", "Compressing hunk 50/100... (ratio=2.0%)  \r"}));

constexpr std::string_view kRun =
    "chdman - banner\nOutput CHD:   out.tmp\nCompressing, 0.0% complete... (ratio=100.0%)  \r"
    "Compressing, 43.6% complete... (ratio=69.7%)  \rCompressing, 87.9% complete... (ratio=87.9%)  \r"
    "Compression complete ... final ratio = 99.9%            \n";

TEST(TranslatorChunksTest, EveryCutOfTheOutputGivesTheSameText) {
  const std::string whole = TranslateWhole(kRun, 4096);
  for (std::size_t cut = 0; cut <= kRun.size(); ++cut) {
    ProgressTranslator t(4096);
    std::string text = t.Feed(kRun.substr(0, cut));
    text += t.Feed(kRun.substr(cut));
    ASSERT_EQ(text + t.Flush(), whole) << "cut at " << cut;
  }
  ProgressTranslator bytewise(4096);
  std::string text;
  for (char c : kRun) text += bytewise.Feed(std::string_view(&c, 1));
  text += bytewise.Flush();
  EXPECT_EQ(text, whole);
}

struct ErrorRow {
  const char* name;
  std::string_view output;
  bool reported;
  std::string_view reason;
};
void PrintTo(const ErrorRow& row, std::ostream* os) { *os << row.name; }

class ErrorReportTest : public testing::TestWithParam<ErrorRow> {};

TEST_P(ErrorReportTest, NoticesTheToolsErrorAndItsReason) {
  ProgressTranslator t(100);
  t.Feed(GetParam().output);
  t.Flush();
  EXPECT_EQ(t.ErrorReported(), GetParam().reported);
  EXPECT_EQ(t.ErrorReason(), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ErrorReportTest,
    testing::Values(
        ErrorRow{"first error line wins over advice", "Error: file already exists (o.chd)\nUse --force (or -f) to force overwriting\nFatal error occurred: 1\n",
                 true, "Error: file already exists (o.chd)"},
        ErrorRow{"plain message before the fatal line", "Logical size: 5\nData size is not divisible by sector size 512\nFatal error occurred: 1\n",
                 true, "Data size is not divisible by sector size 512"},
        ErrorRow{"unterminated error line", "Compressing, 5.0% complete... (ratio=1.0%)  \rError: write failed", true,
                 "Error: write failed"},
        ErrorRow{"a file named Error is no error", "Input file:   Error.chd\nCompression complete ... final ratio = 9.0%\n",
                 false, ""}));

}  // namespace
}  // namespace qm::bridge
