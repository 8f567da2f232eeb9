// The batch runner end to end without a window: real /bin/sh, the real batch
// file, the fake tool installed as chdman, a recording view.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <thread>

#include "FakeToolLog.h"
#include "TempTree.h"
#include "jobs/AddJob.h"
#include "platform/processes.h"
#include "runner/BatchRunner.h"
#include "runner/KillApp.h"

namespace qm {
namespace {

using test::ReadAll;
using test::WriteAll;
namespace fs = std::filesystem;

struct Message {
  std::string text;
  MessageIcon icon;
};

class RecordingView : public BatchView {
 public:
  void SetAddButtonsEnabled(bool enabled) override { addEnabled = enabled; }
  void SetBatchButtonsEnabled(bool enabled) override { batchEnabled = enabled; }
  void SetCurrentBar(int max, int value) override {
    EXPECT_GE(value, 0);
    EXPECT_LE(value, max);
    current = {max, value};
  }
  void SetTotalBar(int max, int value) override {
    EXPECT_GE(value, 0);
    EXPECT_LE(value, max);
    total = {max, value};
    if (max > 100) lastTotal = total;
  }
  void SetOperation(std::string_view text) override { operation = text; operations.emplace_back(text); }
  void ShowMessage(std::string_view text, MessageIcon icon) override { messages.push_back({std::string(text), icon}); }
  void ServiceEvents() override {
    ++services;
    if (onService) onService();
  }

  bool addEnabled = true, batchEnabled = true;
  std::pair<int, int> current{100, 0}, total{100, 0}, lastTotal{0, 0};
  std::string operation;
  std::vector<std::string> operations;
  std::vector<Message> messages;
  int services = 0;
  std::function<void()> onService;
};

class BatchRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.InstallTool(QM_FAKE_CHDMAN);
    setenv("FAKE_CHDMAN_LOG", tree.log().c_str(), 1);
    unsetenv("FAKE_CHDMAN_MODE");
    table.SetUp();
  }
  void TearDown() override {
    unsetenv("FAKE_CHDMAN_LOG");
    unsetenv("FAKE_CHDMAN_MODE");
  }

  RunnerSettings Settings() const {
    return {tree.program().string() + "/", "chdman", "automate.sh", Interpreter::PosixShell,
            tree.privateFolder().string() + "/"};
  }

  fs::path Image(const std::string& name, const std::string& content = "original") {
    WriteAll(tree.data() / name, content + ":" + name);
    return tree.data() / name;
  }

  void Queue(JobKind kind, const fs::path& chd, const fs::path& diff = {}, ChsGeometry geometry = {}) {
    const FileChoice c{chd.filename().string(), chd.string()};
    const FileChoice d{diff.filename().string(), diff.string()};
    table.Append(ComposeJob(kind, c, diff.empty() ? nullptr : &d, geometry,
                            {PathStyle::Posix, Interpreter::PosixShell}));
  }

  std::vector<test::FakeToolCall> Calls() const { return test::ReadFakeToolLog(tree.log().string()); }

  static std::vector<long> OurTools() { return MatchingDescendants(ListProcesses(), CurrentProcessId(), "chdman"); }
  static std::vector<long> OurShells() { return MatchingDescendants(ListProcesses(), CurrentProcessId(), "sh"); }

  void ExpectIdle(const BatchRunner& runner) {
    EXPECT_FALSE(runner.Running());
    EXPECT_FALSE(runner.CancelRequested());
    EXPECT_TRUE(view.addEnabled);
    EXPECT_TRUE(view.batchEnabled);
    EXPECT_EQ(view.operation, "");
    EXPECT_EQ(view.current.second, 0);
    EXPECT_EQ(view.total.second, 0);
  }

  test::TempTree tree;
  JobTable table;
  RecordingView view;
};

