// fake_current_chdman: stands in for today's chdman behind the bridge. Plain
// C++, so that it builds wherever the bridge does. An image is a text file.
//
//   (none)         the banner "... manager V (fake)" with V from
//                  FAKE_CURRENT_VERSION (default 0.251), some of its commands
//                  (createdvd and extractdvd from 0.254 on), then a usage error.
//   info -i X      describes X: 4,096,000 bytes in 1000 hunks, compressed
//                  with zlib unless X holds "none"; its metadata is "CHT2" or
//                  "DVD " when X holds that word, else GDDD 125/16/4 unless
//                  addmeta said else. A missing X (any command's -i) fails as
//                  chdman does ("Error opening CHD file").
//   addmeta -i X -vt GEOMETRY  appends GEOMETRY to X.
// Every other command prints "args: " and its arguments joined by "|".
//   copy, createcd, createdvd -i A ... -o B
//                  refuse an existing B, create B (copy: with A's geometry when addmeta
//                  gave it one; createcd: "CHT2"; createdvd: "DVD ").
//   extractcd -o C.cue (and C.bin), extractdvd, extractraw, extracthd -o F
//                  write "cue", "bin" or "data" into the files named.
//   verify -i X    writes nothing.
// These then print their progress on standard error ("Compressing",
// "Extracting" or "Verifying", "\r"-ended, 0% to 100%) and, after
// FAKE_CURRENT_MODE:
//     ok           (default) "Compression complete ...", exit 0
//     hang         "pid=<its process id>", then sleeps for a minute
//     silent       sleeps for a minute before any progress line
//     repeat       "<Label>, 25.0% complete..." again and again for a minute

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>  // getpid, which mingw-w64 has too
#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

std::string Option(const std::vector<std::string>& args, const std::string& name) {
  const auto at = std::find(args.begin(), args.end(), name);
  return at != args.end() && at + 1 != args.end() ? *(at + 1) : "";
}

// The geometry a file holds: the last "CYLS:..." line addmeta wrote, else 125/16/4.
std::string Geometry(const std::string& text) {
  const std::size_t at = text.rfind("CYLS:");
  return at == std::string::npos ? "CYLS:125,HEADS:16,SECS:4,BPS:512." : text.substr(at, text.find('\n', at) - at);
}

int Fatal(const std::string& line) {
  std::fprintf(stderr, "%s\nFatal error occurred: 1\n", line.c_str());
  return 1;
}

// The arguments as the tests read them: UTF-8 (Windows passes them in the
// ANSI code page, which names the files just as well).
std::string Utf8(const std::string& text) {
#if defined(_WIN32)
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                               wide.data(), static_cast<int>(wide.size()))));
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                               utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
  return utf8;
#else
  return text;
#endif
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Each line reaches the bridge as it is printed, as the real tool's do.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  if (args.empty()) {
    const std::string version = std::getenv("FAKE_CURRENT_VERSION") ? std::getenv("FAKE_CURRENT_VERSION") : "0.251";
    std::printf("chdman - MAME Compressed Hunks of Data (CHD) manager %s (fake)\nUsage:\n   chdman info: does it\n%s",
                version.c_str(), std::atoi(version.c_str() + 2) < 254 ? "" : "   chdman createdvd: does it\n"
                                                                                "   chdman extractdvd: does it\n");
    return Fatal("Error: Required parameters missing");
  }
  const std::string command = args[0], input = Option(args, "-i"), output = Option(args, "-o");
  std::ifstream in(input, std::ios::binary);
  if (!in) return Fatal("Error opening CHD file (" + input + "): No such file or directory");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  std::printf("chdman - stand-in\n");
  if (command == "info") {
    const bool none = text.find("none") != text.npos;
    const std::string tag = text.find("CHT2") != text.npos ? "CHT2" : text.find("DVD ") != text.npos ? "DVD " : "GDDD";
    std::printf("File Version: 5\nLogical size: 4,096,000 bytes\nHunk Size:    4,096 bytes\nTotal Hunks:  1,000\n"
                "Compression:  %s\nMetadata:     Tag='%s'  Index=0  Length=33 bytes\n              %s\n",
                none ? "none" : "zlib (Deflate)\nData SHA1:    0123456789abcdef0123456789abcdef01234567", tag.c_str(),
                tag == "GDDD" ? Geometry(text).c_str() : "TRACK:1 TYPE:MODE1");
    return 0;
  }
  if (command == "addmeta") {
    std::ofstream(input, std::ios::binary | std::ios::app) << "\n" << Option(args, "-vt") << "\n";
    return 0;
  }

  std::string joined, label = "Compressing";
  for (const std::string& a : args) joined += (joined.empty() ? "" : "|") + a;
  std::printf("args: %s\n", Utf8(joined).c_str());
  if (command == "copy" || command == "createcd" || command == "createdvd") {
    if (std::ifstream(output)) return Fatal("Error: file already exists (" + output + ")");
    const std::string geometry = Geometry(text);  // the default one is not written
    const std::string meta = command == "createcd" ? "CHT2" : command == "createdvd" ? "DVD " : geometry;
    std::ofstream(output, std::ios::binary) << "MComprHD fake" << (meta.starts_with("CYLS:125,") ? "" : "\n" + meta + "\n");
  } else if (command.starts_with("extract")) {
    label = "Extracting";
    std::ofstream(output, std::ios::binary) << (command == "extractcd" ? "cue" : "data");
    if (command == "extractcd") std::ofstream(output.substr(0, output.rfind('.')) + ".bin", std::ios::binary) << "bin";
  } else if (command == "verify") {
    label = "Verifying";
  } else {
    return Fatal("Error: unsupported command " + command);
  }

  const std::string mode = std::getenv("FAKE_CURRENT_MODE") ? std::getenv("FAKE_CURRENT_MODE") : "ok";
  if (mode == "silent") Pause(60000);
  for (int percent = 0; percent <= 100; percent += 25) {
    std::fprintf(stderr, "%s, %d.0%% complete... (ratio=%d.0%%)  \r", label.c_str(), percent, 100 - percent / 2);
    for (int i = 0; mode == "repeat" && percent == 25 && i < 600; ++i, Pause(100)) {
      std::fprintf(stderr, "%s, 25.0%% complete...  \r", label.c_str());
    }
  }
  if (mode == "hang") {
    std::printf("pid=%d\n", static_cast<int>(getpid()));
    Pause(60000);
  }
  std::fprintf(stderr, "Compression complete ... final ratio = 50.0%%            \n");
  return 0;
}
