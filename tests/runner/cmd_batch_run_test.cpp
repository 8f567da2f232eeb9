// The automate.bat text run for real by cmd.exe (Windows, or Wine) against the
// fake tool as chdman.exe: the exit code, the renames, and names that reach
// the tool exactly and run nothing.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <variant>
#include <vector>

#include "FakeToolLog.h"
#include "TempTree.h"
#include "TestSystem.h"
#include "core/ToolContract.h"
#include "platform/files.h"
#include "platform/process.h"
#include "runner/BatchFile.h"

namespace qm {
namespace {

using test::PathOf;
using test::ReadAll;
using test::Utf8;
using test::WriteAll;
namespace fs = std::filesystem;

// Runs the batch file to its end; its output is read and dropped.
int RunToEnd(const fs::path& batchFile) {
  auto started = ChildProcess::Start(Utf8(batchFile));
  if (auto* error = std::get_if<std::string>(&started)) {
    ADD_FAILURE() << *error;
    return -1;
  }
  ChildProcess& child = std::get<ChildProcess>(started);
  char buffer[256];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (child.Read(buffer, sizeof buffer, 50).status != ReadStatus::Broken) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the batch file did not end";
      child.Terminate();
      break;
    }
  }
  return child.Wait();
}

enum class Old { None, File };

struct RunRow {
  const char* name;
  std::string folder;  // made inside the tree's data folder; empty: a folder that does not exist
  std::string image;
  std::string action;
  const char* mode;  // FAKE_CHDMAN_MODE
  Old old;           // what stands at IMG.old before the run
  int wantStatus;
  bool wantToolRan;
  bool wantRenamed;
};
void PrintTo(const RunRow& r, std::ostream* os) { *os << r.name; }

class CmdBatchRuns : public ::testing::TestWithParam<RunRow> {
 protected:
  void SetUp() override {
    tree.InstallTool(QM_FAKE_CHDMAN, ToolFileName());
    test::SetEnv("FAKE_CHDMAN_LOG", Utf8(tree.log()));
  }
  void TearDown() override {
    test::UnsetEnv("FAKE_CHDMAN_LOG");
    test::UnsetEnv("FAKE_CHDMAN_MODE");
  }
  test::TempTree tree;
};

TEST_P(CmdBatchRuns, ExitCodeFilesAndArguments) {
  const RunRow& row = GetParam();
  const bool exists = !row.folder.empty();
  const fs::path folder = tree.data() / PathOf(exists ? row.folder : "missing");
  if (exists) fs::create_directories(folder);
  const bool update = row.action == "Update" || row.action == "update";
  const std::string base = row.image.substr(0, row.image.rfind('.'));
  const std::string temp = base + ".tmp";
  const std::string diff = "d;iff & (x) 100%.diff";
  if (exists) {
    WriteAll(folder / PathOf(row.image), "orig");
    WriteAll(folder / PathOf(diff), "delta");
    if (row.old == Old::File) WriteAll(folder / PathOf(base + ".old"), "older");
  }
  if (row.mode[0] != '\0') test::SetEnv("FAKE_CHDMAN_MODE", row.mode);

  BatchJob job{row.image, row.action, temp, Utf8(folder), {}};
  job.args = update ? UpdateArguments(row.image, temp, Interpreter::Cmd)
                    : MergeArguments(row.image, diff, temp, Interpreter::Cmd);
  const fs::path batchFile = tree.program() / BatchFileName();
  const auto text = EncodeBatchText(CmdBatchFile(job, Utf8(tree.program())));
  ASSERT_TRUE(text);
  ASSERT_EQ(WriteTextFile(Utf8(batchFile), *text), "");

  EXPECT_EQ(RunToEnd(batchFile), row.wantStatus);

  const auto calls = test::ReadFakeToolLog(Utf8(tree.log()));
  if (row.wantToolRan) {
    ASSERT_EQ(calls.size(), 1u);
    const std::vector<std::string> args = update ? std::vector<std::string>{"-update", row.image, temp}
                                                 : std::vector<std::string>{"-merge", row.image, diff, temp};
    EXPECT_EQ(std::vector<std::string>(calls[0].argv.begin() + 1, calls[0].argv.end()), args);
    EXPECT_EQ(PathOf(calls[0].cwd), folder);
  } else {
    EXPECT_TRUE(calls.empty());
  }
  if (!exists) return;
  if (row.wantRenamed) {
    EXPECT_EQ(ReadAll(folder / PathOf(row.image)), "UPDATED:orig");
    EXPECT_EQ(ReadAll(folder / PathOf(base + ".old")), "orig");
    EXPECT_FALSE(fs::exists(folder / PathOf(temp)));
  } else {
    EXPECT_EQ(ReadAll(folder / PathOf(row.image)), "orig");
    EXPECT_EQ(ReadAll(folder / PathOf(base + ".old")), row.old == Old::File ? "older" : "");
    EXPECT_EQ(fs::exists(folder / PathOf(base + ".old")), row.old == Old::File);
  }
  for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
    EXPECT_NE(entry.path().filename(), "MARK") << "an injected command ran: " << Utf8(entry.path());
  }
}

const std::string kHostileFolder = "a & copy NUL MARK & (b) 100% ^x !y! \xc3\xa9";
const std::string kHostileImage = "it's & copy NUL MARK & (1) %PATH% 100% ^ ; \xc3\xa0.chd";

INSTANTIATE_TEST_SUITE_P(
    Batch, CmdBatchRuns,
    ::testing::Values(
        RunRow{"UpdateSucceeds", "Images", "game.chd", "Update", "", Old::None, 0, true, true},
        RunRow{"UpdateFails", "Images", "game.chd", "Update", "fail", Old::None, 1, true, false},
        RunRow{"UpdateWritesHalfAndFails", "Images", "game.chd", "Update", "partial", Old::None, 1, true, false},
        RunRow{"UpdateCrashes", "Images", "game.chd", "Update", "crash", Old::None, 3, true, false},
        RunRow{"UpdateSucceedsWithoutOutput", "Images", "game.chd", "Update", "empty", Old::None, kNoOutputStatus,
               true, false},
        RunRow{"OldAlreadyThere", "Images", "game.chd", "Update", "", Old::File, kBackupExistsStatus, false, false},
        RunRow{"LowerCaseUpdateKeepsNames", "Images", "game.chd", "update", "", Old::None, 0, true, false},
        RunRow{"MergeSucceeds", "Images", "game.chd", "Merge", "", Old::None, 0, true, false},
        RunRow{"MergeStatusIsTheTools", "Images", "game.chd", "Merge", "fail", Old::None, 1, true, false},
        RunRow{"MissingFolder", "", "game.chd", "Update", "", Old::None, 1, false, false},
        RunRow{"HostileUpdate", kHostileFolder, kHostileImage, "Update", "", Old::None, 0, true, true},
        RunRow{"HostileUpdateFails", kHostileFolder, kHostileImage, "Update", "fail", Old::None, 1, true, false},
        RunRow{"HostileUpdateWithoutOutput", kHostileFolder, kHostileImage, "Update", "empty", Old::None,
               kNoOutputStatus, true, false},
        RunRow{"HostileOldAlreadyThere", kHostileFolder, kHostileImage, "Update", "", Old::File, kBackupExistsStatus,
               false, false},
        RunRow{"HostileMerge", kHostileFolder, "-n & copy NUL MARK.chd", "Merge", "", Old::None, 0, true, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace qm
