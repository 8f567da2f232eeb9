#pragma once
// What the tool printed for one job, kept for the user to read, in bounded
// memory: the first and the last kPart bytes of the output, with the bytes
// between them counted. A run of progress lines keeps only its last line,
// and a line ended by a lone "\r" is overwritten by the next, as a console
// shows it.

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// A line of the tool's progress ("Compressing hunk ...", "... 45.3% complete...").
bool IsProgressLine(std::string_view line);

class JobOutput {
 public:
  static constexpr std::size_t kPart = 64 * 1024;
  // The text never grows beyond this, whatever was fed.
  static constexpr std::size_t kMaxText = 2 * kPart + 256;

  void Feed(std::string_view chunk);
  void Clear() { *this = JobOutput(); }
  bool Empty() const { return head_.empty() && tail_.empty() && held_.empty() && line_.empty(); }
  // The kept output, with a note where bytes were left out.
  std::string Text() const;

 private:
  void EndLine(bool overwritten);
  void Store(std::string_view text);

  std::string head_;        // the first kPart bytes stored
  std::string tail_;        // the latest stored bytes; the last kPart of it are shown
  std::string held_;        // the last progress line, until a line that is not one
  std::string line_;        // the unfinished line, at most kPart bytes
  std::uint64_t left_ = 0;  // bytes dropped between head_ and the shown tail
  bool cr_ = false;         // the last byte fed was a "\r"
};

}  // namespace qm
