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

// Every code from -1 to 0xFFFF: only backspace and the ASCII digits pass.
TEST(FilterChsCharTest, OnlyBackspaceAndDigitsPass) {
  for (int code = -1; code <= 0xFFFF; ++code) {
    const bool passes = code == 8 || (code >= '0' && code <= '9');
    ASSERT_EQ(FilterChsChar(code), passes ? code : 0) << "code " << code;
  }
}

struct ConfirmRow {
  std::string_view name;
  std::string_view c, h, s, chsValue;  // the three boxes, and the value they give
};

void PrintTo(const ConfirmRow& row, std::ostream* os) { *os << row.name; }
class ConfirmChsTest : public testing::TestWithParam<ConfirmRow> {};

TEST_P(ConfirmChsTest, TrimsEachBoxAndEndsEveryFieldWithABlank) {
  const ConfirmRow& row = GetParam();
  const ChsGeometry geometry = ConfirmChs(row.c, row.h, row.s);
  EXPECT_EQ(std::pair(geometry.confirmed, geometry.ChsValue()), std::pair(true, std::string(row.chsValue)));
}

// Outer blanks go and inner ones stay; a typical entry is typed in the window tests.
INSTANTIATE_TEST_SUITE_P(
    Boxes, ConfirmChsTest,
    testing::Values(ConfirmRow{"AllEmpty", "", "", "", "   "},
                    ConfirmRow{"InnerBlanksKept", " 10 24 ", "1 6", "6  3", "10 24 1 6 6  3 "},
                    ConfirmRow{"TabIsNotABlank", "\t1024", "16\t", "63", "\t1024 16\t 63 "},
                    ConfirmRow{"NoValidation", "0", "99999999999", "abc", "0 99999999999 abc "}),
    test::RowName());

}  // namespace
}  // namespace qm
