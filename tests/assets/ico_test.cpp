// The committed ICO files as a Windows loader reads them: the directory, then
// each image's own header (BITMAPINFOHEADER), its size, colour depth,
// palette and pixel data, against the sizes and depths each icon must hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "RowName.h"
#include "TempTree.h"

namespace qm {
namespace {

using SizeDepth = std::pair<std::size_t, std::size_t>;  // pixels square, bits per pixel

struct IconRow {
  const char* name;
  std::multiset<SizeDepth> images;
};

void PrintTo(const IconRow& row, std::ostream* os) { *os << row.name; }
class IcoFile : public ::testing::TestWithParam<IconRow> {};

// Each image: the size and depth its directory entry gives, a DIB of that
// size (height doubled for the mask), uncompressed, with a palette of at most
// 256 colours, colour rows then the 1-bit mask each padded to four bytes,
// ending where the directory says.
TEST_P(IcoFile, HoldsEverySizeAtEveryDepth) {
  const std::string b = test::ReadAll(std::string(QM_ICON_DIR) + "/" + GetParam().name + ".ico");
  const auto le16 = [&](std::size_t at) -> std::size_t { return std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8; };
  const auto le32 = [&](std::size_t at) { return le16(at) | le16(at + 2) << 16; };
  ASSERT_TRUE(b.size() >= 6 && le16(0) == 0 && le16(2) == 1 && b.size() >= 6 + 16 * le16(4)) << "no icon directory";
  std::multiset<SizeDepth> found;
  for (std::size_t entry = 6; entry < 6 + 16 * le16(4); entry += 16) {
    SCOPED_TRACE("entry at " + std::to_string(entry));
    const std::size_t size = le32(entry + 8), at = le32(entry + 12);
    ASSERT_LE(at + std::max<std::size_t>(size, 40), b.size());
    const std::size_t width = le32(at + 4), bits = le16(at + 14);
    const auto side = [&](std::size_t i) -> std::size_t { return b[entry + i] ? std::uint8_t(b[entry + i]) : 256; };
    // The directory's width and height, then the BITMAPINFOHEADER's size,
    // height (doubled for the mask), planes and compression (none).
    EXPECT_EQ((std::vector{side(0), side(1), le32(at), le32(at + 8), le16(at + 12), le32(at + 16)}),
              (std::vector<std::size_t>{width, width, 40, 2 * width, 1, 0}));
    EXPECT_TRUE(le16(entry + 6) == 0 || le16(entry + 6) == bits) << "depth in the directory";
    const std::size_t colours = bits > 8 ? 0 : le32(at + 32) ? le32(at + 32) : std::size_t{1} << bits;
    EXPECT_LE(colours, 256u);
    const auto stride = [&](std::size_t depth) { return (width * depth + 31) / 32 * 4; };
    // The header, the palette, the colour rows and the mask's rows.
    ASSERT_EQ(at + 40 + 4 * colours + (stride(bits) + stride(1)) * width, at + size) << "image data and layout differ";
    found.insert({width, bits});
  }
  EXPECT_EQ(found, GetParam().images);
}

// 8: 256 colours with a palette; 32: colour with alpha.
INSTANTIATE_TEST_SUITE_P(
    Icons, IcoFile,
    ::testing::Values(IconRow{"quillmere", {{16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}},
                      IconRow{"add", {{16, 8}, {16, 32}}}, IconRow{"remove", {{16, 8}, {16, 32}}},
                      IconRow{"info", {{16, 8}, {16, 32}, {24, 8}, {24, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}},
                      IconRow{"start", {{16, 8}, {16, 32}}}, IconRow{"web", {{32, 8}}}, IconRow{"mail", {{32, 8}}}),
    test::RowName());

}  // namespace
}  // namespace qm
