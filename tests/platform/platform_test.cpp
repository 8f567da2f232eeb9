// The platform layer held to one contract on both systems: each script a
// child runs is written in the system's own dialect (a /bin/sh script or a
// .bat file for cmd.exe), and the same checks run on its result.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "FakeToolLog.h"
#include "TempTree.h"
#include "TestSystem.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/processes.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
const bool kWindows = BatchFileName() == "automate.bat";

// Reads to the end of the output in reads of at most 7 bytes, so that lines arrive cut.
std::string ReadToEnd(ChildProcess& child) {
  std::string output;
  char buffer[8] = {};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const ReadResult r = child.Read(buffer, 7, 50);
    if (r.status == ReadStatus::Broken) return output;
    EXPECT_TRUE(r.n <= 7 && buffer[7] == 0) << "read past the size asked";
    output.append(buffer, r.n);
  }
  ADD_FAILURE() << "output never ended";
  return output;
}

// Each test's own folder, and the script its child runs.
class Platform : public testing::Test {
 protected:
  // Runs the script `sh` or `bat`, whichever is the system's.
  ChildProcess StartScript(const std::string& sh, const std::string& bat) {
    Result<ScriptFile> made = ScriptFile::Create(Utf8(tree.root()), "run", kWindows ? ".bat" : ".sh", kWindows ? bat : sh);
    EXPECT_TRUE(made) << made.error().call;
    script.emplace(std::move(*made));
    Result<ChildProcess> child = ChildProcess::StartScript(*script);
    EXPECT_TRUE(child) << FailedCall(child.error());
    return std::move(*child);
  }

  TempTree tree;
  std::optional<ScriptFile> script;
};

// The tool must never wait for an answer: its input is the null device.
// Both streams arrive in one output, in order, and the status is the child's.
TEST_F(Platform, AScriptHasEmptyInputBothStreamsInOrderAndItsStatus) {
  ChildProcess child = StartScript(
      "read x || echo none\necho err >&2\ni=0; while [ $i -lt 60 ]; do echo line $i; i=$((i+1)); done\nexit 7\n",
      "@SET /P x=|| (ECHO none)\r\n@ECHO err>&2\r\n@FOR /L %%i IN (0,1,59) DO @ECHO line %%i\r\n@EXIT 7\r\n");
  std::string output = ReadToEnd(child), expected = "none\nerr\n";
  for (int i = 0; i < 60; ++i) expected += "line " + std::to_string(i) + "\n";
  std::erase(output, '\r');
  EXPECT_EQ(output, expected);
  EXPECT_EQ(child.Wait(), 7);
}

// What a job starts is ended with it and the lines after the point reached
// never run. (A namesake the job did not start living on is
// AnotherUsersToolSurvivesACancel's; the runner's cancels cannot see this,
// as they end the tool by name first.)
TEST_F(Platform, EndUnitEndsTheInterpreterAndEverythingItStarted) {
  const fs::path sleeper = tree.program() / ("chdman" + std::string(kWindows ? ".exe" : ""));
  TempTree::CopyProgram(QM_FAKE_SLEEPER, sleeper);
  const std::string marker = Utf8(tree.root() / "after");
  ChildProcess child = StartScript("'" + Utf8(sleeper) + "'\necho > '" + marker + "'\n",
                                   "@\"" + Utf8(sleeper) + "\"\r\n@ECHO > \"" + marker + "\"\r\n");
  char buffer[64];
  ASSERT_EQ(child.Read(buffer, sizeof buffer, 10000).status, ReadStatus::Data);  // "ready": the tool runs
  ASSERT_EQ(child.UnitMembers().size(), 2u);
  EXPECT_TRUE(child.EndUnit());
  EXPECT_TRUE(child.UnitMembers().empty());
  EXPECT_EQ(child.Read(buffer, sizeof buffer, 1000).status, ReadStatus::Broken);
  EXPECT_EQ(child.Wait(), 137);
  EXPECT_FALSE(fs::exists(PathOf(marker)));
}

