// The committed ICO files as a Windows loader reads them: the directory, then
// each image's own header (BITMAPINFOHEADER), its size, colour depth,
// palette and pixel data, against the sizes and depths each icon must hold.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempTree.h"

namespace qm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using SizeDepth = std::pair<int, int>;  // pixels square, bits per pixel

std::uint32_t Le16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t Le32(const Bytes& b, std::size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

struct Image {
  int width = 0;
  int height = 0;
  int bits = 0;
  bool anyOpaque = false;  // something is drawn, not a blank image
};

// A DIB image: BITMAPINFOHEADER, palette, colour rows, then the 1-bit mask,
// every row padded to four bytes, bottom-up, the height counting both parts.
::testing::AssertionResult ReadDib(const Bytes& b, std::size_t at, std::size_t size, Image& image) {
  if (size < 40 || Le32(b, at) != 40) return ::testing::AssertionFailure() << "no BITMAPINFOHEADER";
  image.width = static_cast<int>(Le32(b, at + 4));
  const int doubled = static_cast<int>(Le32(b, at + 8));
  if (doubled != 2 * image.width) return ::testing::AssertionFailure() << "height " << doubled << " is not twice the width";
  image.height = doubled / 2;
  if (Le16(b, at + 12) != 1) return ::testing::AssertionFailure() << "planes " << Le16(b, at + 12);
  image.bits = static_cast<int>(Le16(b, at + 14));
  if (Le32(b, at + 16) != 0) return ::testing::AssertionFailure() << "compressed DIB";
  std::size_t colours = 0;
  if (image.bits <= 8) {
    const std::uint32_t used = Le32(b, at + 32);
    colours = used ? used : std::size_t{1} << image.bits;
    if (colours > 256) return ::testing::AssertionFailure() << colours << " palette entries";
  }
  const auto stride = [&](int bits) { return static_cast<std::size_t>((image.width * bits + 31) / 32 * 4); };
  const std::size_t pixels = at + 40 + 4 * colours;
  const std::size_t mask = pixels + stride(image.bits) * image.height;
  const std::size_t end = mask + stride(1) * image.height;
  if (end != at + size) return ::testing::AssertionFailure() << "image data " << size << " bytes, layout needs " << end - at;

  for (int y = 0; y < image.height && !image.anyOpaque; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const bool masked = b[mask + y * stride(1) + x / 8] & (0x80 >> (x % 8));
      const bool alpha = image.bits != 32 || b[pixels + y * stride(32) + 4 * x + 3] != 0;
      if (!masked && alpha) {
        image.anyOpaque = true;
        break;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadIco(const Bytes& b, std::vector<Image>& images) {
  if (b.size() < 6 || Le16(b, 0) != 0 || Le16(b, 2) != 1) return ::testing::AssertionFailure() << "not an icon file";
  const std::size_t count = Le16(b, 4);
  if (b.size() < 6 + 16 * count) return ::testing::AssertionFailure() << "directory cut short";
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const int listedWidth = b[entry] ? b[entry] : 256;
    const int listedHeight = b[entry + 1] ? b[entry + 1] : 256;
    const std::size_t size = Le32(b, entry + 8), at = Le32(b, entry + 12);
    if (at + size > b.size()) return ::testing::AssertionFailure() << "image " << i << " outside the file";
    Image image;
    auto read = ReadDib(b, at, size, image);
    if (!read) return read << " (image " << i << ")";
    if (image.width != listedWidth || image.height != listedHeight)
      return ::testing::AssertionFailure() << "image " << i << " is " << image.width << "x" << image.height
                                           << ", the directory says " << listedWidth << "x" << listedHeight;
    const int listedBits = static_cast<int>(Le16(b, entry + 6));
    if (listedBits != 0 && listedBits != image.bits)
      return ::testing::AssertionFailure() << "image " << i << " has " << image.bits << " bits, the directory says "
                                           << listedBits;
    images.push_back(image);
  }
  return ::testing::AssertionSuccess();
}

struct IconCase {
  const char* file;
  std::set<SizeDepth> images;
};

void PrintTo(const IconCase& c, std::ostream* os) { *os << c.file; }

class IcoFile : public ::testing::TestWithParam<IconCase> {};

TEST_P(IcoFile, HoldsEverySizeAtEveryDepth) {
  const IconCase& c = GetParam();
  const std::string file = test::ReadAll(std::string(QM_ICON_DIR) + "/" + c.file);
  const Bytes bytes(file.begin(), file.end());
  ASSERT_FALSE(bytes.empty()) << c.file;
  std::vector<Image> images;
  ASSERT_TRUE(ReadIco(bytes, images)) << c.file;
  std::multiset<SizeDepth> found;
  for (const Image& image : images) {
    found.insert({image.width, image.bits});
    EXPECT_TRUE(image.anyOpaque) << c.file << ": blank " << image.width << "-pixel image";
  }
  EXPECT_EQ(found, std::multiset<SizeDepth>(c.images.begin(), c.images.end())) << c.file;
}

// 8: 256 colours with a palette; 32: colour with alpha.
INSTANTIATE_TEST_SUITE_P(
    Icons, IcoFile,
    ::testing::Values(
        IconCase{"quillmere.ico", {{16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}},
        IconCase{"add.ico", {{16, 8}, {16, 32}}},
        IconCase{"remove.ico", {{16, 8}, {16, 32}}},
        IconCase{"start.ico", {{16, 8}, {16, 32}}},
        IconCase{"info.ico", {{16, 8}, {16, 32}, {24, 8}, {24, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}},
        IconCase{"web.ico", {{32, 8}}},
        IconCase{"mail.ico", {{32, 8}}}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace qm
