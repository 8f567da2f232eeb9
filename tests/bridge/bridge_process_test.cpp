// The built bridge as a real process over the stand-in for today's chdman:
// each job kind (exit status, the output the program reads, the names the
// tool receives) and, for each, every run of the tool failing in turn; the
// search on PATH; a killed bridge taking its tool with it. On POSIX also
// signals, and today's chdman itself on images made here (skipped when it is
// not installed): the Set CHS edit and its refusals, a request to end during
// the edit's copy, a damaged image whose check hangs.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <thread>
#include <tuple>

#include "Bridge.h"
#include "ProcessToolRunner.h"
#include "TempTree.h"
#include "ToolLocator.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/processes.h"

#if !defined(_WIN32)
#include <signal.h>

#include <cmath>
#include <random>
#endif

namespace qm::bridge {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using Files = std::map<std::string, std::string>;  // by path; a folder holds "/"

struct Finished {
  int status;
  std::string output;
};

std::string LastLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text.substr(text.find_last_of("\r\n") + 1);
}

// Runs in a throwaway folder holding "with space.chd", with the stand-in
// named by QUILLMERE_CHDMAN.
class BridgeProcessTest : public testing::Test {
 protected:
  BridgeProcessTest() {
    fs::current_path(folder_);
    test::WriteAll("with space.chd", "MComprHD image");
    SetEnvironment(kToolVariable, QM_FAKE_CURRENT);
    SetEnvironment("FAKE_CURRENT_MODE", "ok");
  }
  ~BridgeProcessTest() override { fs::current_path(previous_); }

  static ChildProcess Start(const std::vector<std::string>& args, const std::string& program = QM_BRIDGE) {
    Result<ChildProcess> started = ChildProcess::Start(program, args, {.ownUnit = false, .endWithParent = true});
    EXPECT_TRUE(started.ok()) << FailedCall(started.error());
    return std::move(*started);
  }
  // Reads until `enough` says so of the output so far, or the output ends.
  static std::string ReadUntil(ChildProcess& p, const std::function<bool(const std::string&)>& enough,
                               std::string output = {}) {
    char buffer[512];
    while (!enough(output)) {
      const ReadResult r = p.Read(buffer, sizeof buffer, 1000);
      if (r.status == ReadStatus::Broken) break;
      output.append(buffer, r.n);
    }
    return output;
  }
  static Finished Finish(ChildProcess& p, std::string output = {}) {
    output = ReadUntil(p, [](const std::string&) { return false; }, std::move(output));
    return {p.Wait(), output};
  }
  static Finished Run(const std::vector<std::string>& args, const std::string& program = QM_BRIDGE) {
    ChildProcess p = Start(args, program);
    return Finish(p);
  }
  Files Snapshot() const {
    Files files;
    for (const auto& e : fs::recursive_directory_iterator(folder_)) {
      files[test::Utf8(e.path())] = e.is_directory() ? "/" : ReadAll(e.path());
    }
    return files;
  }
  test::TempTree tree_;
  fs::path folder_ = tree_.data();
  fs::path previous_ = fs::current_path();
};

// Today's tool (the stand-in) whose run number `failAt` ends as `failure`
// says: "status N" (an error line, then exit status N), "interrupt" (this
// process asked to end) or "stall". Runs without arguments, which only ask
// the tool's version and fail by design, are not counted.
class FailingTool : public ToolRunner {
 public:
  FailingTool(std::string failure, int failAt) : failure_(std::move(failure)), failAt_(failAt) {}
  Result Run(const std::vector<std::string>& args, const std::function<bool(std::string_view)>& out) override {
    Result r = tool_.Run(args, out);
    if (args.empty() || calls_++ != failAt_) return r;
    if (failure_ == "interrupt") interrupted_ = 143;
    if (failure_ == "stall") r.stalledSeconds = 120;
    if (failure_.starts_with("status ")) {
      r.status = failure_.back() - '0';
      out("Error: injected\nFatal error occurred: " + std::to_string(r.status) + "\n");
    }
    return r;
  }
  int Interrupted() const override { return interrupted_; }
  int calls() const { return calls_; }

