// The geometry dialog's logic: the key filter of its three boxes and the
// text a confirmation produces.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "RowName.h"
#include "dialogs/Chs.h"

namespace qm {
namespace {

TEST(FilterChsCharTest, OnlyBackspaceAndDigitsPassOverAllByteCodes) {
  int passed = 0;
  for (int code = 0; code <= 255; ++code) {
    const int result = FilterChsChar(code);
    const bool digit = code >= '0' && code <= '9';
    if (code == 8 || digit) {
      EXPECT_EQ(result, code) << "code " << code;
      ++passed;
    } else {
      EXPECT_EQ(result, 0) << "code " << code;
    }
  }
  EXPECT_EQ(passed, 11);
  // Codes beyond one byte are never digits here: negative, a digit plus 256, fullwidth zero.
  for (int code : {-1, '5' + 256, 0xFF10}) EXPECT_EQ(FilterChsChar(code), 0) << code;
}

struct ConfirmRow {
  std::string_view name;
  std::string_view c, h, s;
  std::string_view chsValue;
};

void PrintTo(const ConfirmRow& row, std::ostream* os) { *os << row.name; }

class ConfirmChsTest : public testing::TestWithParam<ConfirmRow> {};

TEST_P(ConfirmChsTest, TrimsEachBoxAndEndsEveryFieldWithABlank) {
  const ConfirmRow& row = GetParam();
  const ChsGeometry geometry = ConfirmChs(row.c, row.h, row.s);
  EXPECT_TRUE(geometry.confirmed);
  EXPECT_EQ(geometry.ChsValue(), row.chsValue);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ConfirmChsTest,
    testing::Values(ConfirmRow{"Typical", "1024", "16", "63", "1024 16 63 "},
                    ConfirmRow{"AllEmpty", "", "", "", "   "},
                    ConfirmRow{"OuterBlanksTrimmed", "  1024 ", " 16", "63   ", "1024 16 63 "},
                    ConfirmRow{"InnerBlanksKept", " 10 24 ", "1 6", "6  3", "10 24 1 6 6  3 "},
                    ConfirmRow{"TabIsNotABlank", "\t1024", "16\t", "63", "\t1024 16\t 63 "},
                    ConfirmRow{"NoValidation", "0", "99999999999", "abc", "0 99999999999 abc "}),
    test::RowName());

}  // namespace
}  // namespace qm
