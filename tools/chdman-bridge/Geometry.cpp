#include "Geometry.h"

#include <limits>

namespace qm::bridge {
namespace {

// Reads decimal digits at `pos`; false when there are none or the value
// passes kMaxGeometryField.
bool ReadField(std::string_view text, std::size_t& pos, std::uint32_t& value) {
  const std::size_t start = pos;
  std::uint64_t v = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    v = v * 10 + static_cast<std::uint64_t>(text[pos] - '0');
    if (v > kMaxGeometryField) return false;
  }
  value = static_cast<std::uint32_t>(v);
  return pos > start && v > 0;
}

bool Expect(std::string_view text, std::size_t& pos, std::string_view word) {
  if (text.substr(pos, word.size()) != word) return false;
  pos += word.size();
  return true;
}

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) return std::numeric_limits<std::uint64_t>::max();
  return a * b;
}

}  // namespace

std::optional<std::uint32_t> ParseGeometryCount(std::string_view text) {
  std::size_t pos = 0;
  std::uint32_t value = 0;
  if (!ReadField(text, pos, value) || pos != text.size()) return std::nullopt;
  return value;
}

std::optional<HardDiskGeometry> ParseGddd(std::string_view text) {
  HardDiskGeometry g;
  std::size_t pos = 0;
  if (Expect(text, pos, "CYLS:") && ReadField(text, pos, g.cylinders) && Expect(text, pos, ",HEADS:") &&
      ReadField(text, pos, g.heads) && Expect(text, pos, ",SECS:") && ReadField(text, pos, g.sectors) &&
      Expect(text, pos, ",BPS:") && ReadField(text, pos, g.bytesPerSector)) {
    return g;
  }
  return std::nullopt;
}

std::string GdddText(const HardDiskGeometry& g) {
  return "CYLS:" + std::to_string(g.cylinders) + ",HEADS:" + std::to_string(g.heads) +
         ",SECS:" + std::to_string(g.sectors) + ",BPS:" + std::to_string(g.bytesPerSector);
}

std::uint64_t Capacity(const HardDiskGeometry& g) {
  std::uint64_t bytes = SaturatingProduct(g.cylinders, g.heads);
  bytes = SaturatingProduct(bytes, g.sectors);
  return SaturatingProduct(bytes, g.bytesPerSector);
}

std::string Describe(const HardDiskGeometry& g) {
  return GroupDigits(g.cylinders) + " cylinders, " + GroupDigits(g.heads) + " heads, " + GroupDigits(g.sectors) +
         " sectors of " + GroupDigits(g.bytesPerSector) + " bytes";
}

std::string GroupDigits(std::uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace qm::bridge