 private:
  ProcessToolRunner tool_{QM_FAKE_CURRENT, std::chrono::seconds(60)};
  std::string failure_;
  int failAt_, calls_ = 0, interrupted_ = 0;
};

// Each failure, the bridge's status after it and part of its last line.
const std::tuple<const char*, int, const char*> kFailures[] = {{"status 2", 2, "Error: injected"},
                                                               {"status 0", kExitFailure, "Error: injected"},
                                                               {"interrupt", 143, "interrupted"},
                                                               {"stall", kExitFailure, "chdman ha smesso di rispondere"}};

// The kinds of today's tool, on names the shell and the tool could misread.
struct KindRow {
  const char* name;
  std::vector<std::string> args;
  const char* image;  // what each input holds (the stand-in's info reads CHT2, "DVD " and "none")
  int status;
  const char* lastLine;  // part of it
  const char* toolArgs;  // what the tool was first asked to write; empty: nothing; null: not checked
  std::vector<std::string> untouched = {};  // the user's files, there before
  const char* version = "0.251";
  const char* mode = "ok";
};
void PrintTo(const KindRow& row, std::ostream* os) { *os << row.name; }

class BridgeKindTest : public BridgeProcessTest, public testing::WithParamInterface<KindRow> {};

TEST_P(BridgeKindTest, RunsTheKindOrLeavesNothing) {
  const KindRow& row = GetParam();
  const auto prepare = [&] {
    for (const auto& e : fs::directory_iterator(folder_)) fs::remove_all(e.path());
    for (const std::string& arg : row.args) {
      if (arg.find('.') != std::string::npos && !arg.ends_with(".tmp")) test::WriteAll(test::PathOf(arg), row.image);
    }
    for (const std::string& file : row.untouched) test::WriteAll(test::PathOf(file), "user");
    return Snapshot();
  };
  const Files before = prepare();
  SetEnvironment("FAKE_CURRENT_VERSION", row.version);
  SetEnvironment("FAKE_CURRENT_MODE", row.mode);
  SetEnvironment(kStallVariable, std::string(row.mode) == "ok" ? "" : "2");
  const Finished run = Run(row.args);
  EXPECT_EQ(run.status, row.status) << run.output;
  EXPECT_NE(LastLine(run.output).find(row.lastLine), std::string::npos) << run.output;
  if (row.status != 0 || (row.toolArgs && !*row.toolArgs)) {
    EXPECT_EQ(Snapshot(), before);
  }
  if (row.toolArgs) {  // the whole line, folders joined with "/" or "\\"; empty: the tool was never asked to write
    const std::string output = std::regex_replace(std::regex_replace(run.output, std::regex("\r\n"), "\n"), std::regex("\\\\"), "/");
    const std::string line = *row.toolArgs ? "args: " + std::string(row.toolArgs) + "\n" : "args: ";
    EXPECT_EQ(output.find(line) != std::string::npos, *row.toolArgs != '\0') << run.output;
  }
  if (row.status != 0 || std::string(row.mode) != "ok") return;

  // The job's logic again, with each run of the tool failing in turn: the
  // folder is as it was, the status says so and the last line says why.
  for (const auto& [failure, failedStatus, reason] : kFailures) {
    for (int step = 0;; ++step) {
      prepare();
      FailingTool tool(failure, step);
      std::string output;
      const int status = Bridge({tool, [&](std::string_view s) { output.append(s); }, 4242, [](long) { return false; },
                                 CopyToNewFile})
                             .Run(std::get<OldCommand>(ParseOldCommand(row.args)));
      if (step >= tool.calls()) break;
      const std::string at = std::string(failure) + " at step " + std::to_string(step) + ":\n" + output;
      EXPECT_EQ(status, failedStatus) << at;
      EXPECT_EQ(Snapshot(), before) << at;
      EXPECT_NE(LastLine(output).find(reason), std::string::npos) << at;
    }
  }
}

