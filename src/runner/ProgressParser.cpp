#include "runner/ProgressParser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qm {
namespace {

constexpr std::string_view kPrefix = "Compressing hunk ";
constexpr long long kInt32Max = INT32_MAX;
constexpr std::size_t kMaxLine = ProgressParser::kMaxPendingLine;
static_assert(kMaxLine > kPrefix.size());

struct Hunks {
  long long done;
  long long total;
};

// Reads the decimal digits at `pos`; false when there are none or the value
// does not fit 32 bits. Leading zeros do not count against the limit.
bool ReadNumber(std::string_view text, std::size_t& pos, long long& value) {
  const std::size_t start = pos;
  value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > kInt32Max) return false;
  }
  return pos > start;
}

// `body` is the line between the prefix and its ")": "N/M." and anything.
std::optional<Hunks> ParseBody(std::string_view body) {
  std::size_t pos = 0;
  Hunks h{};
  if (!ReadNumber(body, pos, h.done) || pos >= body.size() || body[pos] != '/') return std::nullopt;
  ++pos;
  if (!ReadNumber(body, pos, h.total) || pos >= body.size() || body[pos] != '.') return std::nullopt;
  if (h.total == 0) return std::nullopt;
  return h;
}

// First complete occurrence of the prefix at or after `from`.
std::size_t FindPrefix(std::string_view text, std::size_t from) {
  while (from + kPrefix.size() <= text.size()) {
    const void* hit = std::memchr(text.data() + from, kPrefix[0], text.size() - kPrefix.size() + 1 - from);
    if (hit == nullptr) break;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (std::memcmp(text.data() + at + 1, kPrefix.data() + 1, kPrefix.size() - 1) == 0) return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

// Length of the longest end of `text` that is the start of the prefix but
// not all of it: the only part of unmatched text worth keeping.
std::size_t PartialPrefixAtEnd(std::string_view text) {
  for (std::size_t len = std::min(text.size(), kPrefix.size() - 1); len > 0; --len) {
    if (text.substr(text.size() - len) == kPrefix.substr(0, len)) return len;
  }
  return 0;
}

std::size_t FindClose(std::string_view text, std::size_t from, std::size_t to) {
  if (from >= to) return std::string_view::npos;
  const void* hit = std::memchr(text.data() + from, ')', to - from);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : std::string_view::npos;
}

// The buffer holds either nothing, a partial prefix (shorter than the prefix),
// or an unfinished line that starts with the whole prefix and is at most
// kMaxLine long. Each step below keeps that true, so that the lines
// found do not depend on how the output was cut into chunks.
class Consumer {
 public:
  explicit Consumer(std::string& buffer) : buffer_(buffer) {}

  // Text left to scan once the partial prefix in the buffer has been
  // completed or ruled out; nullopt when the whole chunk went into the buffer.
  // No start of the prefix recurs inside it ("C" comes once), so a match can
  // only begin at the buffer's first character.
  std::optional<std::string_view> ResumePrefix(std::string_view chunk) {
    const std::size_t kept = buffer_.size();
    const std::string_view needed = kPrefix.substr(kept);
    if (chunk.substr(0, needed.size()) == needed) {
      buffer_.assign(kPrefix);
      return chunk.substr(needed.size());
    }
    if (chunk.size() >= needed.size()) {
      buffer_.clear();
      return chunk;
    }
    buffer_.append(chunk);
    buffer_.erase(0, buffer_.size() - PartialPrefixAtEnd(buffer_));
    return std::nullopt;
  }

  // Continues the unfinished line in the buffer.
  std::optional<std::string_view> ResumeLine(std::string_view chunk) {
    const std::size_t room = kMaxLine - buffer_.size();
    const std::size_t close = FindClose(chunk, 0, std::min(chunk.size(), room + 1));
    if (close != std::string_view::npos) {
      buffer_.append(chunk.substr(0, close));
      Take(std::string_view(buffer_).substr(kPrefix.size()));
      buffer_.clear();
      return chunk.substr(close + 1);
    }
    if (chunk.size() <= room) {
      buffer_.append(chunk);
      return std::nullopt;
    }
    buffer_.clear();  // too long to be a progress line
    return chunk.substr(room);
  }

  // Handles every complete line of `text` (the buffer is empty on entry) and
  // keeps what may continue in the next chunk.
  void Scan(std::string_view text) {
    std::size_t pos = 0;
    for (;;) {
      const std::size_t at = FindPrefix(text, pos);
      if (at == std::string_view::npos) {
        const std::string_view rest = text.substr(std::min(pos, text.size()));
        buffer_.assign(rest.substr(rest.size() - PartialPrefixAtEnd(rest)));
        return;
      }
      const std::size_t body = at + kPrefix.size();
      const std::size_t close = FindClose(text, body, std::min(text.size(), at + kMaxLine + 1));
      if (close != std::string_view::npos) {
        Take(text.substr(body, close - body));
        pos = close + 1;
      } else if (text.size() - at <= kMaxLine) {
        buffer_.assign(text.substr(at));
        return;
      } else {
        pos = at + kMaxLine;
      }
    }
  }

  // The newest good line; total 0 when there was none.
  const Hunks& Latest() const { return latest_; }

 private:
  void Take(std::string_view body) {
    if (auto hunks = ParseBody(body)) latest_ = *hunks;
  }

  std::string& buffer_;
  Hunks latest_{0, 0};
};

}  // namespace

std::optional<ProgressUpdate> ProgressParser::Feed(std::string_view chunk, int currentJob, int totalMax) {
  Consumer consumer(buffer_);
  std::optional<std::string_view> rest = chunk;
  if (!buffer_.empty() && buffer_.size() < kPrefix.size()) rest = consumer.ResumePrefix(*rest);
  if (rest && !buffer_.empty()) rest = consumer.ResumeLine(*rest);
  if (rest) consumer.Scan(*rest);

  const Hunks& latest = consumer.Latest();
  if (latest.total == 0) return std::nullopt;
  return BarsFor(latest.done, latest.total, currentJob, totalMax);
}

std::optional<ProgressUpdate> BarsFor(long long n, long long m, int currentJob, int totalMax) {
  if (m <= 0) return std::nullopt;
  // The parser passes 32-bit values; the bound keeps n * 100 from overflowing.
  n = std::clamp(n, 0LL, kInt32Max);
  m = std::min(m, kInt32Max);

  long long max = 0;
  long long part = 0;
  if (m >= 100) {
    max = m / 100;
    part = n / max;  // may pass 100 near the end (105 for M = 1050): kept
  } else {
    max = m;
    part = n * 100 / m;
  }
  const long long value = std::min(m >= 100 ? n / 100 : n, max);
  const long long top = std::max(totalMax, 0);
  const long long total = std::clamp((currentJob - 1LL) * 100 + part, 0LL, top);
  return ProgressUpdate{static_cast<int>(max), static_cast<int>(value), static_cast<int>(total)};
}

}  // namespace qm