TEST_F(BatchRunnerTest, UpdateMergeAndSetChsRunInOrderInTheirFolders) {
  const fs::path game = Image("game.chd");
  const fs::path disk = Image("disk.chd");
  fs::create_directories(tree.data() / "patches");
  const fs::path diff = tree.data() / "patches" / "patch.diff";
  WriteAll(diff, "delta");
  Queue(JobKind::Update, game);
  Queue(JobKind::Merge, disk, diff);
  fs::copy_file(disk, tree.data() / "patches" / "disk.chd");  // the merge runs in the diff's folder
  Queue(JobKind::SetChs, disk, {}, ConfirmChs("1024", "16", "63"));

  BatchRunner runner(table, view, Settings());
  runner.Start();

  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].argv, (std::vector<std::string>{calls[0].argv[0], "-update", "game.chd", "game.tmp"}));
  EXPECT_EQ(fs::path(calls[0].cwd), tree.data());
  EXPECT_EQ(calls[1].argv, (std::vector<std::string>{calls[1].argv[0], "-merge", "disk.chd", "patch.diff", "patch.tmp"}));
  EXPECT_EQ(fs::path(calls[1].cwd), tree.data() / "patches");
  EXPECT_EQ(calls[2].argv, (std::vector<std::string>{calls[2].argv[0], "-setchs", "disk.chd", "1024", "16", "63"}));

  EXPECT_EQ(ReadAll(tree.data() / "game.old"), "original:game.chd");
  EXPECT_EQ(ReadAll(tree.data() / "game.chd"), "UPDATED:original:game.chd");
  EXPECT_FALSE(fs::exists(tree.data() / "game.tmp"));
  EXPECT_EQ(ReadAll(tree.data() / "patches" / "patch.tmp"), "MERGED:original:disk.chd+delta");
  EXPECT_TRUE(fs::exists(tree.data() / "disk.chd.chs"));

  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kSuccessMessage);
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(view.operations.front(), "Update di 'game.chd'");
  EXPECT_EQ(view.lastTotal, (std::pair<int, int>{300, 300}));  // 1000 hunks a job
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(table.grid().Mark(row), RowMark::Succeeded);
  ExpectIdle(runner);
}

TEST_F(BatchRunnerTest, CancelDuringSecondJobStopsEverythingAndKeepsTheImage) {
  Queue(JobKind::Update, Image("first.chd"));
  const fs::path hang = Image("HANG.chd");
  Queue(JobKind::Update, hang);
  Queue(JobKind::Update, Image("third.chd"));

  BatchRunner runner(table, view, Settings());
  view.onService = [&] {
    if (runner.CurrentJob() == 2 && Calls().size() == 2 && fs::exists(tree.data() / "HANG.tmp")) runner.Cancel();
  };
  runner.Start();

  EXPECT_EQ(Calls().size(), 2u);  // the third job never started
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kCancelMessage);
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Stop);
  EXPECT_EQ(ReadAll(hang), "original:HANG.chd");
  EXPECT_FALSE(fs::exists(tree.data() / "HANG.old"));
  EXPECT_FALSE(fs::exists(tree.data() / "HANG.tmp"));
  EXPECT_EQ(ReadAll(tree.data() / "third.chd"), "original:third.chd");
  EXPECT_TRUE(OurTools().empty());
  EXPECT_TRUE(OurShells().empty());
  EXPECT_EQ(table.grid().Mark(1), RowMark::Succeeded);
  EXPECT_EQ(table.grid().Mark(2), RowMark::Cancelled);
  EXPECT_EQ(table.grid().Mark(3), RowMark::None);
  ExpectIdle(runner);
}

TEST_F(BatchRunnerTest, CancelWhileIdleTakesEffectAtTheNextStartOnly) {
  Queue(JobKind::Update, Image("game.chd"));
  BatchRunner runner(table, view, Settings());
  runner.Cancel();
  runner.Start();
  EXPECT_TRUE(Calls().empty());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kCancelMessage);
  ExpectIdle(runner);

  runner.Start();
  EXPECT_EQ(Calls().size(), 1u);
  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
}