#define QM_NAME "d\xc3\xa9 &%'!"  // "dé &%'!"
INSTANTIATE_TEST_SUITE_P(
    Kinds, BridgeKindTest,
    testing::ValuesIn(std::vector<KindRow>{
        {"update", {"-update", "with space.chd", "out put.tmp"}, "MComprHD", 0,
            "Compressing hunk 1000/1000... (ratio=50.0%)", "copy|-i|with space.chd|-o|out put.tmp"},
        {"update_never_over_a_file", {"-update", "a.chd", "a.tmp"}, "MComprHD", 1, "file already exists (a.tmp)",
            "copy|-i|a.chd|-o|a.tmp", {"a.tmp"}},
        {"merge", {"-merge", "a.chd", "-p.diff", "p.tmp"}, "MComprHD", 0, "1000/1000", "copy|-i|./-p.diff|-ip|a.chd|-o|p.tmp"},
        {"create_cd", {"-createcd", QM_NAME ".cue", QM_NAME ".tmp"}, "cue", 0, "10000/10000",
            "createcd|-i|" QM_NAME ".cue|-o|" QM_NAME ".tmp"},
        {"create_never_over_a_file", {"-createcd", "a.cue", "a.tmp"}, "cue", 1, "a.tmp", "", {"a.tmp"}},
        {"create_dvd_needs_0_254", {"-createdvd", "a.iso", "a.tmp"}, "iso", 1, "0.251", ""},
        {"create_dvd", {"-createdvd", "a.iso", "a.tmp"}, "iso", 0, "10000/10000", "createdvd|-i|a.iso|-o|a.tmp", {}, "0.264"},
        {"verify", {"-verify", QM_NAME ".chd"}, "MComprHD", 0, "10000/10000", "verify|-i|" QM_NAME ".chd"},
        {"extract_cd", {"-extract", QM_NAME ".chd", QM_NAME ".tmp"}, "CHT2", 0, "10000/10000",
            "extractcd|-i|" QM_NAME ".chd|-o|" QM_NAME ".tmp/" QM_NAME ".cue"},
        {"extract_dvd_with_0_251", {"-extract", "a.chd", "a.tmp"}, "DVD ", 0, "10000/10000", "extractraw|-i|a.chd|-o|a.tmp/a.iso"},
        {"extract_dvd", {"-extract", "a.chd", "a.tmp"}, "DVD ", 0, "10000/10000", "extractdvd|-i|a.chd|-o|a.tmp/a.iso", {}, "0.264"},
        {"extract_hard_disk", {"-extract", "-a.chd", "-a.tmp"}, "MComprHD", 0, "10000/10000", "extracthd|-i|./-a.chd|-o|./-a.tmp/-a.img"},
        {"extract_into_an_existing_folder", {"-extract", "a.chd", "a.tmp"}, "CHT2", 1, "a.tmp", "", {"a.tmp"}},
        {"extract_beside_the_users_bin", {"-extract", "a.chd", "a.tmp"}, "CHT2", 1, "a.bin", "", {"a.bin"}},
        // The stand-in's images hold 4,096,000 bytes: 125 * 16 * 4 sectors of 512.
        {"set_chs", {"-setchs", "a.chd", "32", "16", "16"}, "MComprHD", 0, "set to CYLS:32,HEADS:16,SECS:16", nullptr},
        {"set_chs_uncompressed", {"-setchs", "a.chd", "32", "16", "16"}, "MComprHD none", 0, "set to CYLS:32,HEADS:16,SECS:16", nullptr},
        {"set_chs_one_cylinder_short", {"-setchs", "a.chd", "124", "16", "4"}, "MComprHD", 1, "less than the 4,096,000 bytes", ""},
        {"set_chs_already_set", {"-setchs", "a.chd", "125", "16", "4"}, "MComprHD", 0, "already", ""},
        {"set_chs_of_a_cd", {"-setchs", "a.chd", "125", "16", "4"}, "CHT2", 1, "not a hard disk image", ""},
        {"verify_ended_when_silent", {"-verify", "a.chd"}, "MComprHD", 1,
            "smesso di rispondere (nessun avanzamento per 2 secondi)", "verify|-i|a.chd", {}, "0.251", "silent"},
        {"verify_ended_at_one_percentage", {"-verify", "a.chd"}, "MComprHD", 1, "smesso di rispondere",
            "verify|-i|a.chd", {}, "0.251", "repeat"}}));
