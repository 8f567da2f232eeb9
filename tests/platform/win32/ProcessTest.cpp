// ChildProcess on Windows with real .bat files run by the command
// interpreter: output, exit codes, timeouts, termination, batch-file paths.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "platform/process.h"

namespace qm::test {
namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool Running(long pid) {
  for (const ProcessEntry& e : ListProcesses())
    if (e.pid == pid) return true;
  return false;
}

// A batch file that starts the sleeper and, when that ends, prints LATER.
std::string SleeperScript() { return "@ECHO OFF\r\n\"" + BuiltFile(QM_FAKE_SLEEPER) + "\"\r\nECHO LATER\r\n"; }

// --- Output arrives whole, in order, in pieces no larger than asked ---------

class ChunkedOutput : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkedOutput, ArrivesInOrderThenBreaks) {
  const std::size_t size = GetParam();
  TempDir dir;
  std::string expected;
  for (int i = 0; i < 300; ++i) expected += "line " + std::to_string(i) + "\r\n";
  ChildProcess child = StartScript(dir, "@ECHO OFF\r\nFOR /L %%i IN (0,1,299) DO ECHO line %%i\r\n");

  std::vector<char> buffer(size + 16, '#');
  std::string output;
  ReadResult r{ReadStatus::Timeout, 0};
  const auto start = Clock::now();
  while (MsSince(start) < 20000) {
    r = child.Read(buffer.data(), size, 100);
    if (r.status == ReadStatus::Broken) break;
    if (r.status == ReadStatus::Data) {
      ASSERT_GT(r.n, 0u);
      ASSERT_LE(r.n, size);
      output.append(buffer.data(), r.n);
    }
  }
  EXPECT_EQ(std::string(buffer.begin() + size, buffer.end()), std::string(16, '#'));
  ASSERT_EQ(r.status, ReadStatus::Broken);
  EXPECT_EQ(r.n, 0u);
  EXPECT_EQ(output, expected);
  EXPECT_EQ(child.Read(buffer.data(), size, 100).status, ReadStatus::Broken);
  EXPECT_EQ(child.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ChunkedOutput, ::testing::Values(1u, 7u, 256u));

// --- Scripts: what they print and how they end ------------------------------

struct ScriptCase {
  const char* name;
  const char* body;
  const char* output;
  int status;
};
void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

class Script : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(Script, OutputAndExitCode) {
  const ScriptCase& c = GetParam();
  TempDir dir;
  ChildProcess child = StartScript(dir, c.body);
  const Collected got = ReadToEnd(child);
  EXPECT_TRUE(got.broken);
  EXPECT_EQ(got.output, c.output);
  EXPECT_EQ(child.Wait(), c.status);
  EXPECT_EQ(child.Wait(), c.status) << "a second Wait gives the same code";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Script,
    ::testing::Values(
        ScriptCase{"StdoutAndStderrShareThePipe", "@ECHO OFF\r\nECHO out\r\nECHO err>&2\r\nECHO out2\r\n",
                   "out\r\nerr\r\nout2\r\n", 0},
        ScriptCase{"OnlyAComment", "@REM nothing\r\n", "", 0},
        ScriptCase{"ExitOne", "@ECHO OFF\r\nECHO bye\r\nEXIT 1\r\n", "bye\r\n", 1},
        ScriptCase{"ExitSeven", "@EXIT 7\r\n", "", 7},
        ScriptCase{"ErrorlevelOfTheLastCommand", "@ECHO OFF\r\nCD \"no such folder\" 2>NUL\r\nEXIT %ERRORLEVEL%\r\n",
                   "", 1},
        // Standard input is the null device: a question ends at once.
        ScriptCase{"InputIsEmpty", "@ECHO OFF\r\nSET /P ANSWER=\r\nECHO end [%ANSWER%]\r\nEXIT 0\r\n", "end []\r\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The batch file's path reaches the interpreter whole --------------------

struct PathCase {
  const char* name;
  const char* folder;  // created inside the temporary folder
  const char* file;
};
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class ScriptPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(ScriptPath, Runs) {
  const PathCase& c = GetParam();
  TempDir dir;
  const std::string folder = dir / c.folder;
  std::filesystem::create_directories(PathOf(folder));
  const std::string path = folder + "\\" + c.file;
  WriteFile(path, "@ECHO ran\r\n");
  // Where an unquoted path cut at its first blank would lead: the system
  // tries "...\my.exe" before "...\my tools\run me.bat".
  for (const char* trap : {"my.exe", "a.exe"}) {
    std::filesystem::copy_file(PathOf(BuiltFile(QM_FAKE_CHDMAN)), PathOf(dir / trap));
  }

  auto started = ChildProcess::Start(path);
  ASSERT_TRUE(std::holds_alternative<ChildProcess>(started)) << std::get<std::string>(started);
  ChildProcess& child = std::get<ChildProcess>(started);
  EXPECT_EQ(ReadToEnd(child).output, "ran\r\n");
  EXPECT_EQ(child.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScriptPath,
    ::testing::Values(PathCase{"Blanks", "my tools", "run me.bat"},
                      PathCase{"CmdCharacters", "a & b (1) ^x", "c;d,e=f.bat"},
                      PathCase{"Percent", "a 100% sure", "50% off.bat"},
                      PathCase{"AccentedInTheAnsiCodePage", "citt\xc3\xa0", "perch\xc3\xa9.bat"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Start, APathWithoutAnAnsiFormFailsCleanly) {
  TempDir dir;
  const std::string folder = dir / "\xe6\x97\xa5\xe6\x9c\xac";  // Japanese, outside code page 1252
  std::filesystem::create_directories(PathOf(folder));
  WriteFile(folder + "\\run.bat", "@ECHO ran\r\n");
  auto started = ChildProcess::Start(folder + "\\run.bat");
  ASSERT_TRUE(std::holds_alternative<std::string>(started));
  EXPECT_EQ(std::get<std::string>(started), "CreateProcess failed. Error: " + std::to_string(ERROR_NO_UNICODE_TRANSLATION));
}

// --- A silent child: Timeout after about the timeout, never Broken ----------

class SilentChild : public ::testing::TestWithParam<int> {};

TEST_P(SilentChild, TimesOut) {
  const int timeoutMs = GetParam();
  TempDir dir;
  ChildProcess child = StartScript(dir, SleeperScript());
  ASSERT_EQ(ReadUntil(child, "ready\r\n"), "ready\r\n");
  const auto tools = ChildrenOf(child.Id());
  ASSERT_EQ(tools.size(), 1u);
  char buffer[256];
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    const ReadResult r = child.Read(buffer, sizeof buffer, timeoutMs);
    const long elapsed = MsSince(start);
    EXPECT_EQ(r.status, ReadStatus::Timeout);
    EXPECT_EQ(r.n, 0u);
    EXPECT_GE(elapsed, timeoutMs - 20);
    EXPECT_LT(elapsed, timeoutMs + 500);
  }
  child.Terminate();
  EXPECT_TRUE(KillProcess(tools[0].pid, 0));
  EXPECT_TRUE(ReadToEnd(child).broken);
}

INSTANTIATE_TEST_SUITE_P(Timeouts, SilentChild, ::testing::Values(0, 50, 300));

// --- Terminate --------------------------------------------------------------

// The interpreter dies at once and runs no later line; the pipe breaks only
// when the tool it started, which holds the write end too, has ended as well.
TEST(Terminate, LaterLinesNeverRunAndThePipeWaitsForTheGrandchild) {
  TempDir dir;
  ChildProcess child = StartScript(dir, SleeperScript());
  ASSERT_EQ(ReadUntil(child, "ready\r\n"), "ready\r\n");
  const auto tools = ChildrenOf(child.Id());
  ASSERT_EQ(tools.size(), 1u);

  child.Terminate();
  EXPECT_EQ(child.Wait(), 128 + 9);
  char buffer[256];
  EXPECT_EQ(child.Read(buffer, sizeof buffer, 300).status, ReadStatus::Timeout);

  EXPECT_TRUE(KillProcess(tools[0].pid, 0));
  const Collected rest = ReadToEnd(child, 256, 5000);
  EXPECT_TRUE(rest.broken);
  EXPECT_EQ(rest.output, "");
}

TEST(Terminate, DestroyingTheObjectEndsARunningInterpreter) {
  TempDir dir;
  long pid = -1;
  {
    ChildProcess child = StartScript(dir, "@ECHO OFF\r\nECHO started\r\n:again\r\nGOTO again\r\n");
    ASSERT_EQ(ReadUntil(child, "started\r\n"), "started\r\n");
    pid = child.Id();
    EXPECT_TRUE(Running(pid));
  }
  EXPECT_FALSE(Running(pid));
}

TEST(Move, AssignmentEndsTheChildItReplaces) {
  TempDir dir;
  TempDir other;
  ChildProcess first = StartScript(dir, "@ECHO OFF\r\nECHO first\r\n:again\r\nGOTO again\r\n");
  ASSERT_EQ(ReadUntil(first, "first\r\n"), "first\r\n");
  ChildProcess second = StartScript(other, "@ECHO second\r\n");
  const long firstPid = first.Id();
  const long secondPid = second.Id();

  first = std::move(second);
  EXPECT_EQ(first.Id(), secondPid);
  EXPECT_EQ(second.Id(), -1);
  char buffer[16];
  EXPECT_EQ(second.Read(buffer, sizeof buffer, 0).status, ReadStatus::Broken);
  EXPECT_FALSE(Running(firstPid));
  EXPECT_EQ(ReadToEnd(first).output, "second\r\n");
  EXPECT_EQ(first.Wait(), 0);
}

}  // namespace
}  // namespace qm::test
