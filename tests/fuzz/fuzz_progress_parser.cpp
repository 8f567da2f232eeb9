// The progress parser on any output cut anywhere: it never crashes, the bars
// it reports always lie on their bars, and the same text gives the same
// newest values and the same kept tail whether it arrives at once, in random
// chunks or one byte at a time.
//
// Input: the batch size and the running job, a seed for the chunk sizes, then
// the console text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "FuzzCheck.h"
#include "runner/ProgressParser.h"

namespace {

// The newest bars (the current bar's maximum and value, the total's value)
// and the tail the parser kept.
using Result = std::pair<std::tuple<int, int, int>, std::string>;

// Feeds `text` in pieces whose sizes `nextSize` gives (at least 1 byte), then
// the empty chunk with which the console capture ends every job.
template <typename NextSize>
Result FeedInPieces(std::string_view text, int job, int totalMax, NextSize&& nextSize) {
  qm::ProgressParser parser;
  Result result{{-1, -1, -1}, ""};
  const auto feed = [&](std::string_view piece) {
    if (auto bars = parser.Feed(piece, job, totalMax)) {
      QM_FUZZ_CHECK(bars->currentMax > 0);
      QM_FUZZ_CHECK(bars->currentValue >= 0 && bars->currentValue <= bars->currentMax);
      QM_FUZZ_CHECK(bars->totalValue >= 0 && bars->totalValue <= totalMax);
      result.first = {bars->currentMax, bars->currentValue, bars->totalValue};
    }
  };
  for (std::size_t at = 0, n; at < text.size(); at += n) feed(text.substr(at, n = nextSize()));
  feed({});
  QM_FUZZ_CHECK(parser.Buffer().size() <= qm::ProgressParser::kMaxPendingLine);
  result.second = parser.Buffer();
  return result;
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
  QM_FUZZ_CHECK(whole == FeedInPieces(text, job, totalMax, [&] { return std::size_t{1} + cuts() % 300; }));
  QM_FUZZ_CHECK(whole == FeedInPieces(text, job, totalMax, [] { return std::size_t{1}; }));
  return 0;
}
