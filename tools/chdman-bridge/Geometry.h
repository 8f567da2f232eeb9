#pragma once
// Hard disk geometry as the tool stores it in the image's "GDDD" metadata:
// "CYLS:c,HEADS:h,SECS:s,BPS:b".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::bridge {

struct HardDiskGeometry {
  std::uint32_t cylinders = 0;
  std::uint32_t heads = 0;
  std::uint32_t sectors = 0;
  std::uint32_t bytesPerSector = 0;

  bool operator==(const HardDiskGeometry&) const = default;
};

// Largest value of each field: readers of the metadata take them as C ints.
inline constexpr std::uint32_t kMaxGeometryField = 2147483647u;

// A count typed for the geometry: decimal digits only, 1 to kMaxGeometryField.
std::optional<std::uint32_t> ParseGeometryCount(std::string_view text);

// The four fields of a GDDD text; anything after the BPS digits (the
// terminating NUL, shown by `info` as ".") is ignored. nullopt when a field
// is missing, zero or out of range.
std::optional<HardDiskGeometry> ParseGddd(std::string_view text);

// "CYLS:c,HEADS:h,SECS:s,BPS:b", without a terminator.
std::string GdddText(const HardDiskGeometry& geometry);

// Bytes the geometry addresses, c * h * s * bps; saturates at UINT64_MAX.
std::uint64_t Capacity(const HardDiskGeometry& geometry);

// "1,024 cylinders, 16 heads, 63 sectors of 512 bytes", for messages.
std::string Describe(const HardDiskGeometry& geometry);

// 4194304 -> "4,194,304", as the tool writes sizes.
std::string GroupDigits(std::uint64_t value);

}  // namespace qm::bridge
