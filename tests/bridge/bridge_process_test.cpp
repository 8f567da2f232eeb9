// The built bridge as a real process over a stand-in for today's chdman:
// exit status, the output the program reads, the names the tool receives,
// the search on PATH, and a killed bridge taking its tool with it.

#include <algorithm>
#include <chrono>
#include <thread>

#include "BridgeProcessFixture.h"
#include "ToolRunner.h"
#include "Utf8Path.h"

namespace qm::bridge {
namespace {

// The kinds of today's tool, on names the shell and the tool could misread.
struct KindRow {
  const char* name;
  std::vector<std::string> args;
  const char* image;  // what the input holds (the stand-in's info reads CHT2 and "DVD "); null: none
  const char* version;
  const char* mode;
  int status;
  const char* lastLine;  // part of it
  const char* toolArgs;  // what the tool received; empty: it was never asked to write
  std::vector<std::string> made, untouched;  // the user's files in `untouched` are there before
};
void PrintTo(const KindRow& row, std::ostream* os) { *os << row.name; }

class BridgeKindTest : public BridgeProcessTest, public testing::WithParamInterface<KindRow> {};

TEST_P(BridgeKindTest, RunsTheKindOrLeavesNothing) {
  const KindRow& row = GetParam();
  if (row.image) std::ofstream(test::PathOf(row.args[1]), std::ios::binary) << row.image;
  for (const std::string& file : row.untouched) std::ofstream(test::PathOf(file)) << "user";
  SetEnvironment("FAKE_CURRENT_VERSION", row.version);
  SetEnvironment("FAKE_CURRENT_MODE", row.mode);
  const bool stalls = std::string_view("silent repeat hang").find(row.mode) != std::string_view::npos;
  SetEnvironment(kStallVariable, stalls ? "2" : "");
  const auto start = std::chrono::steady_clock::now();
  const Finished run = Bridge(row.args);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "the stand-in's own minute ran out";
  EXPECT_EQ(run.status, row.status) << run.output;
  EXPECT_NE(LastLine(run.output).find(row.lastLine), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("nan"), std::string::npos) << run.output;
  if (*row.toolArgs) {  // the whole line: nothing cut or added; folders joined with "/" or "\\"
    const std::string args = std::string("args: ") + row.toolArgs;
    std::string output = run.output;
    std::replace(output.begin(), output.end(), '\\', '/');
    const std::size_t at = output.find(args);
    EXPECT_TRUE(at != std::string::npos && output.find_first_of("\r\n", at) == at + args.size()) << run.output;
  } else {
    EXPECT_EQ(run.output.find("args: "), std::string::npos) << run.output;
  }
  for (const std::string& file : row.made) EXPECT_EQ(fs::exists(test::PathOf(file)), row.status == 0) << file;
  for (const std::string& file : row.untouched) {
    std::ifstream in(test::PathOf(file));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "user") << file;
  }
}

#define QM_NAME "d\xc3\xa9 &%'!"  // "dé &%'!"
INSTANTIATE_TEST_SUITE_P(
    Kinds, BridgeKindTest,
    testing::Values(
        KindRow{"update", {"-update", "with space.chd", "out put.tmp"}, nullptr, "0.251", "ok", 0,
                "Compressing hunk 1000/1000... (ratio=50.0%)", "copy|-i|with space.chd|-o|out put.tmp", {"out put.tmp"}, {}},
        KindRow{"missing_image", {"-update", "missing.chd", "o.tmp"}, nullptr, "0.251", "ok", 1,
                "Error opening CHD file (missing.chd): No such file or directory", "", {"o.tmp"}, {}},
        KindRow{"create_cd", {"-createcd", QM_NAME ".cue", QM_NAME ".tmp"}, "cue", "0.251", "ok", 0, "10000/10000",
                "createcd|-i|" QM_NAME ".cue|-o|" QM_NAME ".tmp", {QM_NAME ".tmp"}, {}},
        KindRow{"create_cd_fails", {"-createcd", "a.cue", "a.tmp"}, "cue", "0.251", "status=3", 3, "Error: boom",
                "createcd|-i|a.cue|-o|a.tmp", {"a.tmp"}, {}},
        KindRow{"create_never_over_a_file", {"-createcd", "a.cue", "a.tmp"}, "cue", "0.251", "ok", 1, "a.tmp", "", {},
                {"a.tmp"}},
        KindRow{"create_dvd_needs_0_254", {"-createdvd", "a.iso", "a.tmp"}, "iso", "0.251", "ok", 1, "0.251", "",
                {"a.tmp"}, {}},
        KindRow{"create_dvd", {"-createdvd", "a.iso", "a.tmp"}, "iso", "0.264", "ok", 0, "10000/10000",
                "createdvd|-i|a.iso|-o|a.tmp", {"a.tmp"}, {}},
        KindRow{"verify", {"-verify", QM_NAME ".chd"}, "MComprHD", "0.251", "ok", 0, "10000/10000",
                "verify|-i|" QM_NAME ".chd", {}, {}},
        KindRow{"extract_cd", {"-extract", QM_NAME ".chd", QM_NAME ".tmp"}, "CHT2", "0.251", "ok", 0, "10000/10000",
                "extractcd|-i|" QM_NAME ".chd|-o|" QM_NAME ".tmp/" QM_NAME ".cue",
                {QM_NAME ".tmp/" QM_NAME ".cue", QM_NAME ".tmp/" QM_NAME ".bin"}, {}},
        KindRow{"extract_dvd_with_0_251", {"-extract", "a.chd", "a.tmp"}, "DVD ", "0.251", "ok", 0, "10000/10000",
                "extractraw|-i|a.chd|-o|a.tmp/a.iso", {"a.tmp/a.iso"}, {}},
        KindRow{"extract_dvd", {"-extract", "a.chd", "a.tmp"}, "DVD ", "0.264", "ok", 0, "10000/10000",
                "extractdvd|-i|a.chd|-o|a.tmp/a.iso", {"a.tmp/a.iso"}, {}},
        KindRow{"extract_hard_disk", {"-extract", "-a.chd", "-a.tmp"}, "MComprHD", "0.251", "ok", 0, "10000/10000",
                "extracthd|-i|./-a.chd|-o|./-a.tmp/-a.img", {"-a.tmp/-a.img"}, {}},
        KindRow{"extract_into_an_existing_folder", {"-extract", "a.chd", "a.tmp"}, "CHT2", "0.251", "ok", 1, "a.tmp",
                "", {}, {"a.tmp"}},
        KindRow{"verify_ended_when_silent", {"-verify", "a.chd"}, "MComprHD", "0.251", "silent", 1,
                "smesso di rispondere (nessun avanzamento per 2 secondi)", "verify|-i|a.chd", {}, {}},
        KindRow{"verify_ended_at_one_percentage", {"-verify", "a.chd"}, "MComprHD", "0.251", "repeat", 1,
                "smesso di rispondere", "verify|-i|a.chd", {}, {}},
        KindRow{"create_ended_when_hung", {"-createcd", "a.cue", "a.tmp"}, "cue", "0.251", "hang", 1,
                "smesso di rispondere", "createcd|-i|a.cue|-o|a.tmp", {"a.tmp"}, {}},
        KindRow{"extract_fails", {"-extract", "a.chd", "a.tmp"}, "CHT2", "0.251", "status=3", 3, "Error: boom",
                "extractcd|-i|a.chd|-o|a.tmp/a.cue", {"a.tmp"}, {}}));
#undef QM_NAME

// A bridge copied under the tool's name into a folder on PATH finds the tool
// after it, not itself.
TEST_F(BridgeProcessTest, OnPathTheBridgeSkipsItself) {
  const std::string name = "chdman" + fs::path(QM_BRIDGE).extension().string();
  fs::create_directories(folder_ / "program");
  fs::create_directories(folder_ / "tool");
  fs::copy_file(QM_BRIDGE, folder_ / "program" / name);
  fs::copy_file(QM_FAKE_CURRENT, folder_ / "tool" / name);
  SetEnvironment(kToolVariable, "");
  const std::string sep(1, PathListSeparator());
  SetEnvironment("PATH", (folder_ / "program").string() + sep + (folder_ / "tool").string());
  ChildProcess p = Start({"-update", "with space.chd", "o.tmp"}, (folder_ / "program" / name).string());
  const Finished run = Finish(p);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("chdman - stand-in"), std::string::npos) << run.output;
}

TEST_F(BridgeProcessTest, AKilledBridgeTakesTheToolWithIt) {
  SetEnvironment("FAKE_CURRENT_MODE", "hang");
  ChildProcess p = Start({"-update", "with space.chd", "o.tmp"});
  std::string output;
  const long tool = HungToolId(p, output);
  ASSERT_TRUE(ProcessRunning(tool));
  p.Terminate();
  p.Wait();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ProcessRunning(tool) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(ProcessRunning(tool)) << "the tool outlived the bridge";
}

}  // namespace
}  // namespace qm::bridge
