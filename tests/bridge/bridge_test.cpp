// The bridge's job steps on real files, with a scripted stand-in for the
// current tool. An image is a small text file of fields; the stand-in reads
// and writes them the way chdman treats images (copy refuses an existing
// output, addmeta refuses a compressed image). Any one of its runs can be
// made to fail, so every step's failure is tried.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "Bridge.h"
#include "TempTree.h"
#include "WorkFiles.h"

namespace qm::bridge {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

using test::ReadAll;
using test::WriteAll;

Fields Load(const fs::path& p) {
  Fields f;
  std::istringstream in(ReadAll(p));
  for (std::string line; std::getline(in, line);) {
    if (auto eq = line.find('='); eq != std::string::npos) f[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return f;
}
void Store(const fs::path& p, const Fields& f) {
  std::string text = "MComprHD fake\n";
  for (const auto& [k, v] : f) text += k + "=" + v + "\n";
  WriteAll(p, text);
}

enum class Failure { None, Status, ErrorWithStatusZero, Interrupt, Stall };

class FakeTool : public ToolRunner {
 public:
  FakeTool(fs::path folder, Failure failure, int failAt) : folder_(std::move(folder)), failure_(failure), failAt_(failAt) {}

  Result Run(const std::vector<std::string>& args, const std::function<bool(std::string_view)>& out) override {
    const int call = calls_++;
    std::map<std::string, std::string> opt;
    for (std::size_t i = 1; i + 1 < args.size(); i += 2) opt[args[i]] = args[i + 1];
    const fs::path in = folder_ / opt["-i"];
    if (args[0] == "copy") {
      if (fs::exists(folder_ / opt["-o"])) return Fail(out, "Error: file already exists (" + opt["-o"] + ")");
      writes_.push_back(opt["-o"]);
      WriteAll(folder_ / opt["-o"], "MComprHD partial");
      out("Compressing, 0.0% complete... (ratio=100.0%)  \rCompressing, 50.0% complete... (ratio=60.0%)  \r");
    }
    if (args[0] == "addmeta") writes_.push_back(opt["-i"]);
    if (call == failAt_) return Injected(out);
    if (!fs::exists(in)) return Fail(out, "Error opening CHD file (" + opt["-i"] + "): No such file or directory");
    Fields f = Load(in);
    if (args[0] == "info") {
      std::string text = "File Version: 5\nLogical size: " + f["logical"] + " bytes\nHunk Size:    4,096 bytes\n" +
                         "Total Hunks:  " + f["hunks"] + "\nCompression:  " + f["codecs"] + "\n";
      if (f["codecs"] != "none") text += "Data SHA1:    " + f["sha1"] + "\n";
      if (!f["parent"].empty()) text += "Parent SHA1:  " + f["parent"] + "\n";
      if (!f["gddd"].empty()) text += "Metadata:     Tag='GDDD'  Index=0  Length=33 bytes\n              " + f["gddd"] + ".\n";
      out(text);
    } else if (args[0] == "copy") {
      f["codecs"] = opt.count("-c") ? opt["-c"] : "lzma,zlib";
      f.erase("parent");
      Store(folder_ / opt["-o"], f);
      out("Compression complete ... final ratio = 50.0%\n");
    } else if (args[0] == "addmeta") {
      if (f["codecs"] != "none") return Fail(out, "Error opening CHD file (" + opt["-i"] + "): File not writeable");
      f["gddd"] = opt["-vt"];
      Store(in, f);
    } else if (args[0] == "verify") {
      out("Verifying, 50.0% complete...  \rOverall SHA1 verification successful!\n");
    }
    return {0, {}};
  }
  int Interrupted() const override { return interrupted_; }

  int calls() const { return calls_; }
  const std::vector<std::string>& writes() const { return writes_; }

 private:
  static Result Fail(const std::function<bool(std::string_view)>& out, const std::string& line) {
    out(line + "\nFatal error occurred: 1\n");
    return {1, {}};
  }
  Result Injected(const std::function<bool(std::string_view)>& out) {
    switch (failure_) {
      case Failure::Status: out("Error: injected failure\nFatal error occurred: 2\n"); return {2, {}};
      case Failure::ErrorWithStatusZero: out("Something went wrong\nFatal error occurred: 0\n"); return {0, {}};
      case Failure::Interrupt: interrupted_ = 143; return {137, {}};
      case Failure::Stall: return {137, {}, 120};
      case Failure::None: break;
    }
    return {0, {}};
  }

  fs::path folder_;
  Failure failure_;
  int failAt_;
  int calls_ = 0;
  int interrupted_ = 0;
  std::vector<std::string> writes_;
};

struct Job {
  const char* name;
  Args args;
  Fields fields;  // of the image g.chd
  static constexpr const char* image = "g.chd";
};

const Fields kCompressed = {{"logical", "4194304"}, {"hunks", "1000"}, {"codecs", "zlib"}, {"sha1", "abc123"},
                            {"gddd", "CYLS:16,HEADS:16,SECS:32,BPS:512"}};
Fields With(Fields f, const std::string& key, const std::string& value) {
  f[key] = value;
  return f;
}

class BridgeJobTest : public testing::Test {
 protected:
  BridgeJobTest() { fs::current_path(folder_); }  // the program runs the tool in the job's folder
  ~BridgeJobTest() override { fs::current_path(previous_); }

  void Prepare(const Job& job) {
    Store(folder_ / job.image, job.fields);
    Store(folder_ / "p.diff", With(With(kCompressed, "sha1", "d1ff"), "parent", "abc123"));
  }
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder_)) files[e.path().filename().string()] = ReadAll(e.path());
    return files;
  }
  int Run(const Job& job, FakeTool& tool, std::string& output) {
    const auto parsed = ParseOldCommand(job.args);
    Bridge bridge({tool, [&](std::string_view s) { output.append(s); }, 4242, [](long) { return false; }, CopyToNewFile});
    return bridge.Run(std::get<OldCommand>(parsed));
  }

