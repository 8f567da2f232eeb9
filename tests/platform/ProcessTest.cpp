// ChildProcess with real /bin/sh scripts: output, exit status, timeouts,
// termination and reaping.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "platform/process.h"

namespace qm::test {
namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// --- Output arrives whole, in order, in pieces no larger than asked ---------

class ChunkedOutput : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkedOutput, ArrivesInOrderThenBreaks) {
  const std::size_t size = GetParam();
  TempDir dir;
  std::string expected;
  for (int i = 0; i < 300; ++i) expected += "line " + std::to_string(i) + "\n";
  ChildProcess child = StartScript(dir, "i=0\nwhile [ $i -lt 300 ]; do echo \"line $i\"; i=$((i+1)); done\n");

  // A guard after the buffer shows a read never writes past `size`.
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
  // The end stays the end.
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

TEST_P(Script, OutputAndExitStatus) {
  const ScriptCase& c = GetParam();
  TempDir dir;
  ChildProcess child = StartScript(dir, c.body);
  const Collected got = ReadToEnd(child);
  EXPECT_TRUE(got.broken);
  EXPECT_EQ(got.output, c.output);
  EXPECT_EQ(child.Wait(), c.status);
  EXPECT_EQ(child.Wait(), c.status) << "a second Wait gives the same status";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Script,
    ::testing::Values(
        ScriptCase{"StdoutAndStderrShareThePipe", "echo out\necho err >&2\necho out2\n", "out\nerr\nout2\n", 0},
        ScriptCase{"Empty", "", "", 0},
        ScriptCase{"ExitOne", "echo bye\nexit 1\n", "bye\n", 1},
        ScriptCase{"ExitSeven", "exit 7\n", "", 7},
        ScriptCase{"KilledBySignal9", "kill -9 $$\necho never\n", "", 128 + 9},
        ScriptCase{"KilledBySignal15", "kill -15 $$\necho never\n", "", 128 + 15},
        ScriptCase{"InputIsEmpty", "cat\necho end\n", "end\n", 0},
        // Field 6 of /proc/PID/stat is the session; comm is "sh", without blanks.
        ScriptCase{"OwnSession", "set -- $(cat /proc/$$/stat)\n[ \"$6\" -eq $$ ] && echo own-session\n",
                   "own-session\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The script's path reaches sh as one argument, never parsed -------------

struct PathCase {
  const char* name;
  const char* folder;  // created inside the temporary folder
  const char* file;
  bool relative;  // started by a path relative to the working folder
};
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class ScriptPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(ScriptPath, Runs) {
  const PathCase& c = GetParam();
  TempDir dir;
  const std::string folder = dir / c.folder;
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/" + c.file, "echo \"ran $0\"\n");

  std::string path = folder + "/" + c.file;
  std::filesystem::path previous;
  if (c.relative) {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    path = c.file;
  }
  auto started = ChildProcess::Start(path);
  if (c.relative) std::filesystem::current_path(previous);
  ASSERT_TRUE(std::holds_alternative<ChildProcess>(started));
  ChildProcess& child = std::get<ChildProcess>(started);

  const Collected got = ReadToEnd(child);
  EXPECT_EQ(got.output.substr(0, 4), "ran ");
  EXPECT_NE(got.output.find(c.file), std::string::npos) << got.output;
  EXPECT_EQ(child.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScriptPath,
    ::testing::Values(PathCase{"Blanks", "with blank", "run me.sh", false},
                      PathCase{"Quotes", "it's \"here\"", "a'b\"c.sh", false},
                      PathCase{"ShellSyntax", "$(echo x) ; &", "`x` | y > z.sh", false},
                      PathCase{"NewlineInName", "line\nbreak", "x\ny.sh", false},
                      PathCase{"RelativeLeadingDash", "sub", "-x run.sh", true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- A silent child: Timeout after about the timeout, never Broken ----------

class SilentChild : public ::testing::TestWithParam<int> {};

TEST_P(SilentChild, TimesOut) {
  const int timeoutMs = GetParam();
  TempDir dir;
  ChildProcess child = StartScript(dir, "exec sleep 30\n");
  char buffer[256];
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    const ReadResult r = child.Read(buffer, sizeof buffer, timeoutMs);
    const long elapsed = MsSince(start);
    EXPECT_EQ(r.status, ReadStatus::Timeout);
    EXPECT_EQ(r.n, 0u);
    EXPECT_GE(elapsed, timeoutMs - 5);
    EXPECT_LT(elapsed, timeoutMs + 500);
  }
  child.Terminate();
  EXPECT_TRUE(ReadToEnd(child).broken);
  EXPECT_EQ(child.Wait(), 128 + 9);
}

INSTANTIATE_TEST_SUITE_P(Timeouts, SilentChild, ::testing::Values(0, 50, 300));

// --- Terminate --------------------------------------------------------------

TEST(Terminate, EndsABusyInterpreter) {
  TempDir dir;
  ChildProcess child = StartScript(dir, "echo started\nwhile :; do :; done\necho never\n");
  EXPECT_EQ(ReadUntil(child, "started\n"), "started\n");
  const auto start = Clock::now();
  child.Terminate();
  const Collected rest = ReadToEnd(child, 256, 5000);
  EXPECT_TRUE(rest.broken);
  EXPECT_LT(MsSince(start), 2000);
  EXPECT_EQ(rest.output, "");
  EXPECT_EQ(child.Wait(), 128 + 9);
}

// The interpreter dies at once and runs no later line; the pipe breaks only
// when the tool it started, which holds the write end too, has ended as well.
TEST(Terminate, LaterLinesNeverRunAndThePipeWaitsForTheGrandchild) {
  TempDir dir;
  ChildProcess child = StartScript(dir, ShellQuote(QM_FAKE_SLEEPER) + "\necho LATER\n");
  ASSERT_EQ(ReadUntil(child, "ready\n"), "ready\n");
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

// --- No zombies -------------------------------------------------------------

struct ReapCase {
  const char* name;
  const char* body;
  bool waitForEnd;  // let the script finish before the object goes
};
void PrintTo(const ReapCase& c, std::ostream* os) { *os << c.name; }

class Reap : public ::testing::TestWithParam<ReapCase> {};

TEST_P(Reap, DestructorLeavesNoZombie) {
  const ReapCase& c = GetParam();
  TempDir dir;
  long pid = -1;
  const auto start = Clock::now();
  {
    ChildProcess child = StartScript(dir, c.body);
    pid = child.Id();
    ASSERT_GT(pid, 0);
    if (c.waitForEnd) {
      EXPECT_TRUE(ReadToEnd(child).broken);
    }
  }
  EXPECT_LT(MsSince(start), 5000);
  // Reaped: the pid is no longer a child of ours.
  errno = 0;
  EXPECT_EQ(::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}

INSTANTIATE_TEST_SUITE_P(Cases, Reap,
                         ::testing::Values(ReapCase{"StillRunning", "exec sleep 30\n", false},
                                           ReapCase{"EndedByItself", "exit 3\n", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Move, AssignmentEndsTheChildItReplaces) {
  TempDir dir;
  TempDir other;
  ChildProcess first = StartScript(dir, "exec sleep 30\n");
  ChildProcess second = StartScript(other, "echo second\n");
  const long firstPid = first.Id();
  const long secondPid = second.Id();

  first = std::move(second);
  EXPECT_EQ(first.Id(), secondPid);
  EXPECT_EQ(second.Id(), -1);
  char buffer[16];
  EXPECT_EQ(second.Read(buffer, sizeof buffer, 0).status, ReadStatus::Broken);
  errno = 0;
  EXPECT_EQ(::waitpid(static_cast<pid_t>(firstPid), nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  EXPECT_EQ(ReadToEnd(first).output, "second\n");
  EXPECT_EQ(first.Wait(), 0);
}

// --- What the child inherits and how a failed start is reported ------------

TEST(Start, ChildInheritsNoOtherDescriptor) {
  TempDir dir;
  // Deliberately without O_CLOEXEC: a low one and a high one (sh keeps its
  // own descriptors at 10 and a little above).
  const int low = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(low, 3);
  ASSERT_LT(low, 10);
  const int high = ::dup2(low, 300);
  ASSERT_EQ(high, 300);
  std::string script;
  for (int fd : {low, high}) {
    script += "[ -e /proc/$$/fd/" + std::to_string(fd) + " ] && echo \"open " + std::to_string(fd) + "\"\n";
  }
  ChildProcess child = StartScript(dir, script + "echo done\n");
  const Collected got = ReadToEnd(child);
  ::close(low);
  ::close(high);
  EXPECT_EQ(got.output, "done\n");
}

TEST(Start, PipeFailureNamesTheErrorNumber) {
  TempDir dir;
  WriteFile(dir / "run.sh", "exit 0\n");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  // Let no new descriptor be opened: the lowest free one is over the limit.
  const int probe = ::dup(0);
  ASSERT_GE(probe, 0);
  ::close(probe);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(probe);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  auto started = ChildProcess::Start(dir / "run.sh");
  ::setrlimit(RLIMIT_NOFILE, &saved);

  ASSERT_TRUE(std::holds_alternative<std::string>(started));
  EXPECT_EQ(std::get<std::string>(started), "CreatePipe failed. Error: " + std::to_string(EMFILE));
}

}  // namespace
}  // namespace qm::test
