#pragma once
// The parts of a CHD file of version 5 that hold its metadata: the 124-byte
// header and the chain of metadata entries, each a 16-byte head (tag, flags,
// 24-bit length, offset of the next entry) and its data. Numbers are
// big-endian in the file. A file that does not hold together (sizes, offsets
// outside the file, entries that overlap or loop) is refused with a reason;
// nothing is read outside the file and every walk is bounded.

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "Sha1.h"

namespace qm::bridge {

inline constexpr std::uint32_t kHardDiskTag = 0x47444444;  // "GDDD"
inline constexpr std::uint8_t kChecksummedEntry = 0x01;     // the entry counts in the overall SHA1
inline constexpr std::size_t kChdHeaderBytes = 124;

// Random access to the bytes of a file.
class ChdIo {
 public:
  virtual ~ChdIo() = default;
  virtual std::uint64_t Size() = 0;
  // False unless every byte of the range was read / written. A write may
  // start at Size() and so extend the file.
  virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
  virtual bool Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
};

class ChdBytes : public ChdIo {
 public:
  explicit ChdBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;
  bool Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

class ChdFile : public ChdIo {
 public:
  // nullptr when the file cannot be opened.
  static std::unique_ptr<ChdFile> Open(const std::string& utf8Path, bool writable);
  std::uint64_t Size() override;
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;
  bool Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
  // False when a write did not reach the file.
  bool Close();

 private:
  explicit ChdFile(std::fstream stream) : stream_(std::move(stream)) {}
  std::fstream stream_;
};

struct ChdHeader {
  std::array<std::uint8_t, kChdHeaderBytes> raw{};
  std::uint64_t logicalBytes = 0;
  std::uint64_t metaOffset = 0;  // first metadata entry; 0 when there is none
  std::uint32_t hunkBytes = 0;
  bool compressed = false;
  Sha1Digest rawSha1{};     // of the data
  Sha1Digest sha1{};        // overall: data and checksummed metadata
  Sha1Digest parentSha1{};  // all zero when the image has no parent

  bool HasParent() const;
};

struct ChdMetadataEntry {
  std::uint64_t offset = 0;  // of its head in the file
  std::uint32_t tag = 0;
  std::uint8_t flags = 0;
  std::vector<std::uint8_t> data;
};

struct ChdLayout {
  ChdHeader header;
  std::vector<ChdMetadataEntry> entries;  // in chain order
};

// Limits a file must keep to be read: entries in the chain, their data in all.
inline constexpr std::size_t kMaxMetadataEntries = 65536;
inline constexpr std::uint64_t kMaxMetadataBytes = 64u << 20;

// The header and metadata chain of a version 5 file; else the reason.
std::variant<ChdLayout, std::string> ReadChdLayout(ChdIo& file);

// SHA1 of the raw SHA1 followed by the (tag, SHA1 of data) pairs of the
// checksummed entries, sorted bytewise: the header's overall SHA1.
Sha1Digest OverallSha1(const Sha1Digest& rawSha1, const std::vector<ChdMetadataEntry>& entries);

// Why the first entry tagged `tag` cannot be replaced: the image has a
// parent, has no such entry, or is compressed and its overall SHA1 is not
// the one OverallSha1 gives. nullopt when it can.
std::optional<std::string> ReplaceRefusal(const ChdLayout& layout, std::uint32_t tag);

// Gives the first entry tagged `tag` the data `data`, keeping its flags, as
// the tool does: over its old data when that is as long or longer (the
// length follows), else as a new entry at the end of the file, linked where
// the old one was. A compressed image's overall SHA1 follows; an
// uncompressed one's is left as the tool leaves it. The reason on failure.
std::optional<std::string> ReplaceMetadata(ChdIo& file, const ChdLayout& layout, std::uint32_t tag,
                                           std::span<const std::uint8_t> data);

// Why `edited` is not `original` with that replacement made: any other
// header byte or entry different, or a compressed image's overall SHA1 not
// matching its metadata. nullopt when it is.
std::optional<std::string> ReplacementMismatch(const ChdLayout& original, const ChdLayout& edited, std::uint32_t tag,
                                               std::span<const std::uint8_t> data);

}  // namespace qm::bridge
