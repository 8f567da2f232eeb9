// Several CD images made into CHD files one after another through the chdman
// bridge (as a create batch runs them) against the same chdman createcd runs
// made by hand, in the same run.
//
//   bench_bridge_create [--discs N] [--mib M] [--rounds R]   (defaults 3, 48, 3)
//
// Makes N CUE/BIN images of one MODE1/2048 track of M MiB of text-like data,
// then per round both ways, in alternating order, outputs removed between.
// Prints both times and their ratio; the best round of each counts. The
// program reports; it asserts nothing.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/process.h"

namespace fs = std::filesystem;

namespace {

bool Run(const std::string& program, const std::vector<std::string>& args) {
  qm::Result<qm::ChildProcess> p = qm::ChildProcess::Start(program, args, {});
  if (!p) return false;
  std::string output;
  char buffer[4096];
  for (;;) {
    const qm::ReadResult r = p->Read(buffer, sizeof buffer, 1000);
    if (r.status == qm::ReadStatus::Broken) break;
    output.append(buffer, r.n);
  }
  if (p->Wait() == 0) return true;
  std::fprintf(stderr, "%s %s failed:\n%s\n", program.c_str(), args.front().c_str(), output.c_str());
  return false;
}

int Option(int argc, char** argv, const std::string& name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (argv[i] == name) return std::max(1, std::atoi(argv[i + 1]));
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const int discs = Option(argc, argv, "--discs", 3), mib = Option(argc, argv, "--mib", 48),
            rounds = Option(argc, argv, "--rounds", 3);
  std::string chdman;
  std::istringstream path(qm::GetEnvironment("PATH").value_or(""));
  for (std::string dir; chdman.empty() && std::getline(path, dir, ':');) {
    if (!dir.empty() && qm::IsExecutableFile(dir + "/chdman")) chdman = dir + "/chdman";
  }
  if (chdman.empty()) {
    std::fprintf(stderr, "chdman is not installed (Debian package mame-tools)\n");
    return 1;
  }
  const fs::path folder = fs::temp_directory_path() / ("quillmere-bench-create-" + std::to_string(std::random_device()()));
  fs::create_directories(folder);
  fs::current_path(folder);
  std::mt19937 random(7);
  for (int d = 0; d < discs; ++d) {
    std::string bin(static_cast<std::size_t>(mib) << 20, '\0');
    for (char& c : bin) c = "abcdefgh \n"[random() % 10];
    const std::string name = "disc" + std::to_string(d);
    std::ofstream(name + ".bin", std::ios::binary) << bin;
    std::ofstream(name + ".cue") << "FILE \"" << name << ".bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n";
  }
  qm::SetEnvironment("QUILLMERE_CHDMAN", chdman);

  using Clock = std::chrono::steady_clock;
  double bestBridge = 1e300, bestHand = 1e300;
  const auto timed = [&](bool bridge) {
    for (int d = 0; d < discs; ++d) fs::remove("disc" + std::to_string(d) + ".chd");
    const auto start = Clock::now();
    for (int d = 0; d < discs; ++d) {
      const std::string name = "disc" + std::to_string(d);
      const bool ok = bridge ? Run(QM_BRIDGE, {"-createcd", name + ".cue", name + ".chd"})
                             : Run(chdman, {"createcd", "-i", name + ".cue", "-o", name + ".chd"});
      if (!ok) return false;
    }
    double& best = bridge ? bestBridge : bestHand;
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    return true;
  };
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    ok = timed(round % 2 == 0) && timed(round % 2 != 0);  // neither side always meets a warm cache
  }
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(folder);
  if (!ok) return 1;
  std::printf("discs: %d x %d MiB, one MODE1/2048 track each\n", discs, mib);
  std::printf("createcd through the bridge: %.2f s\n", bestBridge);
  std::printf("the same createcd by hand:   %.2f s\n", bestHand);
  std::printf("ratio bridge / by hand: %.3f (best of %d round%s)\n", bestBridge / bestHand, rounds, rounds == 1 ? "" : "s");
  return 0;
}
