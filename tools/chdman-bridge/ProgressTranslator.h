#pragma once
// Rewrites the current tool's console output for the program, which reads
// only the old progress line. A line ends at "\r" or "\n".
//
//   "Compressing, 12.3% complete... (ratio=45.6%)  \r"
//     -> "Compressing hunk N/M... (ratio=45.6%)  \r"
//   "Verifying, 40.0% complete...  \r"
//     -> "Compressing hunk N/M... (Verifying)  \r"
//
// M is the job's hunk count. A job may take several runs of the tool (its
// stages); each stage fills an equal share of the M hunks, and N is the
// stage's start plus its share times the percentage. Every other line passes
// through unchanged. The translator also notes whether the tool reported an
// error, which it may do while exiting with status 0.

#include <cstdint>
#include <string>
#include <string_view>

namespace qm::bridge {

class ProgressTranslator {
 public:
  // Stage `stage` (0-based) of `stages` of a job of `totalHunks` hunks.
  ProgressTranslator(std::uint64_t totalHunks, int stage = 0, int stages = 1);

  // Text to write for `chunk`: translated lines and lines passed through.
  // An unfinished line is held back until its end arrives.
  std::string Feed(std::string_view chunk);
  // The held-back rest, translated when it is a progress line.
  std::string Flush();

  // The old-form line for `done` of `total` units of this stage's work.
  std::string LineAt(std::uint64_t done, std::uint64_t total) const;
  // The old-form line for the end of this stage.
  std::string StageEndLine() const { return LineAt(1, 1); }

  // True once a line began with "Error" or "Fatal error occurred".
  bool ErrorReported() const { return errorReported_; }
  // The line that best says what failed: the first "Error..." line, else the
  // last plain message before "Fatal error occurred". Empty when none.
  const std::string& ErrorReason() const { return reason_; }

  // How many progress lines showed more done than any before: the stage's
  // progress moved on when this grows.
  std::uint64_t Moves() const { return moves_; }

  // Longest unfinished line held back; a longer one is passed through.
  static constexpr std::size_t kMaxPending = 4096;

 private:
  // "Compressing hunk N/M..." for `done` of `total` units of this stage.
  std::string HunkText(std::uint64_t done, std::uint64_t total) const;
  std::string Line(std::string_view text, std::string_view end);
  void NoteMessage(std::string_view text);

  std::uint64_t total_;
  std::uint64_t stageStart_;
  std::uint64_t stageLength_;
  std::string pending_;
  std::string ratio_ = "100.0%";  // last ratio the tool printed in this stage
  std::string lastMessage_;
  std::string reason_;
  bool errorReported_ = false;
  std::uint64_t moves_ = 0;
  std::uint64_t bestValue_ = 0, bestScale_ = 0;  // most done so far; scale 0: none yet
};

}  // namespace qm::bridge
