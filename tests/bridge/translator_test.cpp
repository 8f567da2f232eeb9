// The bridge's rewriting of the current tool's output: progress lines into
// the old form, errors noticed even when the tool exits 0, and the same
// result however the output is cut.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ProgressTranslator.h"

namespace qm::bridge {
namespace {

struct TranslationRow {
  const char* name;
  std::uint64_t hunks;
  int stage, stages;
  std::string_view input;
  const char* expected;    // null: not checked
  std::string_view reason;  // the error noticed; empty: none
};
void PrintTo(const TranslationRow& row, std::ostream* os) { *os << row.name; }

class TranslationTest : public testing::TestWithParam<TranslationRow> {};

TEST_P(TranslationTest, TranslatesAndNoticesErrors) {
  const TranslationRow& row = GetParam();
  ProgressTranslator t(row.hunks, row.stage, row.stages);
  std::string text = t.Feed(row.input);
  text += t.Flush();
  EXPECT_EQ(text, row.expected ? row.expected : text);
  EXPECT_EQ(t.ErrorReported(), !row.reason.empty());
  EXPECT_EQ(t.ErrorReason(), row.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TranslationTest,
    testing::Values(
        TranslationRow{"hunks are rounded down", 1024, 0, 1, "Compressing, 99.9% complete... (ratio=9.0%)  \r",
                       "Compressing hunk 1022/1024... (ratio=9.0%)  \r", ""},
        TranslationRow{"second of three stages", 900, 1, 3, "Compressing, 50.0% complete... (ratio=1.0%)  \r",
                       "Compressing hunk 450/900... (ratio=1.0%)  \r", ""},
        TranslationRow{"whole percent", 200, 0, 1, "Compressing, 7% complete... (ratio=3.0%)  \r",
                       "Compressing hunk 14/200... (ratio=3.0%)  \r", ""},
        TranslationRow{"verifying is named in the parentheses", 1000, 0, 1, "Verifying, 40.0% complete...  \r",
                       "Compressing hunk 400/1000... (Verifying)  \r", ""},
        TranslationRow{"line ended by a newline still ends in a carriage return", 10, 0, 1,
                       "Compressing, 50.0% complete... (ratio=2.0%)\n", "Compressing hunk 5/10... (ratio=2.0%)\r", ""},
        TranslationRow{"nan is no progress", 1000, 0, 1,
                       "Compressing, nan% complete... (ratio=nan%)  \rVerifying, nan% complete...\n", "", ""},
        TranslationRow{"a broken percentage passes unchanged", 1000, 0, 1,
                       "Compressing, 1.% complete...\rCompressing, x% complete...\r",
                       "Compressing, 1.% complete...\rCompressing, x% complete...\r", ""},
        TranslationRow{"unknown hunk count passes progress unchanged", 0, 0, 1,
                       "Compressing, 50.0% complete... (ratio=2.0%)  \r",
                       "Compressing, 50.0% complete... (ratio=2.0%)  \r", ""},
        TranslationRow{"unfinished last line is translated at the end", 100, 0, 1,
                       "Compressing, 50.0% complete... (ratio=2.0%)  ", "Compressing hunk 50/100... (ratio=2.0%)  \r", ""},
        TranslationRow{"first error line wins over advice", 100, 0, 1,
                       "Error: file already exists (o.chd)\nUse --force (or -f) to force overwriting\nFatal error occurred: 1\n",
                       nullptr, "Error: file already exists (o.chd)"},
        TranslationRow{"plain message before the fatal line", 100, 0, 1,
                       "Logical size: 5\nData size is not divisible by sector size 512\nFatal error occurred: 1\n",
                       nullptr, "Data size is not divisible by sector size 512"},
        TranslationRow{"unterminated error line", 100, 0, 1,
                       "Compressing, 5.0% complete... (ratio=1.0%)  \rError: write failed", nullptr, "Error: write failed"},
        TranslationRow{"a file named Error is no error", 100, 0, 1,
                       "chdman - banner\nInput file:   Error.chd\nCompression complete ... final ratio = 9.0%\n",
                       "chdman - banner\nInput file:   Error.chd\nCompression complete ... final ratio = 9.0%\n", ""}));

constexpr std::string_view kRun =
    "chdman - banner\nOutput CHD:   out.tmp\nCompressing, 0.0% complete... (ratio=100.0%)  \r"
    "Compressing, 43.6% complete... (ratio=69.7%)  \rCompressing, 87.9% complete... (ratio=87.9%)  \r"
    "Compression complete ... final ratio = 99.9%            \n";

TEST(TranslatorChunksTest, EveryCutOfTheOutputGivesTheSameText) {
  std::string whole;
  for (std::size_t cut = 0; cut <= kRun.size(); ++cut) {
    ProgressTranslator t(4096);
    std::string text = t.Feed(kRun.substr(0, cut));
    text += t.Feed(kRun.substr(cut));
    text += t.Flush();
    if (cut == 0) whole = text;
    ASSERT_EQ(text, whole) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace qm::bridge
