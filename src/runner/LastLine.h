#pragma once
// Remembers the last non-empty line of a job's output, for the message that
// reports a failed job. Lines end at "\r" or "\n"; memory is bounded.

#include <string>
#include <string_view>

namespace qm {

class LastLine {
 public:
  static constexpr std::size_t kMaxLength = 300;

  void Feed(std::string_view chunk);
  void Reset();
  // The unfinished line if it holds more than blanks, else the last complete
  // non-blank line; trimmed, at most kMaxLength characters.
  std::string Text() const;

 private:
  std::string current_;
  std::string last_;
};

}  // namespace qm
