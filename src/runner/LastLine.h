#pragma once
// Remembers the last meaningful line of a job's output, for the message that
// reports a failed job: blank lines and progress lines ("Compressing hunk
// ...", "... 45.3% complete...") do not count. Lines end at "\r" or "\n";
// memory is bounded.

#include <string>
#include <string_view>

namespace qm {

class LastLine {
 public:
  static constexpr std::size_t kMaxLength = 300;

  void Feed(std::string_view chunk);
  void Reset();
  // The unfinished line if it is meaningful, else the last complete
  // meaningful line; trimmed, at most kMaxLength characters.
  std::string Text() const;

 private:
  std::string current_;
  std::string last_;
};

}  // namespace qm