TEST_F(BatchRunnerTest, FailingAndCrashingToolsNeverCostTheImage) {
  for (const char* name : {"FAIL.chd", "CRASH.chd", "PARTIAL.chd"}) Queue(JobKind::Update, Image(name));
  Queue(JobKind::Update, Image("fine.chd"));
  BatchRunner runner(table, view, Settings());
  runner.Start();

  EXPECT_EQ(Calls().size(), 4u);  // the other jobs still ran
  for (const char* base : {"FAIL", "CRASH", "PARTIAL"}) {
    SCOPED_TRACE(base);
    EXPECT_EQ(ReadAll(tree.data() / (std::string(base) + ".chd")), "original:" + std::string(base) + ".chd");
    EXPECT_FALSE(fs::exists(tree.data() / (std::string(base) + ".old")));
    EXPECT_FALSE(fs::exists(tree.data() / (std::string(base) + ".tmp")));
  }
  EXPECT_EQ(ReadAll(tree.data() / "fine.chd"), "UPDATED:original:fine.chd");
  ASSERT_EQ(view.messages.size(), 1u);
  const Message& m = view.messages[0];
  EXPECT_EQ(m.icon, MessageIcon::Warning);
  EXPECT_NE(m.text.find("FAIL.chd: Error: something failed"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find("CRASH.chd"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find("PARTIAL.chd: Error: write failed"), std::string::npos) << m.text;
  EXPECT_EQ(m.text.find("fine.chd"), std::string::npos) << m.text;
  EXPECT_EQ(table.grid().Mark(1), RowMark::Failed);
  EXPECT_EQ(table.grid().Mark(4), RowMark::Succeeded);
  ExpectIdle(runner);
}

TEST_F(BatchRunnerTest, AMissingToolIsNamedAndNothingRuns) {
  fs::remove(tree.program() / "chdman");
  Queue(JobKind::Update, Image("game.chd"));
  BatchRunner runner(table, view, Settings());
  runner.Start();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].text.find((tree.program() / "chdman").string()), std::string::npos);
  EXPECT_FALSE(fs::exists(tree.program() / "automate.sh"));
  EXPECT_TRUE(view.operations.empty());
  ExpectIdle(runner);
}

TEST_F(BatchRunnerTest, ASecondUpdateOfTheSameImageFailsBeforeAnyRename) {
  const fs::path game = Image("game.chd");
  Queue(JobKind::Update, game);
  Queue(JobKind::Update, game);
  BatchRunner runner(table, view, Settings());
  runner.Start();

  EXPECT_EQ(Calls().size(), 1u);
  EXPECT_EQ(ReadAll(tree.data() / "game.old"), "original:game.chd");
  EXPECT_EQ(ReadAll(game), "UPDATED:original:game.chd");
  EXPECT_FALSE(fs::exists(tree.data() / "game.tmp"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].text.find("game.chd: "), std::string::npos);
  EXPECT_NE(view.messages[0].text.find("game.old"), std::string::npos);
  EXPECT_EQ(table.grid().Mark(1), RowMark::Succeeded);
  EXPECT_EQ(table.grid().Mark(2), RowMark::Failed);
}

TEST_F(BatchRunnerTest, ASilentToolIsCancelledWithoutWaitingForOutput) {
  setenv("FAKE_CHDMAN_MODE", "silent=30", 1);
  Queue(JobKind::Update, Image("quiet.chd"));
  BatchRunner runner(table, view, Settings());
  const auto start = std::chrono::steady_clock::now();
  view.onService = [&] {
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500)) runner.Cancel();
  };
  runner.Start();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(5));
  EXPECT_GE(view.services, 5);  // the window was serviced while the tool said nothing
  EXPECT_EQ(view.messages.back().text, kCancelMessage);
  EXPECT_TRUE(OurTools().empty());
  EXPECT_EQ(ReadAll(tree.data() / "quiet.chd"), "original:quiet.chd");
}

TEST_F(BatchRunnerTest, AnotherUsersChdmanSurvivesACancel) {
  // Started through a shell that exits at once, so it is not our descendant.
  const fs::path pidFile = tree.root() / "other.pid";
  fs::create_directories(tree.program() / "other");
  tree.InstallTool(QM_FAKE_SLEEPER, "other/chdman");
  const std::string command = "'" + (tree.program() / "other" / "chdman").string() + "' 60 >/dev/null 2>&1 & echo $! > '" +
                              pidFile.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const pid_t other = static_cast<pid_t>(std::stol(ReadAll(pidFile)));

  Queue(JobKind::Update, Image("HANG.chd"));
  BatchRunner runner(table, view, Settings());
  view.onService = [&] {
    if (Calls().size() == 1) runner.Cancel();
  };
  runner.Start();
  EXPECT_EQ(view.messages.back().text, kCancelMessage);
  EXPECT_EQ(kill(other, 0), 0) << "a chdman this program did not start was terminated";
  kill(other, SIGKILL);
}

