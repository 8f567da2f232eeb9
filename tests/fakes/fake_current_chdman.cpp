// fake_current_chdman: stands in for today's chdman behind the bridge in
// process tests. Plain C++, so that it builds wherever the bridge does.
//
//   (none)         the banner "... manager 0.251 (fake)", then a usage error.
//   info -i X      describes X as a compressed hard disk image of 1000 hunks,
//                  125 cylinders, 16 heads, 4 sectors unless addmeta said else;
//                  a missing X fails as chdman does ("Error opening CHD file").
//   addmeta -i X -vt GEOMETRY  appends GEOMETRY to X; verify -i X succeeds.
//   copy -i A ... -o B
//                  prints "args: " and its arguments joined by "|", creates B
//                  (with A's geometry when addmeta gave it one),
//                  prints five progress lines on standard error ("\r"-ended,
//                  0% to 100%) and then, after FAKE_CURRENT_MODE:
//     ok           (default) "Compression complete ...", exit 0
//     status=N     "Error: boom" and "Fatal error occurred: N", exit N
//     error0       "Oops" and "Fatal error occurred: 0", exit 0
//     hang         "pid=<its process id>", then sleeps for a minute

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

std::string Option(const std::vector<std::string>& args, const std::string& name) {
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == name) return args[i + 1];
  }
  return {};
}

// The geometry a file holds: the last "CYLS:..." line addmeta wrote, else 125/16/4.
std::string Geometry(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t at = text.rfind("CYLS:");
  return at == std::string::npos ? "CYLS:125,HEADS:16,SECS:4,BPS:512." : text.substr(at, text.find('\n', at) - at);
}

int Fatal(const std::string& line, int status) {
  std::fprintf(stderr, "%s\nFatal error occurred: %d\n", line.c_str(), status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::printf("chdman - MAME Compressed Hunks of Data (CHD) manager 0.251 (fake)\n");
    return Fatal("Error: Required parameters missing", 1);
  }
  const std::string input = Option(args, "-i");
  if (!std::ifstream(input)) return Fatal("Error opening CHD file (" + input + "): No such file or directory", 1);

  std::printf("chdman - stand-in\n");
  if (args[0] == "info") {
    std::printf("File Version: 5\nLogical size: 4,096,000 bytes\nHunk Size:    4,096 bytes\nTotal Hunks:  1,000\n"
                "Compression:  zlib (Deflate)\nData SHA1:    0123456789abcdef0123456789abcdef01234567\n"
                "Metadata:     Tag='GDDD'  Index=0  Length=33 bytes\n              %s\n",
                Geometry(input).c_str());
    return 0;
  }
  if (args[0] == "addmeta") std::ofstream(input, std::ios::binary | std::ios::app) << "\n" << Option(args, "-vt") << "\n";
  if (args[0] == "addmeta" || args[0] == "verify") return 0;
  if (args[0] != "copy") return Fatal("Error: unsupported command " + args[0], 1);

  std::string joined;
  for (const std::string& a : args) joined += (joined.empty() ? "" : "|") + a;
  std::printf("args: %s\n", joined.c_str());
  std::fflush(stdout);
  const std::string geometry = Geometry(input);
  std::ofstream(Option(args, "-o"), std::ios::binary) << "MComprHD fake" << (geometry.starts_with("CYLS:125,") ? "" : "\n" + geometry + "\n");
  for (int percent = 0; percent <= 100; percent += 25) {
    std::fprintf(stderr, "Compressing, %d.0%% complete... (ratio=%d.0%%)  \r", percent, 100 - percent / 2);
    std::fflush(stderr);
  }

  const char* modeText = std::getenv("FAKE_CURRENT_MODE");
  const std::string mode = modeText ? modeText : "ok";
  if (mode.rfind("status=", 0) == 0) return Fatal("Error: boom", std::atoi(mode.c_str() + 7));
  if (mode == "error0") return Fatal("Oops", 0);
  if (mode == "hang") {
    std::printf("pid=%d\n", static_cast<int>(QM_GETPID()));
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(60));
  }
  std::fprintf(stderr, "Compression complete ... final ratio = 50.0%%            \n");
  return 0;
}
