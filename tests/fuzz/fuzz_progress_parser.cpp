// The progress parser on any output cut anywhere: it never crashes, the bars
// it reports always lie on their bars, and the same text gives the same
// newest values and the same kept tail whether it arrives at once, in random
// chunks or one byte at a time.
//
// Input: the batch size and the running job, a seed for the chunk sizes, then
// the console text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "runner/ProgressParser.h"

namespace {

struct Result {
  std::optional<qm::ProgressUpdate> newest;
  std::string kept;
};

void CheckBars(const qm::ProgressUpdate& bars, int totalMax) {
  QM_FUZZ_CHECK(bars.currentMax > 0);
  QM_FUZZ_CHECK(bars.currentValue >= 0 && bars.currentValue <= bars.currentMax);
  QM_FUZZ_CHECK(bars.totalValue >= 0 && bars.totalValue <= totalMax);
}

// Feeds `text` in pieces whose sizes `nextSize` gives (at least 1 byte).
template <typename NextSize>
Result FeedInPieces(std::string_view text, int job, int totalMax, NextSize&& nextSize) {
  qm::ProgressParser parser;
  Result result;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = nextSize();
    if (auto bars = parser.Feed(text.substr(at, n), job, totalMax)) {
      CheckBars(*bars, totalMax);
      result.newest = bars;
    }
    at += n;
  }
  // The console capture ends every job with an empty chunk.
  if (auto bars = parser.Feed({}, job, totalMax)) {
    CheckBars(*bars, totalMax);
    result.newest = bars;
  }
  QM_FUZZ_CHECK(parser.Buffer().size() <= qm::ProgressParser::kMaxPendingLine);
  result.kept = parser.Buffer();
  return result;
}

bool Same(const std::optional<qm::ProgressUpdate>& a, const std::optional<qm::ProgressUpdate>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || (a->currentMax == b->currentMax && a->currentValue == b->currentValue &&
                a->totalValue == b->totalValue);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int jobs = in.ConsumeIntegralInRange<int>(1, 400);
  const int job = in.ConsumeIntegralInRange<int>(1, jobs);
  const int totalMax = jobs * 100;
  std::minstd_rand cuts(in.ConsumeIntegral<std::uint32_t>());
  const std::string text = in.ConsumeRemainingBytesAsString();

  const Result whole = FeedInPieces(text, job, totalMax, [&] { return text.size(); });
  const Result chunked = FeedInPieces(text, job, totalMax, [&] { return std::size_t{1} + cuts() % 300; });
  const Result bytes = FeedInPieces(text, job, totalMax, [] { return std::size_t{1}; });

  QM_FUZZ_CHECK(Same(whole.newest, chunked.newest));
  QM_FUZZ_CHECK(Same(whole.newest, bytes.newest));
  QM_FUZZ_CHECK(whole.kept == chunked.kept);
  QM_FUZZ_CHECK(whole.kept == bytes.kept);
  return 0;
}
