// The About dialog's logic: its caption from a version, and the link each
// address label opens.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "dialogs/About.h"

namespace qm {
namespace {

struct CaptionRow {
  std::string_view name;
  VersionInfo version;
  std::string_view caption;
};

void PrintTo(const CaptionRow& row, std::ostream* os) { *os << row.name; }

class AboutCaptionTest : public testing::TestWithParam<CaptionRow> {};

TEST_P(AboutCaptionTest, NameVersionBetaAndTwoBlanksBeforeTheHyphen) {
  EXPECT_EQ(AboutCaption(GetParam().version), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, AboutCaptionTest,
    testing::Values(
        CaptionRow{"release_0_9_0", {"Quillmere", 0, 9, 0}, "Quillmere 0.9.0 beta  - Informazioni sull'autore"},
        // Decimal without leading zeros, however many digits.
        CaptionRow{"two_digit_numbers", {"Quillmere", 1, 10, 12}, "Quillmere 1.10.12 beta  - Informazioni sull'autore"},
        CaptionRow{"large_revision", {"Quillmere", 3, 0, 4071}, "Quillmere 3.0.4071 beta  - Informazioni sull'autore"},
        CaptionRow{"other_product", {"Prova", 2, 1, 7}, "Prova 2.1.7 beta  - Informazioni sull'autore"}),
    [](const auto& info) { return std::string(info.param.name); });

// The build's version is the CMake project's, passed in by the test's build.
TEST(BuildVersionTest, IsTheProjectVersion) {
  const VersionInfo version = BuildVersion();
  EXPECT_EQ(version.product, QM_TEST_PRODUCT);
  EXPECT_EQ(std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                std::to_string(version.revision),
            QM_TEST_VERSION);
}

struct LinkRow {
  std::string_view name;
  int index;
  std::string_view text;
  std::string_view url;
};

void PrintTo(const LinkRow& row, std::ostream* os) { *os << row.name; }

class LinkUrlTest : public testing::TestWithParam<LinkRow> {};

TEST_P(LinkUrlTest, SchemeByIndexThenTheTextUnchanged) {
  EXPECT_EQ(LinkUrl(GetParam().index, GetParam().text), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, LinkUrlTest,
    testing::Values(LinkRow{"web_address", 0, "quillmere.example.org", "http://quillmere.example.org"},
                    LinkRow{"mail_address", 1, "info@quillmere.example.org", "mailto:info@quillmere.example.org"},
                    // Whatever the label shows is the link, even text with a scheme or blanks.
                    LinkRow{"web_text_with_scheme", 0, "http://x.org", "http://http://x.org"},
                    LinkRow{"web_text_with_blanks", 0, " a b ", "http:// a b "},
                    LinkRow{"empty_web_text", 0, "", "http://"},
                    LinkRow{"empty_mail_text", 1, "", "mailto:"},
                    // Every index but 0 is a mail link.
                    LinkRow{"index_2_is_mail", 2, "x@y", "mailto:x@y"},
                    LinkRow{"negative_index_is_mail", -1, "x@y", "mailto:x@y"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm
