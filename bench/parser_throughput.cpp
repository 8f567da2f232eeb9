// Throughput of ProgressParser::Feed on a generated console stream of the
// tool, against a baseline that only memchr-scans the same chunks for line
// ends, so the ratio shows the parser's own cost.
//
//   bench_parser [MB]   stream size in MB (default 200)
//
// The stream is mostly progress lines ("Compressing hunk N/M... (ratio=NN%)")
// ended by "\r", with other lines mixed in. It is fed in 256-byte chunks (the
// size the console capture reads) and in 64 KiB chunks; each is timed as the
// best of three passes. Peak memory is VmHWM from /proc/self/status before and
// after the passes: the parser should add nothing beyond the stream itself.
// "speed" is the parser's rate as a fraction of the baseline's.
// Goal: 1 GB/s or more with 64 KiB chunks in an optimised build. The program
// reports; it asserts nothing.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "runner/ProgressParser.h"

namespace {

std::string MakeStream(std::size_t bytes) {
  std::string s;
  s.reserve(bytes + 256);
  const unsigned long total = 3'000'000;
  unsigned long done = 0;
  char line[128];
  while (s.size() < bytes) {
    if (done % 5000 == 0) {
      s += "Input file: game.chd\nOutput file: game.tmp\nHunk size: 4096 bytes, hunks: 3000000\n";
    }
    if (done % 977 == 0) s += "Warning: sector 1234 read twice (retry)\n";
    const int n = std::snprintf(line, sizeof line, "Compressing hunk %lu/%lu... (ratio=%lu%%)  \r", done, total,
                                30 + done % 60);
    s.append(line, static_cast<std::size_t>(n));
    done = (done + 1) % total;
  }
  s.resize(bytes);
  return s;
}

long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
  }
  return -1;  // no /proc on this system
}

// Best of three passes over the stream in `chunk`-byte pieces; `feed` sees each.
template <typename Feed>
double BestSeconds(const std::string& stream, std::size_t chunk, Feed&& feed) {
  double best = 1e30;
  for (int pass = 0; pass < 3; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      feed(std::string_view(stream).substr(at, chunk));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const long mb = argc > 1 ? std::atol(argv[1]) : 200;
  if (mb <= 0) {
    std::fprintf(stderr, "usage: bench_parser [MB]\n");
    return 2;
  }
  const std::string stream = MakeStream(static_cast<std::size_t>(mb) << 20);
  const double megabytes = static_cast<double>(stream.size()) / 1e6;
  const long peakBefore = PeakKiB();
  std::printf("stream: %.0f MB, peak memory after generating it: %ld KiB\n", megabytes, peakBefore);
  std::printf("%10s %14s %14s %8s %10s %12s\n", "chunk", "memchr MB/s", "parser MB/s", "speed", "updates",
              "last total");

  for (const std::size_t chunk : {std::size_t{256}, std::size_t{64} << 10}) {
    std::size_t lineEnds = 0;
    const double scan = BestSeconds(stream, chunk, [&](std::string_view piece) {
      for (const char* p = piece.data(); (p = static_cast<const char*>(
                                              std::memchr(p, '\r', piece.data() + piece.size() - p)));
           ++p) {
        ++lineEnds;
      }
    });

    qm::ProgressParser parser;
    std::size_t updates = 0;
    int lastTotal = -1;
    const double parse = BestSeconds(stream, chunk, [&](std::string_view piece) {
      if (const auto bars = parser.Feed(piece, 2, 300)) {
        ++updates;
        lastTotal = bars->totalValue;
      }
    });
    std::printf("%10zu %14.0f %14.0f %8.2f %10zu %12d  (%zu line ends)\n", chunk, megabytes / scan,
                megabytes / parse, scan / parse, updates / 3, lastTotal, lineEnds / 3);
  }
  std::printf("peak memory after the passes: %ld KiB (%+ld KiB)\n", PeakKiB(), PeakKiB() - peakBefore);
  return 0;
}