TEST_F(BatchRunnerTest, FourHundredJobsRunWithAFullBatchBar) {
  const fs::path disk = Image("disk.chd");
  for (int i = 0; i < 400; ++i) Queue(JobKind::SetChs, disk, {}, ConfirmChs("1", "2", "3"));
  setenv("FAKE_CHDMAN_HUNKS", "100", 1);
  BatchRunner runner(table, view, Settings());
  runner.Start();
  unsetenv("FAKE_CHDMAN_HUNKS");
  EXPECT_EQ(Calls().size(), 400u);
  EXPECT_EQ(view.lastTotal, (std::pair<int, int>{40000, 40000}));
  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
  EXPECT_EQ(table.grid().Mark(400), RowMark::Succeeded);
}

TEST_F(BatchRunnerTest, TheBatchFileNeverFollowsALinkAndFallsBackToThePrivateFolder) {
  const fs::path victim = tree.root() / "victim";
  WriteAll(victim, "keep me");
  fs::create_symlink(victim, tree.program() / "automate.sh");
  Queue(JobKind::Update, Image("game.chd"));
  BatchRunner runner(table, view, Settings());
  runner.Start();
  EXPECT_EQ(ReadAll(victim), "keep me");
  EXPECT_TRUE(fs::exists(tree.privateFolder() / "automate.sh"));
  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
}

TEST_F(BatchRunnerTest, NoWritableFolderEndsTheBatchWithAnError) {
  fs::create_symlink(tree.root() / "nowhere", tree.program() / "automate.sh");
  Queue(JobKind::Update, Image("game.chd"));
  Queue(JobKind::Update, Image("other.chd"));
  RunnerSettings settings = Settings();
  settings.fallbackFolder = (tree.root() / "missing").string() + "/";
  BatchRunner runner(table, view, settings);
  runner.Start();
  EXPECT_TRUE(Calls().empty());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Stop);
  EXPECT_NE(view.messages[0].text.find("automate.sh"), std::string::npos) << view.messages[0].text;
  ExpectIdle(runner);
}

struct HostileName {
  const char* label;
  const char* name;
};

class HostileNames : public BatchRunnerTest, public ::testing::WithParamInterface<HostileName> {};

TEST_P(HostileNames, ReachTheToolExactlyAndRunNothing) {
  const std::string name = GetParam().name;
  const fs::path folder = tree.data() / ("dir " + name.substr(0, name.size() - 4));
  fs::create_directories(folder);
  WriteAll(folder / name, "original");
  Queue(JobKind::Update, folder / name);
  BatchRunner runner(table, view, Settings());
  runner.Start();

  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  const std::string base = name.substr(0, name.size() - 4);
  EXPECT_EQ(calls[0].argv, (std::vector<std::string>{calls[0].argv[0], "-update", name, base + ".tmp"}));
  EXPECT_EQ(fs::path(calls[0].cwd), folder);
  EXPECT_EQ(ReadAll(folder / name), "UPDATED:original");
  EXPECT_EQ(ReadAll(folder / (base + ".old")), "original");
  for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
    EXPECT_NE(entry.path().filename(), "PWNED") << "an injected command ran: " << entry.path();
  }
  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNames,
    ::testing::Values(HostileName{"Blanks", "my disk  image.chd"}, HostileName{"SingleQuote", "it's.chd"},
                      HostileName{"DoubleQuote", "say \"hi\".chd"}, HostileName{"Substitution", "$(touch PWNED).chd"},
                      HostileName{"Backquotes", "`touch PWNED`.chd"}, HostileName{"Semicolon", "a;touch PWNED;.chd"},
                      HostileName{"Ampersand", "a&touch PWNED&.chd"}, HostileName{"Percent", "100%x%.chd"},
                      HostileName{"Accented", "città perché.chd"}, HostileName{"Dash", "-update.chd"},
                      HostileName{"Glob", "*?[a].chd"}, HostileName{"Tilde", "~root.chd"}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace qm
