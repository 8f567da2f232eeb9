// fake_chdman: stands in for the CHD tool in tests. Plain C++ only, so that it
// builds wherever the program does.
//
// Command lines (names relative to the working folder, as the batch file
// passes them):
//   -update IMG OUT       writes OUT = "UPDATED:" + the bytes of IMG
//   -merge IMG DIFF OUT   writes OUT = "MERGED:" + IMG + "+" + DIFF
//   -setchs IMG C H S     writes IMG.chs = "CHS C H S\n"; IMG is left as it is
// and, as the bridge takes them for today's tool:
//   -createcd IN OUT      writes OUT = "CD:" + IN (-createdvd: "DVD:" + IN)
//   -verify IMG           reads IMG, writes nothing
//   -extract IMG DIR      makes the new folder DIR with BASE.cue (naming
//                         BASE.bin) and BASE.bin = "EXTRACTED:" + IMG
// Without arguments it prints the old tool's banner ("manager 0.130") and
// usage, and exits 1 unlogged. A wrong command line prints "Error: usage ..." and exits 1; a missing IMG
// (or DIFF) prints "Error: file not found" and exits 1; C, H and S must be
// decimal digits, else "Error: invalid geometry" and exit 1.
//
// While it works it prints progress lines "Compressing hunk N/M... (ratio=NN%)"
// each ended by "\r" alone, alternately on standard output and standard error,
// every line written in two flushed pieces split at a varying place, and at
// the end "Compression complete ... (ratio=40.0%)\n" before exiting 0. The
// output file is created with its prefix ("UPDATED:", "MERGED:") before the
// first progress line and completed after the last, so a tool stopped halfway
// leaves a partial file.
//
// Environment:
//   FAKE_CHDMAN_LOG=PATH    append one record per run (see FakeToolLog.h):
//                           argc, the process id, the working folder and every argv element,
//                           each ended by a NUL byte, then "\n". The argc field
//                           is decimal text. NUL cannot occur in an argument.
//   FAKE_CHDMAN_HUNKS=M     total hunks M (default 1000); about 20 lines, N
//                           from 0 to M.
//   FAKE_CHDMAN_PAUSE_MS=MS wait MS milliseconds before each progress or
//                           garbage line (and before the one line of "fail"
//                           and "empty"), whatever the mode, so that a run can
//                           be stopped halfway at leisure.
//   FAKE_CHDMAN_MODE=
//     ok                    (default) as above
//     fail                  prints "Error: something failed\n", exits 1, writes nothing
//     crash                 half the progress, part of the output, then abort()
//     partial               half the progress, part of the output, then
//                           "Error: write failed\n" and exit 1
//     garbage               malformed progress-like lines and random bytes
//                           (FAKE_CHDMAN_SEED, default 1) instead of progress,
//                           then succeeds
//     silent=SECONDS        prints nothing for that long, then works
//     hang                  prints one progress line, then sleeps forever
//     slow=MS               waits MS milliseconds before each progress line
//     flood=BYTES           prints at least BYTES bytes of progress lines, then works
//     empty                 prints "Nothing to do\n" and exits 0 without
//                           writing its output: a tool that claims success
// A marker in IMG's file name overrides the mode for that run, so one batch
// can hold jobs that behave differently: FAIL, CRASH, PARTIAL, GARBAGE, HANG,
// EMPTY, and SILENT (one second of silence) (upper case, anywhere in the name).
//
// Names are UTF-8 throughout (argv, the log, the files opened); on Windows the
// command line is taken as UTF-16, so a name reaches the log exactly as the
// command interpreter passed it, whatever the code pages.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#define QM_GETPID _getpid
#else
#include <unistd.h>
#define QM_GETPID getpid
#endif

