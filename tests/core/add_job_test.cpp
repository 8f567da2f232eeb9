// Adding jobs through AddJob with a scripted view: the dialogs answer from a
// script and every call the operation makes on the view is recorded.

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "RowName.h"
#include "dialogs/Chs.h"
#include "jobs/AddJob.h"

namespace qm {
namespace {

class ScriptedView : public AddJobView {
 public:
  std::deque<std::optional<FileChoice>> selections;  // nullopt: the user cancels
  ChsGeometry geometry;                              // what GetCHS returns

  std::vector<bool> toolbarCalls;
  std::vector<std::string> dialogFilters;
  int chsCalls = 0;
  std::vector<std::string> messages;

  void SetToolbarEnabled(bool enabled) override { toolbarCalls.push_back(enabled); }
  std::optional<FileChoice> ShowOpen(const OpenRequest& request) override {
    dialogFilters.emplace_back(request.Filter);
    if (selections.empty()) {
      ADD_FAILURE() << "file dialog shown more often than scripted";
      return std::nullopt;
    }
    std::optional<FileChoice> next = selections.front();
    selections.pop_front();
    return next;
  }
  ChsGeometry GetCHS() override {
    ++chsCalls;
    return geometry;
  }
  void ShowMessage(std::string_view text, MessageIcon) override { messages.emplace_back(text); }
};

constexpr PathRules kWindows{PathStyle::Windows, Interpreter::Cmd};
constexpr PathRules kPosix{PathStyle::Posix, Interpreter::PosixShell};

const std::vector<bool> kDisabledThenEnabled{false, true};

struct AddRow {
  std::string_view name;
  PathRules rules;
  JobKind kind;
  FileChoice chd;
  std::optional<FileChoice> diff;
  ChsGeometry geometry;
  JobCells expected;
};

// Test output names the row instead of dumping its bytes.
void PrintTo(const AddRow& row, std::ostream* os) { *os << row.name; }

class AddJobRowTest : public testing::TestWithParam<AddRow> {};

TEST_P(AddJobRowTest, WritesTheSevenCellsIntoRowOne) {
  const AddRow& row = GetParam();
  JobTable table;
  table.SetUp();
  ScriptedView view;
  view.selections.push_back(row.chd);
  if (row.kind == JobKind::Merge) view.selections.push_back(row.diff);
  view.geometry = row.geometry;

  EXPECT_EQ(AddJob(table, row.kind, view, row.rules), AddResult::Added);

  EXPECT_EQ(table.JobCount(), 1);
  EXPECT_EQ(table.grid().Rows(), 2);  // the first job fills the existing blank row
  EXPECT_EQ(table.Job(1), row.expected);
  EXPECT_EQ(view.toolbarCalls, kDisabledThenEnabled);
  EXPECT_EQ(view.chsCalls, row.kind == JobKind::SetChs ? 1 : 0);
  EXPECT_TRUE(view.selections.empty());
  EXPECT_TRUE(view.messages.empty());
}

ChsGeometry Unconfirmed() { return ChsGeometry{}; }

INSTANTIATE_TEST_SUITE_P(
    Jobs, AddJobRowTest,
    testing::Values(
        AddRow{"MergeTakesFolderAndTempFromDiff", kWindows, JobKind::Merge, {"disk.chd", "D:\\a\\disk.chd"},
               FileChoice{"patch.diff", "E:\\b\\patch.diff"}, Unconfirmed(),
               {"disk.chd", "E:\\b", "Merge", "patch.tmp", "E:\\b", "patch.diff",
                "-merge D:\\a\\disk.chd patch.diff patch.tmp"}},
        AddRow{"SetChsNeverConfirmed", kWindows, JobKind::SetChs, {"disk.chd", "D:\\img\\disk.chd"}, std::nullopt,
               Unconfirmed(), {"disk.chd", "D:\\img", "SetCHS", "", "D:\\img", "", "-setchs disk.chd "}},
        AddRow{"LongFolderShortenedForDisplayOnly", kWindows, JobKind::Update,
               {"disk.chd", "C:\\Documents and Settings\\Utente\\Desktop\\CHD\\disk.chd"}, std::nullopt,
               Unconfirmed(),
               {"disk.chd", "C:\\...\\Utente\\Desktop\\CHD", "Update", "disk.tmp",
                "C:\\Documents and Settings\\Utente\\Desktop\\CHD", "", "-update disk.chd disk.tmp"}},
        // Names with blanks are quoted: the one deliberate change to the
        // argument strings, so that the tool sees one argument per name.
        AddRow{"BlanksQuotedForCmd", kWindows, JobKind::Merge, {"my disk.chd", "D:\\My Games\\my disk.chd"},
               FileChoice{"new patch.diff", "D:\\My Games\\new patch.diff"}, Unconfirmed(),
               {"my disk.chd", "D:\\My Games", "Merge", "new patch.tmp", "D:\\My Games", "new patch.diff",
                "-merge \"my disk.chd\" \"new patch.diff\" \"new patch.tmp\""}},
        AddRow{"CreateCdPosixLeadingDash", kPosix, JobKind::CreateCd, {"-my game.cue", "/srv/-my game.cue"},
               std::nullopt, Unconfirmed(),
               {"-my game.cue", "/srv", "Crea CHD (CD)", "-my game.tmp", "/srv", "",
                "-createcd '-my game.cue' '-my game.tmp'"}},
        AddRow{"CreateDvdCmdLeavesPercent", kWindows, JobKind::CreateDvd, {"100% & più.iso", "D:\\iso\\100% & più.iso"},
               std::nullopt, Unconfirmed(),
               {"100% & più.iso", "D:\\iso", "Crea CHD (DVD)", "100% & più.tmp", "D:\\iso", "",
                "-createdvd \"100% & più.iso\" \"100% & più.tmp\""}},
        AddRow{"ExtractIntoATemporaryFolder", kPosix, JobKind::Extract, {"it's.chd", "/srv/it's.chd"}, std::nullopt,
               Unconfirmed(),
               {"it's.chd", "/srv", "Estrai", "it's.tmp", "/srv", "", "-extract 'it'\\''s.chd' 'it'\\''s.tmp'"}}),
    test::RowName());

TEST(AddJobDialogTest, EachKindOffersTheFilesItTakes) {
  for (const auto& [kind, filter] : {std::pair{JobKind::CreateCd, kCdRequest.Filter},
                                     std::pair{JobKind::CreateDvd, kDvdRequest.Filter},
                                     std::pair{JobKind::Verify, kChdRequest.Filter},
                                     std::pair{JobKind::Extract, kChdRequest.Filter}}) {
    JobTable table;
    table.SetUp();
    ScriptedView view;
    view.selections = {std::nullopt};
    EXPECT_EQ(AddJob(table, kind, view, kWindows), AddResult::Cancelled);
    EXPECT_EQ(view.dialogFilters, std::vector<std::string>{std::string(filter)});
  }
}

TEST(AddJobFullTableTest, RefusesWithoutShowingTheFileDialog) {
  JobTable table;
  table.SetUp();
  JobCells cells{"disk.chd", "D:", "Update", "disk.tmp", "D:", "", "-update disk.chd disk.tmp"};
  for (int n = 1; n <= JobTable::kMaxJobs; ++n) ASSERT_TRUE(table.Append(cells));
  ASSERT_EQ(table.JobCount(), 32767);
  const int rows = table.grid().Rows();

  for (JobKind kind : {JobKind::Update, JobKind::Merge, JobKind::SetChs}) {
    ScriptedView view;
    EXPECT_EQ(AddJob(table, kind, view, kWindows), AddResult::TableFull);
    EXPECT_TRUE(view.dialogFilters.empty());
    EXPECT_EQ(view.chsCalls, 0);
    EXPECT_EQ(view.toolbarCalls, kDisabledThenEnabled);
  }
  EXPECT_FALSE(table.Append(cells));
  EXPECT_EQ(table.JobCount(), 32767);
  EXPECT_EQ(table.grid().Rows(), rows);
}

}  // namespace
}  // namespace qm
