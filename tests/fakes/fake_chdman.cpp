// fake_chdman: stands in for the CHD tool in tests. Plain C++ only, so that it
// builds wherever the program does.
//
// Command lines (names relative to the working folder, as the batch file
// passes them):
//   -update IMG OUT       writes OUT = "UPDATED:" + the bytes of IMG
//   -merge IMG DIFF OUT   writes OUT = "MERGED:" + IMG + "+" + DIFF
//   -setchs IMG C H S     writes IMG.chs = "CHS C H S\n"; IMG is left as it is
// and, as the bridge takes them for today's tool:
//   -createcd IN OUT      writes OUT = "CD:" + IN
//   -verify IMG           reads IMG, writes nothing
//   -extract IMG DIR      makes the new folder DIR with BASE.cue (naming
//                         BASE.bin) and BASE.bin = "EXTRACTED:" + IMG
// Without arguments it prints the old tool's banner ("manager 0.130") and
// usage, and exits 1 unlogged. A wrong command line prints "Error: usage" and
// exits 1; a missing IMG (or DIFF) prints "Error: file not found" and exits 1.
//
// While it works it prints progress lines "Compressing hunk N/M... (ratio=50%)"
// each ended by "\r" alone, alternately on standard output and standard error,
// every line written in two flushed pieces split at a varying place, and at
// the end "Compression complete ... (ratio=40.0%)\n" before exiting 0. The
// output file is created with its prefix ("UPDATED:", ...) before the first
// progress line and completed after the last, so a tool stopped halfway
// leaves a partial file.
//
// Environment:
//   FAKE_CHDMAN_LOG=PATH    append one record per run (see FakeToolLog.h)
//   FAKE_CHDMAN_HUNKS=M     total hunks M (default 1000); about 20 lines, N
//                           from 0 to M.
//   FAKE_CHDMAN_MODE=
//     ok                    (default) as above
//     slow=MS               waits MS milliseconds before each line it prints,
//                           whatever a marker makes it do, so that a run can be
//                           stopped halfway at leisure
//     silent=SECONDS        prints nothing for that long, then works
//     flood=BYTES           prints at least BYTES bytes of progress lines, then
//                           works (the capture benchmark)
// A marker in IMG's file name (upper case, anywhere in it) sets what the run
// does, so one batch can hold jobs that behave differently:
//   FAIL     prints "Error: something failed\n", exits 1, writes nothing
//   CRASH    half the progress, part of the output, then abort()
//   PARTIAL  half the progress, part of the output, then "Error: write
//            failed\n" and exit 1
//   GARBAGE  malformed progress-like lines and bytes that are no text instead of
//            progress, then succeeds
//   HANG     prints one progress line, then sleeps until killed
//   EMPTY    prints "Nothing to do\n" and exits 0 without writing its output:
//            a tool that claims success
//   SILENT   one second of silence, then works
//
// Names are UTF-8 throughout (argv, the log, the files opened); on Windows the
// command line is taken as UTF-16, so a name reaches the log exactly as the
// command interpreter passed it, whatever the code pages.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>  // getpid, in mingw-w64 as well

#include "Utf8Path.h"

