// Every way the tool can behave, for each job kind, with a cancel at none, in
// the middle of the first job or between the two jobs of the batch: the real
// runner, /bin/sh and the fake tool. Each cell queues a job that misbehaves
// (by a marker in its image's name) and a plain one after it, then checks
// every file of the job folder, the processes left, the rows, the message and
// the controls.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "BatchRunnerFixture.h"

namespace qm {
namespace {

using test::BatchRunnerTest;
using test::Files;
namespace fs = std::filesystem;

// A missing tool is WhereTheToolIs's row.
struct ToolBehaviour {
  const char* label;
  const char* marker;  // in the first image's name; "" for the plain tool
  RowMark outcome;     // of the first job when it runs to its end; Cancelled: runs until stopped
  bool writesOutput;   // a run that ends well has written its result
  const char* said;    // the tool's last line, quoted for a failed job
};

const ToolBehaviour kBehaviours[] = {
    {"Succeeds", "", RowMark::Succeeded, true, ""},
    {"ExitsWithError", "FAIL", RowMark::Failed, false, "Error: something failed"},
    {"Crashes", "CRASH", RowMark::Failed, false, ""},
    {"PrintsGarbage", "GARBAGE", RowMark::Succeeded, true, ""},
    {"HangsUntilCancelled", "HANG", RowMark::Cancelled, false, ""},
    {"ClaimsSuccessWithoutOutput", "EMPTY", RowMark::Succeeded, false, ""},
    {"SilentForASecond", "SILENT", RowMark::Succeeded, true, ""},
    {"WritesPartialOutputAndFails", "PARTIAL", RowMark::Failed, false, "Error: write failed"},
};

enum class CancelAt { None, MidJob, BetweenJobs };

struct Cell {
  ToolBehaviour tool;
  JobKind kind;
  CancelAt cancel;
};

const char* const kKindNames[] = {"Update", "Merge", "SetChs", "CreateCd", "CreateDvd", "Verify", "Extract"};
const char* const kCancelNames[] = {"NoCancel", "CancelMidJob", "CancelBetweenJobs"};


// The whole product, less the cells a hanging tool cannot have: without a
// cancel it never ends, so it is neither left alone nor waited out.
std::vector<Cell> Cells() {
  std::vector<Cell> cells;
  for (const ToolBehaviour& tool : kBehaviours)
    for (JobKind kind : {JobKind::Update, JobKind::Merge, JobKind::SetChs, JobKind::CreateCd, JobKind::Verify,
                         JobKind::Extract})
      for (CancelAt cancel : {CancelAt::None, CancelAt::MidJob, CancelAt::BetweenJobs})
        if (tool.outcome != RowMark::Cancelled || cancel == CancelAt::MidJob) cells.push_back({tool, kind, cancel});
  return cells;
}

class ReliabilityMatrix : public BatchRunnerTest, public ::testing::WithParamInterface<Cell> {
 protected:
  static void SetUpTestSuite() {
    rlimit none{0, 0};  // the crashing tool leaves no core file
    ::setrlimit(RLIMIT_CORE, &none);
  }
};

// What a job on BASE + ext (and BASE.diff) that ends well adds to or changes in `files`.
void ApplySuccess(JobKind kind, const std::string& base, const std::string& ext, Files& files) {
  const std::string original = files.at(base + ext);
  if (kind == JobKind::Update) {
    files[base + ext] = "UPDATED:" + original;
    files[base + ".old"] = original;
  }
  if (kind == JobKind::Merge) files[base + ".tmp"] = "MERGED:" + original + "+" + files.at(base + ".diff");
  if (kind == JobKind::SetChs) files[base + ext + ".chs"] = "CHS 100 4 32\n";
  if (kind == JobKind::CreateCd) files[base + ".chd"] = "CD:" + original;
  if (kind == JobKind::Extract) {
    files[base + ".cue"] = "FILE \"" + base + ".bin\" BINARY\n";
    files[base + ".bin"] = "EXTRACTED:" + original;
  }
}

TEST_P(ReliabilityMatrix, ImagesProcessesRowsMessageAndControlsAreRight) {
  const Cell& cell = GetParam();
  const std::string ext = cell.kind == JobKind::CreateCd ? ".cue" : ".chd";
  const std::string first = cell.tool.marker + std::string("first"), second = "second";
  for (const std::string& base : {first, second}) {
    const fs::path diff = cell.kind == JobKind::Merge ? Image(base + ".diff", "delta") : fs::path();
    Queue(cell.kind, Image(base + ext), diff, ChsGeometry{"100", "4", "32", true});
  }
  Files expected = DataFiles();  // as they were; the jobs that end well are applied below

  const auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); };
  const auto openBefore = openFiles();
  BatchRunner runner(table, view, IsCurrentKind(cell.kind) ? BridgedSettings() : Settings());
  // Mid-job, the tool pauses before each line it prints, so the cancel lands
  // while it still works, whatever it does next, even on a loaded machine.
  // Between jobs, the cancel comes once the first row has its outcome.
  if (cell.cancel == CancelAt::MidJob) test::SetEnv("FAKE_CHDMAN_MODE", "slow=250");
  view.onStep = [&] {
    const bool firstDone = table.grid().Mark(1) != RowMark::None && table.grid().Mark(2) == RowMark::None;
    if (cell.cancel == CancelAt::MidJob ? runner.CurrentJob() == 1 && !Calls().empty()
                                        : cell.cancel == CancelAt::BetweenJobs && firstDone)
      runner.Cancel();
  };
  RunBatch(runner);