// Each argument arrives exactly as given, whatever the system's command
// line does with blanks, quotes and backslashes.
TEST_F(Platform, StartedArgumentsArriveExactly) {
  const std::vector<std::string> args = {"", "a b", "\"quoted\"", "back slash\\", "\\\"", "-rf", "$(x) & %PATH% !x!",
                                         "citt\xc3\xa0", "tab\there", "x\\\\\"y"};
  SetEnv("FAKE_CHDMAN_LOG", Utf8(tree.log()));
  Result<ChildProcess> child = ChildProcess::Start(BuiltFile(QM_FAKE_CHDMAN), args, {false, false, true});
  ASSERT_TRUE(child) << FailedCall(child.error());
  ReadToEnd(*child);
  UnsetEnv("FAKE_CHDMAN_LOG");
  const auto calls = ReadFakeToolLog(Utf8(tree.log()));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(std::vector<std::string>(calls[0].argv.begin() + 1, calls[0].argv.end()), args);
}

TEST(Start, AProgramThatIsNotThereFailsWithTheSystemsCode) {
  Result<ChildProcess> child = ChildProcess::Start(kWindows ? "C:\\no\\such.exe" : "/no/such/program", {});
  ASSERT_FALSE(child);
  EXPECT_NE(child.error().code, 0);
  EXPECT_FALSE(SystemMessage(child.error().code).empty());
}

TEST_F(Platform, ScriptFilesHaveFreshNamesForOurEyesOnly) {
  const ScriptFile a = std::move(*ScriptFile::Create(Utf8(tree.root()), "automate", ".x", "one"));
  const ScriptFile b = std::move(*ScriptFile::Create(Utf8(tree.root()), "automate", ".x", "two"));
  EXPECT_NE(a.path(), b.path());
  EXPECT_EQ(ReadAll(PathOf(a.path())), "one");
  if (kWindows)
    EXPECT_FALSE(std::ofstream(PathOf(a.path()), std::ios::app));  // held against writers: cmd.exe reads it as it goes
  else
    EXPECT_EQ(fs::status(PathOf(a.path())).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(Platform, RenameNeverReplacesAndReplaceAtomicallyReplacesALinkNotItsTarget) {
  const fs::path a = tree.root() / "a", b = tree.root() / "b";
  WriteAll(a, "A");
  WriteAll(b, "B");
  EXPECT_FALSE(RenameFile(Utf8(a), Utf8(b)));
  EXPECT_EQ(ReadAll(b), "B");
  EXPECT_TRUE(RenameFile(Utf8(a), Utf8(tree.root() / "c")));
  EXPECT_FALSE(FileExists(Utf8(a)));
  EXPECT_TRUE(ReplaceAtomically(Utf8(b), "new"));
  EXPECT_EQ(ReadAll(b), "new");
#if !defined(_WIN32)
  const fs::path link = tree.root() / "link";
  fs::create_symlink(tree.root() / "c", link);
  fs::create_symlink(tree.root() / "nowhere", tree.root() / "dangling");
  EXPECT_TRUE(FileExists(Utf8(tree.root() / "dangling")));
  EXPECT_TRUE(ReplaceAtomically(Utf8(link), "through?"));
  EXPECT_EQ(ReadAll(tree.root() / "c"), "A");
  EXPECT_FALSE(fs::is_symlink(link));
#endif
  EXPECT_EQ(std::distance(fs::directory_iterator(tree.root()), fs::directory_iterator()), kWindows ? 5 : 7);
}

// Where the scripts go when the program folder is not writable.
TEST(Files, ThePrivateFolderIsOursAlone) {
  const Result<std::string> folder = PrivateFolder();
  ASSERT_TRUE(folder);
  EXPECT_TRUE(fs::is_directory(fs::symlink_status(PathOf(*folder))));
  EXPECT_TRUE(kWindows || (fs::status(PathOf(*folder)).permissions() & fs::perms::all) == fs::perms::owner_all);
}

// 0 and -1 would signal a whole group or every process.
TEST(Processes, TheIdsOfNoOneAreRefused) {
  for (long pid : {0L, -1L}) EXPECT_FALSE(KillProcess(pid, 0)) << pid;
}

}  // namespace
}  // namespace qm::test