  test::TempTree tree_;
  fs::path folder_ = tree_.data();
  fs::path previous_ = fs::current_path();
};

std::string LastLine(const std::string& output) {
  std::string text = output;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.substr(text.find_last_of("\r\n") + 1);
}

const Job kJobs[] = {
    {"update", {"-update", "g.chd", "g.tmp"}, kCompressed},
    {"merge", {"-merge", "g.chd", "p.diff", "p.tmp"}, kCompressed},
    {"set chs compressed", {"-setchs", "g.chd", "32", "16", "16"}, kCompressed},
    {"set chs uncompressed", {"-setchs", "g.chd", "32", "16", "16"}, With(kCompressed, "codecs", "none")},
};

struct FailureRow {
  Job job;
  Failure failure;
  int status;
  const char* reason;
};
void PrintTo(const FailureRow& row, std::ostream* os) { *os << row.job.name << " / " << row.reason; }

class BridgeFailureTest : public BridgeJobTest, public testing::WithParamInterface<FailureRow> {};

// Fails each run of the tool in turn: whichever step fails, the folder is as
// it was, the status says so and the last line says why.
TEST_P(BridgeFailureTest, AnyFailingStepLeavesTheFolderAsItWas) {
  const FailureRow& row = GetParam();
  int step = 0;
  for (;; ++step) {
    Prepare(row.job);
    const auto before = Snapshot();
    FakeTool tool(folder_, row.failure, step);
    std::string output;
    const int status = Run(row.job, tool, output);
    if (step >= tool.calls()) {  // no step failed: the job is done, the image never written by the tool
      EXPECT_EQ(status, 0) << output;
      EXPECT_NE(output.find("hunk 1000/1000"), std::string::npos) << output;
      for (const std::string& written : tool.writes()) EXPECT_NE(written, row.job.image);
      break;
    }
    EXPECT_EQ(status, row.status) << "step " << step << ":\n" << output;
    EXPECT_EQ(Snapshot(), before) << "step " << step;
    EXPECT_NE(LastLine(output).find(row.reason), std::string::npos) << "step " << step << ": " << LastLine(output);
  }
  EXPECT_GE(step, 2);
}

