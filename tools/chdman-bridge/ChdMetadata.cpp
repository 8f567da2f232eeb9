#include "ChdMetadata.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>

#include "Utf8Path.h"

namespace qm::bridge {
namespace {

constexpr std::uint32_t kVersion = 5;
constexpr std::size_t kEntryHeadBytes = 16;
constexpr std::uint32_t kMaxEntryData = (1u << 24) - 1;
// Header fields.
constexpr std::size_t kLengthAt = 8, kVersionAt = 12, kCompressorAt = 16, kLogicalAt = 32, kMetaOffsetAt = 48,
                      kHunkBytesAt = 56, kRawSha1At = 64, kSha1At = 84, kParentSha1At = 104;

std::uint64_t ReadBe(const std::uint8_t* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

void WriteBe(std::uint8_t* p, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8) p[i] = static_cast<std::uint8_t>(value);
}

Sha1Digest DigestAt(const std::uint8_t* p) {
  Sha1Digest d;
  std::memcpy(d.data(), p, d.size());
  return d;
}

const ChdMetadataEntry* FirstTagged(const std::vector<ChdMetadataEntry>& entries, std::uint32_t tag) {
  for (const ChdMetadataEntry& e : entries) {
    if (e.tag == tag) return &e;
  }
  return nullptr;
}

bool WriteLink(ChdIo& file, std::uint64_t at, std::uint64_t target) {
  std::uint8_t bytes[8];
  WriteBe(bytes, target, 8);
  return file.Write(at, bytes);
}

std::string TagText(std::uint32_t tag) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>(tag >> shift);
  return text;
}

}  // namespace

bool ChdBytes::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
  return true;
}

bool ChdBytes::Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset > bytes_.size()) return false;
  if (bytes.size() > bytes_.size() - offset) bytes_.resize(offset + bytes.size());
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

std::unique_ptr<ChdFile> ChdFile::Open(const std::string& utf8Path, bool writable) {
  const auto mode = std::ios::binary | std::ios::in | (writable ? std::ios::out : std::ios::openmode{});
  std::fstream stream(PathFromUtf8(utf8Path), mode);
  if (!stream) return nullptr;
  return std::unique_ptr<ChdFile>(new ChdFile(std::move(stream)));
}

std::uint64_t ChdFile::Size() {
  stream_.clear();
  stream_.seekg(0, std::ios::end);
  const std::streamoff end = stream_.tellg();
  return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

bool ChdFile::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) return false;
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return stream_.good() && static_cast<std::size_t>(stream_.gcount()) == out.size();
}

bool ChdFile::Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) return false;
  stream_.clear();
  stream_.seekp(static_cast<std::streamoff>(offset));
  stream_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return stream_.good();
}

bool ChdFile::Close() {
  stream_.clear();
  stream_.flush();
  const bool flushed = stream_.good();
  stream_.close();
  return flushed && !stream_.fail();
}

bool ChdHeader::HasParent() const {
  return std::any_of(parentSha1.begin(), parentSha1.end(), [](std::uint8_t b) { return b != 0; });
}

std::variant<ChdLayout, std::string> ReadChdLayout(ChdIo& file) {
  ChdLayout layout;
  ChdHeader& h = layout.header;
  const std::uint64_t size = file.Size();
  if (size < kChdHeaderBytes || !file.Read(0, h.raw)) return std::string("shorter than a CHD header");
  if (std::memcmp(h.raw.data(), "MComprHD", 8) != 0) return std::string("not a CHD file");
  const std::uint64_t version = ReadBe(&h.raw[kVersionAt], 4);
  if (version != kVersion) return "CHD version " + std::to_string(version) + ", not 5";
  if (ReadBe(&h.raw[kLengthAt], 4) != kChdHeaderBytes) return std::string("header length is not that of version 5");
  h.logicalBytes = ReadBe(&h.raw[kLogicalAt], 8);
  h.metaOffset = ReadBe(&h.raw[kMetaOffsetAt], 8);
  h.hunkBytes = static_cast<std::uint32_t>(ReadBe(&h.raw[kHunkBytesAt], 4));
  h.compressed = ReadBe(&h.raw[kCompressorAt], 4) != 0;
  h.rawSha1 = DigestAt(&h.raw[kRawSha1At]);
  h.sha1 = DigestAt(&h.raw[kSha1At]);
  h.parentSha1 = DigestAt(&h.raw[kParentSha1At]);
  if (h.hunkBytes == 0) return std::string("hunk size 0");

  // Each entry lies inside the file after the header and apart from every
  // other, which also ends a chain that loops.
  std::set<std::pair<std::uint64_t, std::uint64_t>> spans;  // [begin, end)
  std::uint64_t dataBytes = 0;
  for (std::uint64_t at = h.metaOffset; at != 0;) {
    if (layout.entries.size() == kMaxMetadataEntries) return std::string("too many metadata entries");
    if (at < kChdHeaderBytes || at > size || size - at < kEntryHeadBytes) {
      return "metadata entry at " + std::to_string(at) + " lies outside the file";
    }
    std::uint8_t head[kEntryHeadBytes];
    if (!file.Read(at, head)) return std::string("metadata entry unreadable");
    ChdMetadataEntry e;
    e.offset = at;
    e.tag = static_cast<std::uint32_t>(ReadBe(head, 4));
    e.flags = head[4];
    const std::uint64_t length = ReadBe(&head[5], 3);
    if (length > size - at - kEntryHeadBytes) return "metadata entry at " + std::to_string(at) + " runs past the end";
    dataBytes += length;
    if (dataBytes > kMaxMetadataBytes) return std::string("too much metadata");
    const std::uint64_t end = at + kEntryHeadBytes + length;
    auto next = spans.lower_bound({end, 0});
    if ((next != spans.end() && next->first < end) || (next != spans.begin() && std::prev(next)->second > at)) {
      return "metadata entry at " + std::to_string(at) + " overlaps another";
    }
    spans.insert({at, end});
    e.data.resize(static_cast<std::size_t>(length));
    if (!file.Read(at + kEntryHeadBytes, e.data)) return std::string("metadata entry unreadable");
    at = ReadBe(&head[8], 8);
    layout.entries.push_back(std::move(e));
  }
  return layout;
}

