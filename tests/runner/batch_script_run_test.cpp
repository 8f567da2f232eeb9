// The POSIX batch script run for real by /bin/sh against a stand-in tool: a
// shell script that records its arguments, writes the temporary file of an
// update and exits with a chosen status. Checks the exit status, the renames
// and that hostile names reach the tool exactly and run nothing.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Quoting.h"
#include "core/ToolContract.h"
#include "runner/BatchFile.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStandIn =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > \"$0.args\"\n"
    "if [ \"$1\" = -update ]; then printf new > \"$3\"; fi\n"
    "exit \"$(cat \"$0.status\")\"\n";

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

enum class Old { None, File, DanglingLink };

struct RunRow {
  const char* name;
  std::string folder;  // made inside a fresh temporary folder
  std::string image;
  std::string action;
  int toolStatus;
  Old old;  // what stands at IMG.old before the run
  int wantStatus;
  bool wantToolRan;
  bool wantRenamed;
};

class ScriptRuns : public ::testing::TestWithParam<RunRow> {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qm-batch-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  fs::path root_;
};

TEST_P(ScriptRuns, StatusFilesAndArguments) {
  const RunRow& row = GetParam();
  const fs::path tools = root_ / "tool dir's";
  const fs::path folder = root_ / row.folder;
  fs::create_directories(tools);
  fs::create_directories(folder);
  const fs::path tool = tools / "chdman";
  Write(tool, kStandIn);
  fs::permissions(tool, fs::perms::owner_all);
  Write(tools / "chdman.status", std::to_string(row.toolStatus) + "\n");

  const bool update = row.action == "Update" || row.action == "update";
  const std::string base = row.image.substr(0, row.image.rfind('.'));
  const std::string temp = base + ".tmp";
  Write(folder / row.image, "orig");
  if (row.old == Old::File) Write(folder / (base + ".old"), "older");
  if (row.old == Old::DanglingLink) fs::create_symlink("nowhere", folder / (base + ".old"));

  BatchJob job{row.image, row.action, temp, folder.string(), {}};
  job.args = update ? UpdateArguments(row.image, temp, Interpreter::PosixShell)
                    : MergeArguments(row.image, "d;iff $(x).diff", temp, Interpreter::PosixShell);
  Write(root_ / "automate.sh", PosixBatchScript(job, tool.string()));

  const std::string command = "cd " + QuoteName(root_.string(), Interpreter::PosixShell) +
                              " && /bin/sh automate.sh >/dev/null 2>&1";
  const int wait = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(wait));
  EXPECT_EQ(WEXITSTATUS(wait), row.wantStatus);

  const std::vector<std::string> expectedArgs =
      update ? std::vector<std::string>{"-update", row.image, temp}
             : std::vector<std::string>{"-merge", row.image, "d;iff $(x).diff", temp};
  std::string joined;
  for (const auto& arg : expectedArgs) joined += arg + "\n";
  if (row.wantToolRan) {
    EXPECT_EQ(Read(tools / "chdman.args"), joined);
  } else {
    EXPECT_FALSE(fs::exists(tools / "chdman.args"));
  }

  if (row.wantRenamed) {
    EXPECT_EQ(Read(folder / row.image), "new");
    EXPECT_EQ(Read(folder / (base + ".old")), "orig");
    EXPECT_FALSE(fs::exists(folder / temp));
  } else {
    EXPECT_EQ(Read(folder / row.image), "orig");
    EXPECT_EQ(fs::symlink_status(folder / (base + ".old")).type(),
              row.old == Old::None           ? fs::file_type::not_found
              : row.old == Old::DanglingLink ? fs::file_type::symlink
                                             : fs::file_type::regular);
  }
  for (const auto& dir : {root_, folder, tools}) EXPECT_FALSE(fs::exists(dir / "MARK")) << dir;
}

const std::string kHostileFolder = "-x $(touch MARK) `touch MARK`;& %d é";
const std::string kHostileImage = "it's \"$(touch MARK)\" `touch MARK` ; & | * 100% à.chd";

INSTANTIATE_TEST_SUITE_P(
    Batch, ScriptRuns,
    ::testing::Values(
        RunRow{"UpdateSucceeds", "Images", "game.chd", "Update", 0, Old::None, 0, true, true},
        RunRow{"UpdateFails", "Images", "game.chd", "Update", 7, Old::None, 7, true, false},
        RunRow{"OldAlreadyThere", "Images", "game.chd", "Update", 0, Old::File, kBackupExistsStatus, false, false},
        RunRow{"OldIsDanglingLink", "Images", "game.chd", "Update", 0, Old::DanglingLink, kBackupExistsStatus, false,
               false},
        RunRow{"LowerCaseUpdateKeepsNames", "Images", "game.chd", "update", 0, Old::None, 0, true, false},
        RunRow{"MergeStatusIsTheTools", "Images", "game.chd", "Merge", 5, Old::None, 5, true, false},
        RunRow{"HostileUpdate", kHostileFolder, kHostileImage, "Update", 0, Old::None, 0, true, true},
        RunRow{"HostileUpdateFails", kHostileFolder, kHostileImage, "Update", 9, Old::None, 9, true, false},
        RunRow{"HostileMerge", kHostileFolder, "-n; touch MARK.chd", "Merge", 0, Old::None, 0, true, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace qm
