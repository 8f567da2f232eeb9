// The fake tool run the way the program runs the real one: a batch script
// that changes into the job folder and calls it. Other tests rely on what it
// writes, prints and logs.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <utility>

#include "FakeToolLog.h"
#include "TestUtil.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::pair<std::string, std::string>>;

// A job folder holding `files`, and a script beside it that runs the fake on
// `args` there with the given environment.
struct Job {
  TempDir dir;
  std::string folder = dir / "job";
  std::string log = dir / "calls.log";

  Job(const Files& files, const std::vector<std::string>& args, const Files& env) {
    fs::create_directory(folder);
    for (const auto& [name, content] : files) WriteFile(folder + "/" + name, content);
    std::string script = "cd " + ShellQuote(folder) + " || exit 99\n";
    script += "export FAKE_CHDMAN_LOG=" + ShellQuote(log) + "\n";
    for (const auto& [name, value] : env) script += "export " + name + "=" + ShellQuote(value) + "\n";
    script += "exec " + ShellQuote(QM_FAKE_CHDMAN);
    for (const std::string& a : args) script += " " + ShellQuote(a);
    WriteFile(dir / "run.sh", script + "\n");
  }
  ChildProcess Start() const { return test::Start(dir / "run.sh"); }
  std::string File(const std::string& name) const { return ReadFileText(folder + "/" + name); }
};

