// What a chdman says of itself when started without arguments.
#include <gtest/gtest.h>

#include "RowName.h"
#include "runner/ToolLookup.h"

namespace qm {
namespace {

struct BannerRow {
  const char* name;
  const char* output;
  std::optional<ToolDialect> dialect;
  const char* version;
};

class ToolBanners : public ::testing::TestWithParam<BannerRow> {};

TEST_P(ToolBanners, TellTheOldToolFromTodays) {
  const BannerRow& row = GetParam();
  const std::optional<ToolBanner> banner = ReadToolBanner(row.output);
  ASSERT_EQ(banner.has_value(), row.dialect.has_value());
  if (!banner) return;
  EXPECT_EQ(banner->dialect, *row.dialect);
  EXPECT_EQ(banner->version, row.version);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ToolBanners,
    ::testing::Values(
        BannerRow{"Debian", "chdman - MAME Compressed Hunks of Data (CHD) manager 0.251 (unknown)\nUsage:\n",
                  ToolDialect::Current, "0.251"},
        BannerRow{"LastOld", "chdman - MAME Compressed Hunks of Data (CHD) manager 0.145\r\n", ToolDialect::Old, "0.145"},
        BannerRow{"FirstCurrent", "manager 0.146 (mame0146)\n", ToolDialect::Current, "0.146"},
        BannerRow{"AfterAnErrorLine", "Error: Required parameters missing\nchdman - ... manager 0.264\n",
                  ToolDialect::Current, "0.264"},
        BannerRow{"ALaterMajor", "CHD manager 1.02\n", ToolDialect::Current, "1.02"},
        BannerRow{"UsageOnly", "Usage:\n chdman -update in out\n chdman -setchs inout c h s\n", ToolDialect::Old, ""},
        BannerRow{"NotATool", "ready\n", std::nullopt, ""},
        BannerRow{"ManagerWithoutANumber", "task manager running\n", std::nullopt, ""}),
    test::RowName());

}  // namespace
}  // namespace qm