  // What the cell should end with.
  const bool cancelled = cell.cancel != CancelAt::None;
  RowMark firstRow = cell.tool.outcome, secondRow = cancelled ? RowMark::None : RowMark::Succeeded;
  // A job that renames fails when the temporary output is not there.
  if (!cell.tool.writesOutput && firstRow == RowMark::Succeeded && cell.kind != JobKind::Merge &&
      cell.kind != JobKind::SetChs && cell.kind != JobKind::Verify)
    firstRow = RowMark::Failed;
  if (cell.cancel == CancelAt::MidJob) firstRow = RowMark::Cancelled;
  if (firstRow == RowMark::Succeeded && cell.tool.writesOutput) ApplySuccess(cell.kind, first, ext, expected);
  if (secondRow == RowMark::Succeeded) ApplySuccess(cell.kind, second, ext, expected);

  EXPECT_EQ(DataFiles(), expected);
  // Nothing of a batch outlives it: the runner waits for what it ends and
  // closes what it opened.
  EXPECT_EQ(openFiles(), openBefore);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(std::tuple(Calls().size(), table.grid().Mark(1), table.grid().Mark(2)),
            std::tuple(cancelled ? 1u : 2u, firstRow, secondRow));

  // One message: the cancel, the failed job with what the tool said, or success.
  ASSERT_EQ(view.messages.size(), 1u);
  const auto& [text, icon] = view.messages[0];
  const bool failed = !cancelled && firstRow == RowMark::Failed;
  EXPECT_EQ(icon, cancelled ? MessageIcon::Stop : failed ? MessageIcon::Warning : MessageIcon::Information);
  if (failed) {
    EXPECT_NE(text.find(first + ext + ": " + cell.tool.said), std::string::npos) << text;
    EXPECT_EQ(text.find(second + ext), std::string::npos) << text;
  } else {
    EXPECT_EQ(text, cancelled ? kCancelMessage : kSuccessMessage);
  }
  ExpectIdle(runner);
}

INSTANTIATE_TEST_SUITE_P(Cells, ReliabilityMatrix, ::testing::ValuesIn(Cells()),
                         [](const auto& info) {
                           return std::string(info.param.tool.label) + "_" + kKindNames[static_cast<int>(info.param.kind)] +
                                  "_" + kCancelNames[static_cast<int>(info.param.cancel)];
                         });

}  // namespace
}  // namespace qm
