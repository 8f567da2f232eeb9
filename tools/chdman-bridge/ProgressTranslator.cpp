#include "ProgressTranslator.h"

#include <algorithm>
#include <optional>

namespace qm::bridge {
namespace {

constexpr std::string_view kOldPrefix = "Compressing hunk ";
constexpr std::string_view kComplete = "% complete...";
constexpr std::string_view kFinalRatio = "final ratio = ";
constexpr int kMaxDecimals = 6;

struct Progress {
  std::string_view label;     // "Compressing", "Verifying", ...
  std::uint64_t value;        // the percentage times 10^decimals
  std::uint64_t scale;        // 100 * 10^decimals
  std::string_view rest;      // what follows "complete..."
};

bool IsLabelChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' '; }

// "<Label>, <P>% complete...<rest>" with P as "12", "12.3", ...
std::optional<Progress> ParseProgress(std::string_view text) {
  const std::size_t comma = text.find(", ");
  if (comma == 0 || comma == std::string_view::npos) return std::nullopt;
  const std::string_view label = text.substr(0, comma);
  if (!std::all_of(label.begin(), label.end(), IsLabelChar) || label.front() == ' ') return std::nullopt;

  std::size_t pos = comma + 2;
  Progress p{label, 0, 100, {}};
  std::size_t digits = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4; ++pos, ++digits) {
    p.value = p.value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
  }
  if (digits == 0) return std::nullopt;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    int decimals = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++decimals) {
      if (decimals == kMaxDecimals) return std::nullopt;
      p.value = p.value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
      p.scale *= 10;
    }
    if (decimals == 0) return std::nullopt;
  }
  if (text.substr(pos, kComplete.size()) != kComplete) return std::nullopt;
  p.rest = text.substr(pos + kComplete.size());
  return p;
}

// "(ratio=45.6%)" inside `rest`: the "45.6%".
std::string_view RatioIn(std::string_view rest) {
  constexpr std::string_view kRatio = "(ratio=";
  const std::size_t start = rest.find(kRatio);
  if (start == std::string_view::npos) return {};
  const std::size_t end = rest.find(')', start);
  if (end == std::string_view::npos) return {};
  return rest.substr(start + kRatio.size(), end - start - kRatio.size());
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

ProgressTranslator::ProgressTranslator(std::uint64_t totalHunks, int stage, int stages) : total_(totalHunks) {
  stages = std::max(stages, 1);
  stage = std::clamp(stage, 0, stages - 1);
  stageStart_ = total_ * static_cast<unsigned>(stage) / static_cast<unsigned>(stages);
  stageLength_ = total_ * static_cast<unsigned>(stage + 1) / static_cast<unsigned>(stages) - stageStart_;
}

std::string ProgressTranslator::HunkText(std::uint64_t done, std::uint64_t total) const {
  std::uint64_t part = stageLength_;
  if (total > 0 && done < total) {
    part = static_cast<std::uint64_t>(static_cast<unsigned __int128>(stageLength_) * done / total);
  }
  return std::string(kOldPrefix) + std::to_string(stageStart_ + part) + '/' + std::to_string(total_) + "...";
}

std::string ProgressTranslator::LineAt(std::uint64_t done, std::uint64_t total) const {
  return HunkText(done, total) + " (ratio=" + ratio_ + ")  \r";
}

std::string ProgressTranslator::Feed(std::string_view chunk) {
  std::string out;
  while (!chunk.empty()) {
    const std::size_t end = chunk.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      pending_.append(chunk);
      if (pending_.size() > kMaxPending) {
        // Too long to be a progress line: let it through as it is.
        NoteMessage(pending_);
        out += pending_;
        pending_.clear();
      }
      break;
    }
    if (pending_.empty()) {
      out += Line(chunk.substr(0, end), chunk.substr(end, 1));
    } else {
      pending_.append(chunk.substr(0, end));
      out += Line(pending_, chunk.substr(end, 1));
      pending_.clear();
    }
    chunk.remove_prefix(end + 1);
  }
  return out;
}

std::string ProgressTranslator::Flush() {
  if (pending_.empty()) return {};
  std::string out = Line(pending_, {});
  pending_.clear();
  return out;
}

std::string ProgressTranslator::Line(std::string_view text, std::string_view end) {
  // Some inputs make the tool print "nan%" for a while: no progress to show.
  if (text.find(", nan% complete") != std::string_view::npos) return {};
  const std::optional<Progress> p = ParseProgress(text);
  if (!p || total_ == 0) {
    if (const std::size_t at = text.find(kFinalRatio); text.starts_with("Compression complete") && at != text.npos) {
      ratio_ = std::string(TrimBlanks(text.substr(at + kFinalRatio.size())));
    }
    NoteMessage(text);
    std::string out(text);
    out += end;
    return out;
  }
  if (bestScale_ == 0 || static_cast<unsigned __int128>(p->value) * bestScale_ >
                             static_cast<unsigned __int128>(bestValue_) * p->scale) {
    bestValue_ = p->value;
    bestScale_ = p->scale;
    ++moves_;
  }
  std::string rest;
  if (p->label == "Compressing" && !RatioIn(p->rest).empty()) {
    ratio_ = std::string(RatioIn(p->rest));
    rest = p->rest;
  } else if (p->label == "Compressing") {
    rest = " (ratio=" + ratio_ + ")  ";
  } else {
    rest = " (" + std::string(p->label) + ")  ";
  }
  return HunkText(p->value, p->scale) + rest + '\r';
}

void ProgressTranslator::NoteMessage(std::string_view text) {
  const std::string_view line = TrimBlanks(text);
  if (line.empty()) return;
  if (line.starts_with("Fatal error occurred")) {
    errorReported_ = true;
    if (reason_.empty()) reason_ = lastMessage_.empty() ? std::string(line) : lastMessage_;
  } else if (line.starts_with("Error")) {
    errorReported_ = true;
    if (reason_.empty()) reason_ = std::string(line);
  } else if (!line.starts_with("chdman - ")) {
    lastMessage_ = std::string(line);
  }
}

}  // namespace qm::bridge
