#pragma once
// Turns the tool's console output into the two progress bars.
//
// A progress line is "Compressing hunk N/M." followed by anything up to the
// next ")": N hunks done of M. Each Feed consumes every complete progress line
// in the buffer and reports the newest; malformed lines are skipped; the
// buffer never holds more than one unfinished line.

#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct ProgressUpdate {
  int currentMax;    // pbCurrent: maximum
  int currentValue;  // pbCurrent: value, 0..currentMax
  int totalValue;    // pbTotal: value, 0..the batch maximum
};

class ProgressParser {
 public:
  // Longest tail kept while waiting for a line's ")"; a longer one is dropped.
  static constexpr std::size_t kMaxPendingLine = 4096;

  // Appends `chunk` and handles every complete line. `currentJob` is 1-based;
  // `totalMax` is the batch bar's maximum. Returns the bars of the newest line
  // handled, or nullopt when this chunk completed none.
  std::optional<ProgressUpdate> Feed(std::string_view chunk, int currentJob, int totalMax);

  // Forgets unconsumed output; called when a job starts.
  void Reset() { buffer_.clear(); }

  const std::string& Buffer() const { return buffer_; }

 private:
  std::string buffer_;
};

// Bar values for one line of N hunks done out of M, job `currentJob` of a
// batch whose bar ends at `totalMax`. For M of 100 and more: integer
// arithmetic, pbCurrent M/100 and N/100, batch (job-1)*100 + N/(M/100);
// below 100 the true fraction. Values are clamped to their bar. nullopt for M = 0.
std::optional<ProgressUpdate> BarsFor(long long n, long long m, int currentJob, int totalMax);

}  // namespace qm
