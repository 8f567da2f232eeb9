// The bridge over the stand-in for today's chdman: each job kind as a real
// process (exit status, the output the program reads, the names the tool
// receives, the search on PATH, a killed bridge taking its tool with it), and
// each job with every run of the tool failing in turn.

#include <chrono>
#include <map>
#include <thread>

#include "Bridge.h"
#include "BridgeProcessFixture.h"
#include "ProcessToolRunner.h"
#include "Utf8Path.h"

namespace qm::bridge {
namespace {

// The kinds of today's tool, on names the shell and the tool could misread.
struct KindRow {
  const char* name;
  std::vector<std::string> args;
  const char* image;  // what args[1] holds (the stand-in's info reads CHT2, "DVD " and "none")
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
  if (row.image) test::WriteAll(test::PathOf(row.args[1]), row.image);
  for (const std::string& file : row.untouched) test::WriteAll(test::PathOf(file), "user");
  SetEnvironment("FAKE_CURRENT_VERSION", row.version);
  SetEnvironment("FAKE_CURRENT_MODE", row.mode);
  SetEnvironment(kStallVariable, std::string(row.mode) == "ok" ? "" : "2");
  const Finished run = Run(row.args);
  EXPECT_EQ(run.status, row.status) << run.output;
  EXPECT_NE(LastLine(run.output).find(row.lastLine), std::string::npos) << run.output;
  if (*row.toolArgs) {  // the whole line: nothing cut or added; folders joined with "/" or "\\"
    const std::string args = std::string("args: ") + row.toolArgs;
    std::string output = run.output;
    std::replace(output.begin(), output.end(), '\\', '/');
    const std::size_t at = output.find(args);
    EXPECT_TRUE(at != std::string::npos && output.find_first_of("\r\n", at) == at + args.size()) << run.output;
  } else {
    EXPECT_EQ(run.output.find("args: "), std::string::npos) << run.output;
  }
  if (row.image) {
    EXPECT_EQ(ReadAll(test::PathOf(row.args[1])), row.image);
  }
  for (const std::string& file : row.made) EXPECT_EQ(fs::exists(test::PathOf(file)), row.status == 0) << file;
  for (const std::string& file : row.untouched) EXPECT_EQ(ReadAll(test::PathOf(file)), "user") << file;
}

#define QM_NAME "d\xc3\xa9 &%'!"  // "dé &%'!"
INSTANTIATE_TEST_SUITE_P(
    Kinds, BridgeKindTest,
    testing::Values(
        KindRow{"update", {"-update", "with space.chd", "out put.tmp"}, nullptr, "0.251", "ok", 0,
                "Compressing hunk 1000/1000... (ratio=50.0%)", "copy|-i|with space.chd|-o|out put.tmp", {"out put.tmp"}, {}},
        KindRow{"update_never_over_a_file", {"-update", "a.chd", "a.tmp"}, "MComprHD", "0.251", "ok", 1,
                "file already exists (a.tmp)", "copy|-i|a.chd|-o|a.tmp", {}, {"a.tmp"}},
        KindRow{"missing_image", {"-update", "missing.chd", "o.tmp"}, nullptr, "0.251", "ok", 1,
                "Error opening CHD file (missing.chd): No such file or directory", "", {"o.tmp"}, {}},
        KindRow{"create_cd", {"-createcd", QM_NAME ".cue", QM_NAME ".tmp"}, "cue", "0.251", "ok", 0, "10000/10000",
                "createcd|-i|" QM_NAME ".cue|-o|" QM_NAME ".tmp", {QM_NAME ".tmp"}, {}},
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
        KindRow{"extract_beside_the_users_bin", {"-extract", "a.chd", "a.tmp"}, "CHT2", "0.251", "ok", 1, "a.bin", "",
                {"a.tmp"}, {"a.bin"}},
        // 4,096,000 bytes are 125 * 16 * 4 sectors of 512.
        KindRow{"set_chs_one_cylinder_short", {"-setchs", "a.chd", "124", "16", "4"}, "MComprHD", "0.251", "ok", 1,
                "less than the 4,096,000 bytes", "", {}, {}},
        KindRow{"set_chs_already_set", {"-setchs", "a.chd", "125", "16", "4"}, "MComprHD", "0.251", "ok", 0, "already",
                "", {}, {}},
        KindRow{"set_chs_of_a_cd", {"-setchs", "a.chd", "125", "16", "4"}, "CHT2", "0.251", "ok", 1,
                "not a hard disk image", "", {}, {}},
        KindRow{"verify_ended_when_silent", {"-verify", "a.chd"}, "MComprHD", "0.251", "silent", 1,
                "smesso di rispondere (nessun avanzamento per 2 secondi)", "verify|-i|a.chd", {}, {}},
        KindRow{"verify_ended_at_one_percentage", {"-verify", "a.chd"}, "MComprHD", "0.251", "repeat", 1,
                "smesso di rispondere", "verify|-i|a.chd", {}, {}}));
#undef QM_NAME

// Today's tool (the stand-in) whose run number `failAt` ends as `failure`
// says: "status N" (an error line, then exit status N), "interrupt" (this
// process asked to end) or "stall".
class FailingTool : public ToolRunner {
 public:
  FailingTool(std::string failure, int failAt) : failure_(std::move(failure)), failAt_(failAt) {}
  Result Run(const std::vector<std::string>& args, const std::function<bool(std::string_view)>& out) override {
    Result r = tool_.Run(args, out);
    if (calls_++ != failAt_) return r;
    if (failure_ == "interrupt") {
      interrupted_ = 143;
    } else if (failure_ == "stall") {
      r.stalledSeconds = 120;
    } else {
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

struct Job {
  const char* name;
  std::vector<std::string> args;
  const char* image;  // what each input holds
};
void PrintTo(const Job& job, std::ostream* os) { *os << job.name; }

struct Failure {
  const char* failure;
  int status;
  const char* reason;
};
void PrintTo(const Failure& row, std::ostream* os) { *os << row.failure; }

class BridgeFailureTest : public BridgeProcessTest, public testing::WithParamInterface<std::tuple<Job, Failure>> {
 protected:
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder_)) files[e.path().string()] = e.is_directory() ? "/" : ReadAll(e.path());
    return files;
  }
};

// Whichever step fails, the folder is as it was, the status says so and the
// last line says why.
TEST_P(BridgeFailureTest, AnyFailingStepLeavesTheFolderAsItWas) {
  const auto& [job, failure] = GetParam();
  for (int step = 0;; ++step) {
    for (const auto& e : fs::directory_iterator(folder_)) fs::remove_all(e.path());
    for (const std::string& arg : job.args) {
      if (arg.find('.') != std::string::npos && !arg.ends_with(".tmp")) test::WriteAll(arg, job.image);
    }
    const auto before = Snapshot();
    FailingTool tool(failure.failure, step);
    std::string output;
    const int status = Bridge({tool, [&](std::string_view s) { output.append(s); }, 4242, [](long) { return false; },
                               CopyToNewFile})
                           .Run(std::get<OldCommand>(ParseOldCommand(job.args)));
    if (step >= tool.calls()) {  // no step failed: the job is done
      EXPECT_EQ(status, 0) << output;
      EXPECT_NE(Snapshot(), before);
      break;
    }
    EXPECT_EQ(status, failure.status) << "step " << step << ":\n" << output;
    EXPECT_EQ(Snapshot(), before) << "step " << step;
    EXPECT_NE(LastLine(output).find(failure.reason), std::string::npos) << "step " << step << ": " << output;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BridgeFailureTest,
    testing::Combine(
        testing::Values(Job{"update", {"-update", "g.chd", "g.tmp"}, "MComprHD"},
                        Job{"merge", {"-merge", "g.chd", "p.diff", "p.tmp"}, "MComprHD"},
                        Job{"set_chs_compressed", {"-setchs", "g.chd", "32", "16", "16"}, "MComprHD"},
                        Job{"set_chs_uncompressed", {"-setchs", "g.chd", "32", "16", "16"}, "MComprHD none"},
                        Job{"create", {"-createcd", "g.cue", "g.tmp"}, "cue"},
                        Job{"extract", {"-extract", "g.chd", "g.tmp"}, "CHT2"}),
        testing::Values(Failure{"status 2", 2, "Error: injected"}, Failure{"status 0", kExitFailure, "Error: injected"},
                        Failure{"interrupt", 143, "interrupted"},
                        Failure{"stall", kExitFailure, "chdman ha smesso di rispondere"})));

// A bridge copied under the tool's name into a folder on PATH finds the tool
// after it, not itself.
TEST_F(BridgeProcessTest, OnPathTheBridgeSkipsItself) {
  const std::string name = "chdman" + fs::path(QM_BRIDGE).extension().string();
  fs::create_directories(folder_ / "program");
  fs::create_directories(folder_ / "tool");
  fs::copy_file(QM_BRIDGE, folder_ / "program" / name);
  fs::copy_file(QM_FAKE_CURRENT, folder_ / "tool" / name);
  SetEnvironment(kToolVariable, "");
  SetEnvironment("PATH", (folder_ / "program").string() + PathListSeparator() + (folder_ / "tool").string());
  const Finished run = Run({"-update", "with space.chd", "o.tmp"}, (folder_ / "program" / name).string());
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
  for (int i = 0; i < 500 && ProcessRunning(tool); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(ProcessRunning(tool)) << "the tool outlived the bridge";
}

}  // namespace
}  // namespace qm::bridge
