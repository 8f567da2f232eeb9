#pragma once
// What the bridge needs to know of an image, read from the text the current
// tool prints for `info -i IMAGE`.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Geometry.h"

namespace qm::bridge {

struct ImageInfo {
  int version = 0;
  std::uint64_t logicalBytes = 0;
  std::uint32_t hunkBytes = 0;
  std::uint64_t totalHunks = 0;
  std::vector<std::string> codecs;  // short names ("lzma", "zlib"); empty when uncompressed
  std::string dataSha1;             // empty when not shown (uncompressed images)
  std::string parentSha1;           // empty when the image has no parent
  std::optional<HardDiskGeometry> geometry;  // GDDD metadata of index 0, when present
  std::vector<std::string> metadataTags;     // of every entry shown: "GDDD", "CHT2", "DVD "

  bool compressed() const { return !codecs.empty(); }
};

// nullopt when the version, logical size, hunk size, hunk count or
// compression line is missing or unreadable.
std::optional<ImageInfo> ParseImageInfo(std::string_view text);

// What the image holds, told by its metadata: a CD (CHCD, CHTR, CHT2, CHGT,
// CHGD), a DVD ("DVD ") or a hard disk (GDDD).
enum class MediumKind { Unknown, Cd, Dvd, HardDisk };
MediumKind MediumOf(const ImageInfo& info);

// What the tool says of itself when run without arguments: its version from
// "... manager 0.251 (...)" and the commands of its usage lines
// ("   chdman createcd: ...").
struct ToolUsage {
  std::string version;  // empty when the banner shows none
  std::vector<std::string> commands;
  bool Has(std::string_view command) const;
};
ToolUsage ParseToolUsage(std::string_view text);

// The codecs as the tool's "-c" option takes them: "lzma,zlib" or "none".
std::string CompressionOption(const ImageInfo& info);

}  // namespace qm::bridge
