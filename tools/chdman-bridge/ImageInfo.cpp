#include "ImageInfo.h"

#include <algorithm>
#include <limits>

namespace qm::bridge {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// "4,194,304 bytes" or "1,024": the leading number, its commas skipped.
std::optional<std::uint64_t> ReadGroupedNumber(std::string_view text) {
  text = Trim(text);
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (char c : text) {
    if (c == ',') continue;
    if (c < '0' || c > '9') break;
    if (value > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// "lzma (LZMA), zlib (Deflate)" -> {"lzma", "zlib"}; "none" -> {}.
std::optional<std::vector<std::string>> ReadCodecs(std::string_view text) {
  text = Trim(text);
  std::vector<std::string> codecs;
  if (text == "none") return codecs;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    std::string_view item = Trim(text.substr(0, comma));
    item = item.substr(0, item.find(' '));
    if (item.empty()) return std::nullopt;
    codecs.emplace_back(item);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  if (codecs.empty()) return std::nullopt;
  return codecs;
}

// "Tag='GDDD'  Index=0  Length=33 bytes"
bool IsHardDiskEntry(std::string_view text) {
  return text.find("Tag='GDDD'") != std::string_view::npos && text.find("Index=0 ") != std::string_view::npos;
}

}  // namespace

std::optional<ImageInfo> ParseImageInfo(std::string_view text) {
  ImageInfo info;
  bool haveVersion = false, haveLogical = false, haveHunk = false, haveHunks = false, haveCodecs = false;
  // The metadata value is on the line after its "Tag=" line, whatever it says.
  bool valueNext = false;
  bool geometryNext = false;

  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

    const std::size_t colon = line.find(':');
    const std::string_view key = colon == std::string_view::npos ? std::string_view() : Trim(line.substr(0, colon));
    const std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);

    if (valueNext) {
      valueNext = false;
      if (geometryNext && !info.geometry) info.geometry = ParseGddd(Trim(line));
      continue;
    }
    if (key == "File Version") {
      if (auto v = ReadGroupedNumber(value); v && *v <= 1000) {
        info.version = static_cast<int>(*v);
        haveVersion = true;
      }
    } else if (key == "Logical size") {
      if (auto v = ReadGroupedNumber(value)) {
        info.logicalBytes = *v;
        haveLogical = true;
      }
    } else if (key == "Hunk Size") {
      if (auto v = ReadGroupedNumber(value); v && *v > 0 && *v <= std::numeric_limits<std::uint32_t>::max()) {
        info.hunkBytes = static_cast<std::uint32_t>(*v);
        haveHunk = true;
      }
    } else if (key == "Total Hunks") {
      if (auto v = ReadGroupedNumber(value)) {
        info.totalHunks = *v;
        haveHunks = true;
      }
    } else if (key == "Compression") {
      if (auto codecs = ReadCodecs(value)) {
        info.codecs = std::move(*codecs);
        haveCodecs = true;
      }
    } else if (key == "Data SHA1") {
      info.dataSha1 = std::string(Trim(value));
    } else if (key == "Parent SHA1") {
      info.parentSha1 = std::string(Trim(value));
    } else if (key == "Metadata" || (key.empty() && line.find("Tag='") != std::string_view::npos)) {
      valueNext = true;
      if (const std::size_t at = line.find("Tag='"); at != std::string_view::npos && line.size() >= at + 10) {
        info.metadataTags.emplace_back(line.substr(at + 5, 4));
      }
      geometryNext = IsHardDiskEntry(line);
    }
  }
  if (!haveVersion || !haveLogical || !haveHunk || !haveHunks || !haveCodecs) return std::nullopt;
  return info;
}

MediumKind MediumOf(const ImageInfo& info) {
  const auto has = [&](std::initializer_list<std::string_view> tags) {
    return std::any_of(info.metadataTags.begin(), info.metadataTags.end(),
                       [&](const std::string& t) { return std::find(tags.begin(), tags.end(), t) != tags.end(); });
  };
  if (has({"CHCD", "CHTR", "CHT2", "CHGT", "CHGD"})) return MediumKind::Cd;
  if (has({"DVD "})) return MediumKind::Dvd;
  if (has({"GDDD"})) return MediumKind::HardDisk;
  return MediumKind::Unknown;
}

bool ToolUsage::Has(std::string_view command) const {
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

ToolUsage ParseToolUsage(std::string_view text) {
  ToolUsage usage;
  constexpr std::string_view kManager = "manager ", kUsageLine = "chdman ";
  if (const std::size_t at = text.find(kManager); at != std::string_view::npos) {
    const std::string_view rest = text.substr(at + kManager.size());
    usage.version = std::string(rest.substr(0, rest.find_first_of(" \r\n")));
  }
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (!line.starts_with(kUsageLine) || colon == std::string_view::npos) continue;
    const std::string_view command = line.substr(kUsageLine.size(), colon - kUsageLine.size());
    if (!command.empty() && command.find(' ') == std::string_view::npos) usage.commands.emplace_back(command);
  }
  return usage;
}

std::string CompressionOption(const ImageInfo& info) {
  if (info.codecs.empty()) return "none";
  std::string option;
  for (const std::string& codec : info.codecs) {
    if (!option.empty()) option += ',';
    option += codec;
  }
  return option;
}

}  // namespace qm::bridge