std::vector<FailureRow> FailureRows() {
  std::vector<FailureRow> rows;
  for (const Job& job : kJobs) {
    rows.push_back({job, Failure::Status, 2, "Error: injected failure"});
    rows.push_back({job, Failure::ErrorWithStatusZero, kExitFailure, "Something went wrong"});
    rows.push_back({job, Failure::Interrupt, 143, "interrupted"});
    rows.push_back({job, Failure::Stall, kExitFailure, "chdman ha smesso di rispondere"});
  }
  return rows;
}
INSTANTIATE_TEST_SUITE_P(Steps, BridgeFailureTest, testing::ValuesIn(FailureRows()));

struct RefusalRow {
  const char* name;
  Fields fields;
  Args args;
  int status;
  const char* reason;
};
void PrintTo(const RefusalRow& row, std::ostream* os) { *os << row.name; }

class BridgeRefusalTest : public BridgeJobTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(BridgeRefusalTest, RefusesBeforeAnythingIsWritten) {
  const RefusalRow& row = GetParam();
  const Job job{row.name, row.args, row.fields};
  Prepare(job);
  if (row.args[0] == "-update") WriteAll(folder_ / "g.tmp", "the user's own file");
  const auto before = Snapshot();
  FakeTool tool(folder_, Failure::None, -1);
  std::string output;
  EXPECT_EQ(Run(job, tool, output), row.status);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_NE(LastLine(output).find(row.reason), std::string::npos) << LastLine(output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BridgeRefusalTest,
    testing::Values(
        // 4,194,304 bytes need 8,192 sectors of 512: 511 * 16 is one cylinder short.
        RefusalRow{"geometry one cylinder short", kCompressed, {"-setchs", "g.chd", "511", "1", "16"}, kExitFailure,
                   "less than the 4,194,304 bytes"},
        RefusalRow{"not a hard disk", With(kCompressed, "gddd", ""), {"-setchs", "g.chd", "512", "1", "16"}, kExitFailure,
                   "not a hard disk image"},
        RefusalRow{"geometry already set", kCompressed, {"-setchs", "g.chd", "16", "16", "32"}, 0, "already"},
        RefusalRow{"output already there", kCompressed, {"-update", "g.chd", "g.tmp"}, 1, "file already exists"}));

TEST_F(BridgeJobTest, WorkingFilesOfEndedBridgesAreRemovedOnTheNextRun) {
  Store(folder_ / "g.chd", kCompressed);
  const std::map<std::string, bool> files = {{"g.chd.setchs-100-1.tmp", false},  // owner ended
                                             {WorkFilePath("g.chd", 4242, 2).filename().string(), false},  // an earlier process with our id
                                             {"a.setchs-b.chd.setchs-12-2.tmp", false},
                                             {"g.chd.setchs-200-1.tmp", true},   // owner running
                                             {"notes.setchs-300-1.tmp", true},   // not a CHD
                                             // names a working file's owner cannot be read from
                                             {"g.chd.setchs--1.tmp", true}, {"g.chd.setchs-12-.tmp", true},
                                             {"g.chd.setchs-1x-1.tmp", true}, {".setchs-12-1.tmp", true},
                                             {"g.chd.setchs-12-1.tmp.old", true}};
  for (const auto& [name, kept] : files) WriteAll(folder_ / name, name.starts_with("notes") ? "text" : "MComprHD");
  const int removed = RemoveStaleWorkFiles(folder_, 4242, [](long pid) { return pid == 200; });
  EXPECT_EQ(removed, 3);
  for (const auto& [name, kept] : files) EXPECT_EQ(fs::exists(folder_ / name), kept) << name;
}

}  // namespace
}  // namespace qm::bridge