Sha1Digest OverallSha1(const Sha1Digest& rawSha1, const std::vector<ChdMetadataEntry>& entries) {
  std::vector<std::array<std::uint8_t, 24>> pairs;
  for (const ChdMetadataEntry& e : entries) {
    if ((e.flags & kChecksummedEntry) == 0) continue;
    std::array<std::uint8_t, 24> pair;
    WriteBe(pair.data(), e.tag, 4);
    const Sha1Digest d = Sha1::Of(e.data);
    std::copy(d.begin(), d.end(), pair.begin() + 4);
    pairs.push_back(pair);
  }
  std::sort(pairs.begin(), pairs.end());
  Sha1 overall;
  overall.Append(rawSha1);
  for (const auto& pair : pairs) overall.Append(pair);
  return overall.Finish();
}

std::optional<std::string> ReplaceRefusal(const ChdLayout& layout, std::uint32_t tag) {
  if (layout.header.HasParent()) return std::string("the image has a parent");
  if (!FirstTagged(layout.entries, tag)) return "no " + TagText(tag) + " metadata";
  if (layout.header.compressed && OverallSha1(layout.header.rawSha1, layout.entries) != layout.header.sha1) {
    return std::string("its overall SHA1 does not match its metadata");
  }
  return std::nullopt;
}

std::optional<std::string> ReplaceMetadata(ChdIo& file, const ChdLayout& layout, std::uint32_t tag,
                                           std::span<const std::uint8_t> data) {
  if (auto refusal = ReplaceRefusal(layout, tag)) return refusal;
  if (data.empty() || data.size() > kMaxEntryData) return std::string("metadata of unusable length");
  const ChdMetadataEntry& old = *FirstTagged(layout.entries, tag);
  std::uint8_t lengthBytes[3];
  WriteBe(lengthBytes, data.size(), 3);

  if (data.size() <= old.data.size()) {
    if (!file.Write(old.offset + kEntryHeadBytes, data) || !file.Write(old.offset + 5, lengthBytes)) {
      return std::string("writing the metadata failed");
    }
  } else {
    const std::uint64_t at = file.Size();
    std::uint8_t oldHead[kEntryHeadBytes];
    if (!file.Read(old.offset, oldHead)) return std::string("reading the metadata failed");
    std::vector<std::uint8_t> entry(kEntryHeadBytes);
    WriteBe(entry.data(), tag, 4);
    entry[4] = old.flags;
    std::copy(std::begin(lengthBytes), std::end(lengthBytes), entry.begin() + 5);
    std::copy(oldHead + 8, oldHead + 16, entry.begin() + 8);  // the old entry's next
    entry.insert(entry.end(), data.begin(), data.end());
    const auto self = std::find_if(layout.entries.begin(), layout.entries.end(),
                                   [&](const ChdMetadataEntry& e) { return &e == &old; });
    const std::uint64_t linkAt = self == layout.entries.begin() ? kMetaOffsetAt : std::prev(self)->offset + 8;
    // The new entry is whole before anything points to it.
    if (!file.Write(at, entry) || !WriteLink(file, linkAt, at)) return std::string("writing the metadata failed");
  }

  if (layout.header.compressed) {
    std::vector<ChdMetadataEntry> entries = layout.entries;
    for (ChdMetadataEntry& e : entries) {
      if (e.offset == old.offset) {
        e.data.assign(data.begin(), data.end());
        break;
      }
    }
    const Sha1Digest sha1 = OverallSha1(layout.header.rawSha1, entries);
    if (!file.Write(kSha1At, sha1)) return std::string("writing the overall SHA1 failed");
  }
  return std::nullopt;
}

std::optional<std::string> ReplacementMismatch(const ChdLayout& original, const ChdLayout& edited, std::uint32_t tag,
                                               std::span<const std::uint8_t> data) {
  const auto& a = original.header.raw;
  const auto& b = edited.header.raw;
  for (std::size_t i = 0; i < kChdHeaderBytes; ++i) {
    const bool mayDiffer = (i >= kMetaOffsetAt && i < kMetaOffsetAt + 8) || (i >= kSha1At && i < kSha1At + 20);
    if (!mayDiffer && a[i] != b[i]) return "header byte " + std::to_string(i) + " changed";
  }
  if (original.entries.size() != edited.entries.size()) return std::string("the number of metadata entries changed");
  const ChdMetadataEntry* replaced = FirstTagged(original.entries, tag);
  for (std::size_t i = 0; i < original.entries.size(); ++i) {
    const ChdMetadataEntry& was = original.entries[i];
    const ChdMetadataEntry& is = edited.entries[i];
    const bool expected = &was == replaced ? std::equal(data.begin(), data.end(), is.data.begin(), is.data.end())
                                           : was.data == is.data;
    if (was.tag != is.tag || was.flags != is.flags || !expected) {
      return "metadata entry " + std::to_string(i) + " (" + TagText(was.tag) + ") is not as expected";
    }
  }
  const Sha1Digest expectedSha1 =
      edited.header.compressed ? OverallSha1(edited.header.rawSha1, edited.entries) : original.header.sha1;
  if (edited.header.sha1 != expectedSha1) return std::string("the overall SHA1 does not match the metadata");
  return std::nullopt;
}

}  // namespace qm::bridge