#undef QM_NAME

// A bridge copied under the tool's name into a folder on PATH finds the tool
// after it, not itself.
TEST_F(BridgeProcessTest, OnPathTheBridgeSkipsItself) {
  const std::string name = "chdman" + fs::path(QM_BRIDGE).extension().string();
  for (const char* folder : {"program", "tool"}) fs::create_directory(folder_ / folder);
  fs::copy_file(QM_BRIDGE, folder_ / "program" / name);
  fs::copy_file(QM_FAKE_CURRENT, folder_ / "tool" / name);
  SetEnvironment(kToolVariable, "");
  const std::string path = GetEnvironment("PATH").value_or("");
  SetEnvironment("PATH", (folder_ / "program").string() + PathListSeparator() + (folder_ / "tool").string());
  const Finished run = Run({"-update", "with space.chd", "o.tmp"}, (folder_ / "program" / name).string());
  SetEnvironment("PATH", path);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("chdman - stand-in"), std::string::npos) << run.output;
}

// 0: the bridge is killed outright, and its tool still ends with it; else a
// signal asks the bridge to end, and it ends its tool and removes the output.
class BridgeEndTest : public BridgeProcessTest, public testing::WithParamInterface<int> {};

TEST_P(BridgeEndTest, TheToolEndsWithTheBridge) {
  SetEnvironment("FAKE_CURRENT_MODE", "hang");
  ChildProcess p = Start({"-update", "with space.chd", "o.tmp"});
  // The stand-in in mode "hang" prints its id.
  const std::string output = ReadUntil(p, [](const std::string& o) { return o.find("pid=") != o.npos && o.back() == '\n'; });
  ASSERT_NE(output.find("pid="), std::string::npos) << output;
  const long tool = std::stol(output.substr(output.find("pid=") + 4));
  ASSERT_TRUE(ProcessRunning(tool));
  ASSERT_TRUE(fs::exists("o.tmp"));
  const auto start = std::chrono::steady_clock::now();
#if !defined(_WIN32)
  if (GetParam() != 0) ::kill(static_cast<pid_t>(p.Id()), GetParam());
#endif
  if (GetParam() == 0) p.Terminate();
  const Finished run = Finish(p, output);
  for (int i = 0; i < 500 && ProcessRunning(tool); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(ProcessRunning(tool)) << "the tool outlived the bridge";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "the tool was left to its minute";
  if (GetParam() == 0) return;
  EXPECT_EQ(run.status, 128 + GetParam()) << run.output;
  EXPECT_NE(LastLine(run.output).find("interrupted"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists("o.tmp"));
}

#if defined(_WIN32)
INSTANTIATE_TEST_SUITE_P(Ends, BridgeEndTest, testing::Values(0));
#else
INSTANTIATE_TEST_SUITE_P(Ends, BridgeEndTest, testing::Values(0, SIGTERM, SIGINT, SIGHUP));

// The lines of `info` but those that change with the geometry or the file.
std::string InfoBesidesGeometry(const std::string& info) {
  return std::regex_replace(info, std::regex("\n(Input file|SHA1|CHD size):[^\n]*|\nMetadata: +Tag='GDDD'[^\n]*\n[^\n]*"), "");
}

class BridgeChdmanTest : public BridgeProcessTest {
 protected:
  BridgeChdmanTest() { SetEnvironment(kToolVariable, chdman_); }
  void SetUp() override {
    if (!fs::exists(chdman_)) GTEST_SKIP() << "chdman is not installed (Debian package mame-tools)";
  }

  // A hard disk image of `mib` MiB of random data, which stays in "data.raw";
  // `extra` adds a metadata entry after its GDDD one.
  void MakeImage(const std::string& name, const std::string& codecs, int mib = 2, bool extra = false) {
    std::mt19937 random(static_cast<unsigned>(mib));
    std::string raw(static_cast<std::size_t>(mib) << 20, '\0');
    for (char& c : raw) c = static_cast<char>(random());
    test::WriteAll("data.raw", raw);
    ASSERT_EQ(Run({"createhd", "-i", "data.raw", "-o", "plain.chd", "-c", "none"}, chdman_).status, 0);
    if (extra) {
      ASSERT_EQ(Run({"addmeta", "-i", "plain.chd", "-t", "TEST", "-vt", "kept as it was"}, chdman_).status, 0);
    }
    ASSERT_EQ(Run({"copy", "-i", "plain.chd", "-o", name, "-c", codecs}, chdman_).status, 0);
    fs::remove("plain.chd");
  }
  const std::string chdman_ = "/usr/bin/chdman";  // where Debian's mame-tools puts it
};

// The codecs, the geometry set and whether the image has an entry after GDDD.
using EditRow = std::tuple<std::string, std::vector<std::string>, bool>;
class BridgeEditTest : public BridgeChdmanTest, public testing::WithParamInterface<EditRow> {};

// 2 MiB are 4,096 sectors; chdman chose CYLS:8,HEADS:16,SECS:32.
TEST_P(BridgeEditTest, SetsTheGeometryKeepingDataAndOtherMetadata) {
  const auto& [codecs, chs, extra] = GetParam();
  const std::string image = "my disk \xc3\xbc &.chd";
  MakeImage(image, codecs, 2, extra);
  const std::string before = ReadAll(image), infoBefore = Run({"info", "-i", image}, chdman_).output;
  const Finished run = Run({"-setchs", image, chs[0], chs[1], chs[2]});
  ASSERT_EQ(run.status, 0) << run.output;

  const std::string gddd = "CYLS:" + chs[0] + ",HEADS:" + chs[1] + ",SECS:" + chs[2] + ",BPS:512";
  const std::string info = Run({"info", "-i", image}, chdman_).output;
  EXPECT_NE(info.find(gddd + "."), std::string::npos) << info;
  EXPECT_EQ(InfoBesidesGeometry(info), InfoBesidesGeometry(infoBefore));  // Data SHA1 and every other entry
  ASSERT_EQ(Run({"-extract", image, "out.tmp"}).status, 0);
  EXPECT_TRUE(ReadAll("out.tmp/my disk \xc3\xbc &.img") == ReadAll("data.raw"));
  const Finished verify = Run({"verify", "-i", image}, chdman_);
  EXPECT_EQ(verify.status, 0) << verify.output;
  // Edited, not made again: the old bytes stay, at most one entry is added.
  const std::string after = ReadAll(image);
  EXPECT_LE(after.size() - before.size(), 16 + gddd.size() + 1);
  EXPECT_EQ(after.compare(0, 48, before, 0, 48), 0);  // the header up to its link to the metadata
  EXPECT_EQ(run.output.find("Verifying"), std::string::npos) << run.output;
  EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 4);  // data.raw, the image, out.tmp, with space.chd
}

INSTANTIATE_TEST_SUITE_P(Images, BridgeEditTest,
                         testing::Values(EditRow{"none", {"4", "32", "32"}, false},        // over the old entry
                                         EditRow{"none", {"1024", "2", "2"}, true},        // appended, relinked
                                         EditRow{"zlib", {"16", "16", "16"}, false},
                                         EditRow{"lzma,zlib", {"128", "16", "2"}, true},
                                         EditRow{"lzma,zlib", {"8", "32", "16"}, true}));

TEST_F(BridgeChdmanTest, ImagesTheEditDoesNotTakeFailAsBefore) {
  MakeImage("parent.chd", "zlib");
  ASSERT_EQ(Run({"createhd", "-i", "data.raw", "-o", "child.chd", "-c", "zlib", "-op", "parent.chd"}, chdman_).status, 0);
  std::string v4 = ReadAll("parent.chd");
  v4[15] = 4;  // version 4 in a version 5 header
  test::WriteAll("v4.chd", v4);
  const Files before = Snapshot();
  for (const auto& [image, reason] : {std::pair{"child.chd", "merge it"}, std::pair{"v4.chd", "Error"}}) {
    const Finished run = Run({"-setchs", image, "16", "16", "16"});
    EXPECT_NE(run.status, 0) << image;
    EXPECT_NE(LastLine(run.output).find(reason), std::string::npos) << run.output;
    EXPECT_TRUE(Snapshot() == before) << image;
  }
}

TEST_F(BridgeChdmanTest, AnEndRequestDuringTheCopyLeavesTheImage) {
  MakeImage("big.chd", "none", 17);
  const Files before = Snapshot();
  SetEnvironment("QUILLMERE_BRIDGE_COPY_PAUSE_MS", "300");
  ChildProcess p = Start({"-setchs", "big.chd", "17", "64", "32"});
  // The line after the first block.
  const std::string output = ReadUntil(p, [](const std::string& o) { return std::count(o.begin(), o.end(), '\r') >= 2; });
  ::kill(static_cast<pid_t>(p.Id()), SIGTERM);
  const Finished run = Finish(p, output);
  SetEnvironment("QUILLMERE_BRIDGE_COPY_PAUSE_MS", "0");
  EXPECT_EQ(run.status, 128 + SIGTERM) << run.output;
  EXPECT_NE(LastLine(run.output).find("interrupted"), std::string::npos) << run.output;
  EXPECT_TRUE(Snapshot() == before);
}

// chdman 0.251's verify spins for ever at 0.0% on a CD image with one byte of
// its FLAC audio damaged; any later tool may fail at once instead.
TEST_F(BridgeChdmanTest, ADamagedImageFailsWithinTheStallLimitAndStaysAsItWas) {
  std::mt19937 random(7);
  std::string bin(300 * 2048, '\0');  // a data track of text, then a tone
  for (char& c : bin) c = "abcdefgh \n"[random() % 10];
  for (int i = 0; i < 150 * 588; ++i) {
    const auto v = static_cast<std::int16_t>(8000 * std::sin(i / 20.0));
    for (int channel = 0; channel < 2; ++channel) bin.append({static_cast<char>(v & 0xff), static_cast<char>(v >> 8)});
  }
  test::WriteAll("disc.bin", bin);
  test::WriteAll("disc.cue", "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
                             "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n");
  ASSERT_EQ(Run({"-createcd", "disc.cue", "disc.chd"}).status, 0);
  std::string image = ReadAll("disc.chd");
  const std::size_t map = (std::size_t{static_cast<unsigned char>(image[45])} << 16) |
                          (std::size_t{static_cast<unsigned char>(image[46])} << 8) | static_cast<unsigned char>(image[47]);
  image[map - 10000] ^= 0xff;  // in the last hunks, the audio's
  test::WriteAll("disc.chd", image);
  SetEnvironment(kStallVariable, "3");
  const auto start = std::chrono::steady_clock::now();
  const Finished run = Run({"-verify", "disc.chd"});
  SetEnvironment(kStallVariable, "");
  EXPECT_EQ(run.status, kExitFailure) << run.output;
  if (std::chrono::steady_clock::now() - start >= std::chrono::seconds(3)) {
    EXPECT_NE(LastLine(run.output).find("chdman ha smesso di rispondere"), std::string::npos) << run.output;
  }
  EXPECT_TRUE(ReadAll("disc.chd") == image);
}

#endif  // !defined(_WIN32)

}  // namespace
}  // namespace qm::bridge
