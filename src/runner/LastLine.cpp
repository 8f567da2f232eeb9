#include "runner/LastLine.h"

#include "jobs/JobOutput.h"

namespace qm {
namespace {

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool Meaningful(std::string_view line) {
  return !line.empty() && !IsProgressLine(line);
}

}  // namespace

void LastLine::Feed(std::string_view chunk) {
  for (char c : chunk) {
    if (c == '\r' || c == '\n') {
      std::string line = Trimmed(current_);
      if (Meaningful(line)) last_ = std::move(line);
      current_.clear();
    } else if (current_.size() < kMaxLength) {
      current_ += c;
    }
  }
}

void LastLine::Reset() {
  current_.clear();
  last_.clear();
}

std::string LastLine::Text() const {
  std::string line = Trimmed(current_);
  return Meaningful(line) ? line : last_;
}

}  // namespace qm