namespace {

namespace fs = std::filesystem;

using qm::test::PathOf;
using qm::test::Utf8;

void Write(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void Fail(const std::string& message) {
  Write(stderr, "Error: " + message + "\n");
  std::exit(1);
}

void SleepMs(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// argc, the process id, the working folder and every argument, each ended by
// NUL, then "\n"; one appended write, so parallel runs do not interleave.
void Log(const std::vector<std::string>& argv) {
  const char* path = std::getenv("FAKE_CHDMAN_LOG");
  if (!path || !*path) return;
  std::error_code ec;
  std::string record = std::to_string(argv.size()) + '\0' + std::to_string(static_cast<long>(getpid())) + '\0' +
                       Utf8(fs::current_path(ec)) + '\0';
  for (const std::string& arg : argv) record += arg + '\0';
  record += '\n';
  if (std::FILE* f = std::fopen(path, "ab")) {
    std::setvbuf(f, nullptr, _IOFBF, record.size() + 1);
    std::fwrite(record.data(), 1, record.size(), f);
    std::fclose(f);
  }
}

long pauseMs = 0;  // slow=MS

// Two flushed writes per line, so a reader meets lines cut at every place.
void PrintLine(const std::string& line, unsigned index) {
  SleepMs(pauseMs);
  std::FILE* stream = index % 2 == 0 ? stdout : stderr;
  const std::size_t cut = (index * 7u) % line.size();
  Write(stream, line.substr(0, cut));
  Write(stream, line.substr(cut));
}

// Shapes of progress lines gone wrong, and bytes that are no text at all.
const char* const kGarbage[] = {
    "Compressing hunk /1000... (ratio=50%)\r",     "Compressing hunk 12/... (ratio=50%)\r",
    "Compressing hunk 12-1000... (ratio=50%)\r",   "Compressing hunk 12/1000 (ratio=50%)\r",
    "Compressing hunk x1/1000... (ratio=50%)\r",   "Compressing hunk 99999999999/1000... (ratio=50%)\r",
    "Compressing hunk 5/0... (ratio=0%)\r",        "Compressing hunk 500/10... (ratio=1%)\r",
    "Compressing hunk 1/1000... (ratio=50%\r",     "compressing hunk 3/1000... (ratio=50%)\r",
    ") stray parenthesis\n",                       "Compressing hunk -5/1000... (ratio=50%)\r",
    "\xff\xfe\x80 Compressing hunk \xc3(\x1b[2K\n", "\x01\x02\x7f\xc0\xaf)\xed\xa0\x80\r",
};

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
  const std::string command = args[0];
  std::size_t inputs = 1, arity = 0;  // arity: the command and its arguments; 0: unknown
  std::string prefix, output = args.size() > 2 ? args.back() : std::string();
  if (command == "-update") prefix = "UPDATED:", arity = 3;
  if (command == "-merge") prefix = "MERGED:", inputs = 2, arity = 4;
  if (command == "-setchs") output = args.size() > 1 ? args[1] + ".chs" : "", arity = 5;
  if (command == "-createcd") prefix = "CD:", arity = 3;
  if (command == "-verify") arity = 2;
  if (command == "-extract" && args.size() == 3)
    prefix = "EXTRACTED:", output = Utf8(PathOf(args[2]) / PathOf(args[1]).stem()) + ".bin", arity = 3;
  if (args.size() != arity) Fail("usage: -update | -merge | -setchs | -createcd | -verify | -extract");

  const char* setting = std::getenv("FAKE_CHDMAN_MODE");
  const std::string text = setting ? setting : "";
  const auto value = [&](const std::string& key) { return text.rfind(key, 0) == 0 ? std::atol(setting + key.size()) : 0L; };
  pauseMs = value("slow=");
  long silentSeconds = value("silent="), floodBytes = value("flood=");
  std::string mode = "ok";
  const std::string imageName = Utf8(PathOf(args[1]).filename());
  for (const char* marker : {"FAIL", "CRASH", "PARTIAL", "GARBAGE", "HANG", "EMPTY", "SILENT"})
    if (imageName.find(marker) != std::string::npos) mode = marker;
  if (mode == "SILENT") silentSeconds = 1;

  std::string body;
  for (std::size_t i = 1; i <= inputs; ++i) {
    std::ifstream in(PathOf(args[i]), std::ios::binary);
    if (!in) Fail("file not found");
    body += (i > 1 ? "+" : "") + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (command == "-setchs") body = "CHS " + args[2] + " " + args[3] + " " + args[4] + "\n";

  // A tool that ends at once still pauses before its line, so a cancel can land while it runs.
  if (mode == "FAIL" || mode == "EMPTY") {
    PrintLine(mode == "FAIL" ? "Error: something failed\n" : "Nothing to do\n", mode == "FAIL" ? 1 : 0);
    return mode == "FAIL" ? 1 : 0;
  }
  SleepMs(silentSeconds * 1000);

  if (command == "-extract") {
    std::error_code ec;
    fs::create_directory(PathOf(args[2]), ec);
    std::ofstream(PathOf(output).replace_extension(".cue"), std::ios::binary)
        << "FILE \"" << Utf8(PathOf(output).filename()) << "\" BINARY\n";
  }
  std::ofstream out;
  if (!prefix.empty()) {
    out.open(PathOf(output), std::ios::binary | std::ios::trunc);  // checked once it is complete
    out << prefix << std::flush;
  }

  const char* h = std::getenv("FAKE_CHDMAN_HUNKS");
  const long hunks = h ? std::max(0L, std::atol(h)) : 1000;
  const long step = hunks >= 20 ? hunks / 20 : 1;
  if (mode == "GARBAGE") {
    for (unsigned i = 0; i < 30; ++i) PrintLine(kGarbage[(i * 5) % std::size(kGarbage)], i);
  } else {
    const unsigned lines = static_cast<unsigned>(hunks / step) + (hunks % step != 0) + 1;
    long printed = 0;
    for (unsigned i = 0; i < lines || printed < floodBytes; ++i) {
      const long n = std::min(hunks, static_cast<long>(i % lines) * step);
      const std::string line = "Compressing hunk " + std::to_string(n) + "/" + std::to_string(hunks) + "... (ratio=50%)\r";
      PrintLine(line, i);
      printed += static_cast<long>(line.size());
      while (mode == "HANG") SleepMs(3600 * 1000);
      if (i + 1 == std::max(1u, lines / 2) && (mode == "CRASH" || mode == "PARTIAL")) {
        out << body.substr(0, body.size() / 2) << std::flush;
        if (mode == "CRASH") std::abort();
        Fail("write failed");
      }
    }
  }

  if (command == "-setchs") out.open(PathOf(output), std::ios::binary | std::ios::trunc);
  if (!output.empty()) {
    out << body << std::flush;
    if (!out) Fail("cannot write " + output);
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