namespace {

namespace fs = std::filesystem;

// A UTF-8 name as a path, and back.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

struct Mode {
  std::string name = "ok";
  long value = 0;  // SECONDS, MS or BYTES
};

Mode ParseMode(const char* text) {
  Mode mode;
  if (!text || !*text) return mode;
  const std::string s = text;
  const auto eq = s.find('=');
  mode.name = s.substr(0, eq);
  if (eq != std::string::npos) mode.value = std::strtol(s.c_str() + eq + 1, nullptr, 10);
  return mode;
}

void Write(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void Fail(const std::string& message) {
  Write(stderr, "Error: " + message + "\n");
  std::exit(1);
}

void SleepMs(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

[[noreturn]] void SleepForever() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void Log(const std::vector<std::string>& argv) {
  const char* path = std::getenv("FAKE_CHDMAN_LOG");
  if (!path || !*path) return;
  std::string record = std::to_string(argv.size());
  record += '\0';
  record += std::to_string(static_cast<long>(QM_GETPID()));
  record += '\0';
  std::error_code ec;
  record += Utf8(fs::current_path(ec));
  record += '\0';
  for (const std::string& arg : argv) {
    record += arg;
    record += '\0';
  }
  record += '\n';
  // One write per record, appended, so parallel runs do not interleave.
  if (std::FILE* f = std::fopen(path, "ab")) {
    std::setvbuf(f, nullptr, _IOFBF, record.size() + 1);
    std::fwrite(record.data(), 1, record.size(), f);
    std::fclose(f);
  }
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string ProgressLine(long n, long m) {
  const long ratio = m > 0 ? 100 - (n * 60) / m : 100;
  return "Compressing hunk " + std::to_string(n) + "/" + std::to_string(m) + "... (ratio=" +
         std::to_string(ratio) + "%)\r";
}

long pauseMs = 0;  // FAKE_CHDMAN_PAUSE_MS

// Two flushed writes per line, so a reader meets lines cut at every place.
void PrintLine(const std::string& line, unsigned index) {
  if (pauseMs > 0) SleepMs(pauseMs);
  std::FILE* stream = index % 2 == 0 ? stdout : stderr;
  const std::size_t cut = (index * 7u) % line.size();
  Write(stream, line.substr(0, cut));
  Write(stream, line.substr(cut));
}

std::string GarbageLine(std::mt19937& rng) {
  static const char* const kShapes[] = {
      "Compressing hunk /1000... (ratio=50%)\r",
      "Compressing hunk 12/... (ratio=50%)\r",
      "Compressing hunk 12-1000... (ratio=50%)\r",
      "Compressing hunk 12/1000 (ratio=50%)\r",
      "Compressing hunk x1/1000... (ratio=50%)\r",
      "Compressing hunk 99999999999/1000... (ratio=50%)\r",
      "Compressing hunk 5/0... (ratio=0%)\r",
      "Compressing hunk 500/10... (ratio=1%)\r",
      "Compressing hunk 1/1000... (ratio=50%\r",
      "compressing hunk 3/1000... (ratio=50%)\r",
      ") stray parenthesis\n",
      "Compressing hunk -5/1000... (ratio=50%)\r",
  };
  const std::uint32_t pick = rng() % (sizeof kShapes / sizeof kShapes[0] + 1);
  if (pick < sizeof kShapes / sizeof kShapes[0]) return kShapes[pick];
  std::string noise(1 + rng() % 80, ' ');
  for (char& c : noise) c = static_cast<char>(rng() % 256);
  return noise + "\n";
}

int Run(const std::vector<std::string>& argv) {
  // Without arguments, the old tool's banner and usage, unlogged: the runner
  // asks every tool it finds what it is before a batch.
  if (argv.size() == 1) {
    std::printf("chdman - MAME Compressed Hunks of Data (CHD) manager 0.130\n"
                "Usage:\n   chdman -update input.chd output.chd\n   chdman -setchs inout.chd cyls heads sectors\n");
    return 1;
  }
  Log(argv);

  const std::vector<std::string> args(argv.begin() + 1, argv.end());
  const std::string command = args.empty() ? std::string() : args[0];
  std::vector<std::string> inputs;
  std::string output, body;
  if (command == "-update" && args.size() == 3) {
    inputs = {args[1]};
    output = args[2];
  } else if (command == "-merge" && args.size() == 4) {
    inputs = {args[1], args[2]};
    output = args[3];
  } else if (command == "-setchs" && args.size() == 5) {
    inputs = {args[1]};
    output = args[1] + ".chs";
    for (int i = 2; i <= 4; ++i)
      if (!AllDigits(args[i])) Fail("invalid geometry");
  } else if ((command == "-createcd" || command == "-createdvd") && args.size() == 3) {
    inputs = {args[1]};
    output = args[2];
  } else if (command == "-verify" && args.size() == 2) {
    inputs = {args[1]};
  } else if (command == "-extract" && args.size() == 3) {
    inputs = {args[1]};
    output = Utf8(PathOf(args[2]) / PathOf(args[1]).stem()) + ".bin";
  } else {
    Fail("usage: -update IMG OUT | -merge IMG DIFF OUT | -setchs IMG C H S | -createcd IN OUT | -createdvd IN OUT"
         " | -verify IMG | -extract IMG DIR");
  }

  Mode mode = ParseMode(std::getenv("FAKE_CHDMAN_MODE"));
  if (const char* pause = std::getenv("FAKE_CHDMAN_PAUSE_MS")) pauseMs = std::strtol(pause, nullptr, 10);
  const std::string imageName = Utf8(PathOf(args[1]).filename());
  for (const char* marker : {"FAIL", "CRASH", "PARTIAL", "GARBAGE", "HANG", "EMPTY", "SILENT", "RENAMED"}) {
    if (imageName.find(marker) != std::string::npos) {
      mode.name = marker;
      for (char& c : mode.name) c = static_cast<char>(c - 'A' + 'a');
      if (mode.name == "silent") mode.value = 1;
    }
  }

  std::vector<std::string> contents(inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i)
    if (!ReadFile(inputs[i], contents[i])) Fail("file not found");

  // A tool that ends at once still takes a pause first, so a cancel can land while it runs.
  if (mode.name == "fail" || mode.name == "empty") SleepMs(pauseMs);
  if (mode.name == "fail") Fail("something failed");
  if (mode.name == "empty") {
    Write(stdout, "Nothing to do\n");
    return 0;
  }
  if (mode.name == "silent") SleepMs(mode.value * 1000);

  std::string prefix;
  if (command == "-update") {
    prefix = "UPDATED:";
    body = contents[0];
  } else if (command == "-merge") {
    prefix = "MERGED:";
    body = contents[0] + "+" + contents[1];
  } else if (command == "-setchs") {
    body = "CHS " + args[2] + " " + args[3] + " " + args[4] + "\n";
  } else {
    prefix = command == "-createcd" ? "CD:" : command == "-createdvd" ? "DVD:" : "EXTRACTED:";
    body = contents[0];
  }
  if (command == "-extract") {
    std::error_code ec;
    if (!fs::create_directory(PathOf(args[2]), ec)) Fail("cannot make the folder " + args[2]);
    const std::string bin = Utf8(PathOf(output).filename());
    std::ofstream(PathOf(output).replace_extension(".cue"), std::ios::binary) << "FILE \"" << bin << "\" BINARY\n";
  }

  std::ofstream out;
  if (command != "-setchs" && !output.empty()) {
    out.open(PathOf(output), std::ios::binary | std::ios::trunc);
    if (!out) Fail("cannot write " + output);
    out << prefix << std::flush;
  }

  long hunks = 1000;
  if (const char* h = std::getenv("FAKE_CHDMAN_HUNKS")) hunks = std::strtol(h, nullptr, 10);
  if (hunks < 0) hunks = 0;
  const long step = hunks >= 20 ? hunks / 20 : 1;

  if (mode.name == "garbage") {
    const char* seed = std::getenv("FAKE_CHDMAN_SEED");
    std::mt19937 rng(seed ? static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10)) : 1u);
    for (unsigned i = 0; i < 30; ++i) PrintLine(GarbageLine(rng), i);
  } else {
    std::vector<long> done;
    for (long n = 0; n < hunks; n += step) done.push_back(n);
    done.push_back(hunks);
    const std::size_t half = std::max<std::size_t>(1, done.size() / 2);
    long printed = 0;
    for (unsigned i = 0;; ++i) {
      const bool more = i < done.size() || (mode.name == "flood" && printed < mode.value);
      if (!more) break;
      if (mode.name == "slow") SleepMs(mode.value);
      const std::string line = ProgressLine(done[i % done.size()], hunks);
      PrintLine(line, i);
      printed += static_cast<long>(line.size());
      if (mode.name == "hang") SleepForever();
      if (i + 1 == half && (mode.name == "crash" || mode.name == "partial")) {
        out << body.substr(0, body.size() / 2) << std::flush;
        if (mode.name == "crash") std::abort();
        Fail("write failed");
      }
    }
  }

  if (command == "-setchs") {
    out.open(PathOf(output), std::ios::binary | std::ios::trunc);
    if (!out) Fail("cannot write " + output);
  }
  if (!output.empty()) {
    out << body << std::flush;
    if (!out) Fail("cannot write " + output);
    out.close();
  }
  // RENAMED: leaves the folder as a cancel between the batch file's two
  // renames would (IMG moved to its backup name, the output written), then waits.
  if (mode.name == "renamed") {
    fs::path backup = PathOf(args[1]);
    fs::rename(backup, fs::path(backup).replace_extension(".old"));
    Write(stdout, "Renamed\n");
    SleepForever();
  }
  Write(stdout, "Compression complete ... (ratio=40.0%)\n");
  return 0;
}

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8(fs::path(argv[i])));
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv, argv + argc)); }
#endif