struct RunCase {
  const char* name;
  Files files;
  std::vector<std::string> args;
  Files env;
  int status;
  Files expected;  // "<missing>": no such file afterwards
  std::string printed;  // a piece the output must hold
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class FakeRun : public ::testing::TestWithParam<RunCase> {
 protected:
  static void SetUpTestSuite() {
    // The crash rows must not leave core files behind.
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
  }
};

TEST_P(FakeRun, WritesPrintsAndLogs) {
  const RunCase& c = GetParam();
  Job job(c.files, c.args, c.env);
  ChildProcess child = job.Start();
  const Collected got = ReadToEnd(child);
  ASSERT_TRUE(got.broken);
  EXPECT_EQ(child.Wait(), c.status) << got.output;
  for (const auto& [name, content] : c.expected) EXPECT_EQ(job.File(name), content) << name;
  EXPECT_NE(got.output.find(c.printed), std::string::npos) << got.output;

  const auto calls = ReadFakeToolLog(job.log);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(fs::canonical(calls[0].cwd), fs::canonical(job.folder));
  ASSERT_EQ(calls[0].argv.size(), c.args.size() + 1);
  EXPECT_EQ(calls[0].argv[0], QM_FAKE_CHDMAN);
  EXPECT_EQ(std::vector<std::string>(calls[0].argv.begin() + 1, calls[0].argv.end()), c.args);
}

const char* const kDone = "Compression complete ... (ratio=40.0%)\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, FakeRun,
    ::testing::Values(
        RunCase{"Update", {{"game.chd", "IMG"}}, {"-update", "game.chd", "game.tmp"}, {}, 0,
                {{"game.tmp", "UPDATED:IMG"}, {"game.chd", "IMG"}}, kDone},
        RunCase{"Merge", {{"base.chd", "A"}, {"base.diff", "D"}}, {"-merge", "base.chd", "base.diff", "base.tmp"},
                {}, 0, {{"base.tmp", "MERGED:A+D"}}, "Compressing hunk 1000/1000... (ratio=40%)\r"},
        RunCase{"SetChs", {{"disk.chd", "X"}}, {"-setchs", "disk.chd", "100", "16", "63"}, {}, 0,
                {{"disk.chd.chs", "CHS 100 16 63\n"}, {"disk.chd", "X"}}, kDone},
        RunCase{"NamesWithBlanksAndQuotes", {{"my 'game'.chd", "I"}}, {"-update", "my 'game'.chd", "my 'game'.tmp"},
                {}, 0, {{"my 'game'.tmp", "UPDATED:I"}}, kDone},
        RunCase{"EmptyArgument", {{"g.chd", "I"}}, {"-update", "g.chd", ""}, {}, 1, {}, "Error: cannot write"},
        RunCase{"Hunks", {{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_HUNKS", "7"}}, 0,
                {{"g.tmp", "UPDATED:I"}}, "Compressing hunk 7/7... (ratio=40%)\r"},
        RunCase{"BadGeometry", {{"disk.chd", "X"}}, {"-setchs", "disk.chd", "1", "x", "3"}, {}, 1,
                {{"disk.chd.chs", "<missing>"}}, "Error: invalid geometry\n"},
        RunCase{"MissingGeometry", {{"disk.chd", "X"}}, {"-setchs", "disk.chd"}, {}, 1, {}, "Error: usage"},
        RunCase{"MissingImage", {}, {"-update", "game.chd", "game.tmp"}, {}, 1, {{"game.tmp", "<missing>"}},
                "Error: file not found\n"},
        RunCase{"MissingDiff", {{"base.chd", "A"}}, {"-merge", "base.chd", "base.diff", "base.tmp"}, {}, 1,
                {{"base.tmp", "<missing>"}}, "Error: file not found\n"},
        RunCase{"UnknownCommand", {{"g.chd", "I"}}, {"-createhd", "g.chd"}, {}, 1, {}, "Error: usage"},
        RunCase{"ModeFail", {{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_MODE", "fail"}}, 1,
                {{"g.tmp", "<missing>"}}, "Error: something failed\n"},
        RunCase{"MarkerFail", {{"gameFAIL.chd", "I"}}, {"-update", "gameFAIL.chd", "g.tmp"}, {}, 1,
                {{"g.tmp", "<missing>"}}, "Error: something failed\n"},
        RunCase{"ModePartial", {{"g.chd", "0123456789"}}, {"-update", "g.chd", "g.tmp"},
                {{"FAKE_CHDMAN_MODE", "partial"}}, 1, {{"g.tmp", "UPDATED:01234"}}, "Error: write failed\n"},
        RunCase{"MarkerCrash", {{"gCRASH.chd", "0123456789"}}, {"-update", "gCRASH.chd", "g.tmp"}, {}, 128 + 6,
                {{"g.tmp", "UPDATED:01234"}}, "Compressing hunk "},
        RunCase{"ModeGarbage", {{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_MODE", "garbage"}},
                0, {{"g.tmp", "UPDATED:I"}}, kDone},
        RunCase{"ModeSlow", {{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_MODE", "slow=5"}}, 0,
                {{"g.tmp", "UPDATED:I"}}, kDone}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Progress lines ---------------------------------------------------------

// N of every well-formed progress line, in order.
std::vector<long> ProgressCounts(const std::string& output, long total) {
  static const std::regex line("^Compressing hunk ([0-9]+)/([0-9]+)\\.\\.\\. \\(ratio=[0-9]+%\\)$");
  std::vector<long> counts;
  std::size_t start = 0;
  for (std::size_t end; (end = output.find('\r', start)) != std::string::npos; start = end + 1) {
    std::smatch m;
    const std::string piece = output.substr(start, end - start);
    if (!std::regex_match(piece, m, line) || std::stol(m[2]) != total) return {};
    counts.push_back(std::stol(m[1]));
  }
  return counts;
}

class Progress : public ::testing::TestWithParam<long> {};

TEST_P(Progress, CountsUpToTheTotalThenCompletes) {
  const long total = GetParam();
  Job job({{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_HUNKS", std::to_string(total)}});
  ChildProcess child = job.Start();
  const Collected got = ReadToEnd(child);
  EXPECT_EQ(child.Wait(), 0);
  const std::vector<long> counts = ProgressCounts(got.output, total);
  ASSERT_FALSE(counts.empty()) << got.output;
  EXPECT_EQ(counts.front(), 0);
  EXPECT_EQ(counts.back(), total);
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  EXPECT_EQ(got.output.substr(got.output.rfind('\r') + 1), kDone);
}

INSTANTIATE_TEST_SUITE_P(Totals, Progress, ::testing::Values(1000L, 7L, 1L, 123456L));

TEST(FakeModes, FloodPrintsAtLeastTheBytesAskedFor) {
  Job job({{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_MODE", "flood=100000"}});
  ChildProcess child = job.Start();
  const Collected got = ReadToEnd(child);
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_GE(got.output.size(), 100000u);
  EXPECT_FALSE(ProgressCounts(got.output, 1000).empty());
  EXPECT_EQ(job.File("g.tmp"), "UPDATED:I");
}

TEST(FakeModes, HangKeepsThePipeOpenWithAPartialOutput) {
  Job job({{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_MODE", "hang"}});
  ChildProcess child = job.Start();
  EXPECT_EQ(ReadUntil(child, "\r"), "Compressing hunk 0/1000... (ratio=100%)\r");
  char buffer[256];
  EXPECT_EQ(child.Read(buffer, sizeof buffer, 300).status, ReadStatus::Timeout);
  EXPECT_EQ(job.File("g.tmp"), "UPDATED:");
  child.Terminate();
  EXPECT_TRUE(ReadToEnd(child, 256, 5000).broken);
  EXPECT_EQ(child.Wait(), 128 + 9);
}

TEST(FakeModes, SilentWaitsBeforeAnyOutput) {
  Job job({{"g.chd", "I"}}, {"-update", "g.chd", "g.tmp"}, {{"FAKE_CHDMAN_MODE", "silent=1"}});
  const auto start = std::chrono::steady_clock::now();
  ChildProcess child = job.Start();
  char buffer[256];
  EXPECT_EQ(child.Read(buffer, sizeof buffer, 300).status, ReadStatus::Timeout);
  const Collected got = ReadToEnd(child);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_NE(got.output.find(kDone), std::string::npos);
}

TEST(FakeToolLog, KeepsRunsApartWhateverTheirArguments) {
  Job job({{"a\nb.chd", "I"}}, {"-update", "a\nb.chd", "x\x1f\n.tmp"}, {});
  for (int run = 0; run < 2; ++run) {
    ChildProcess child = job.Start();
    ReadToEnd(child);
    EXPECT_EQ(child.Wait(), 0);
  }
  const auto calls = ReadFakeToolLog(job.log);
  ASSERT_EQ(calls.size(), 2u);
  for (const auto& call : calls) {
    ASSERT_EQ(call.argv.size(), 4u);
    EXPECT_EQ(call.argv[2], "a\nb.chd");
    EXPECT_EQ(call.argv[3], "x\x1f\n.tmp");
  }
}

}  // namespace
}  // namespace qm::test
