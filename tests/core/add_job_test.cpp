// The seven cells of a job where no end-to-end test looks: in the Windows
// form on every platform, an unconfirmed geometry and a folder shortened for
// display. Adding through the dialogs is main_controller_test's; the cells
// of each kind reach the tool in its Selection rows, a merge's parent from
// another folder in UpdateMergeAndSetChsRunInOrderInTheirFolders, quoted
// names in HostileNames.

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

#include "RowName.h"
#include "jobs/AddJob.h"

namespace qm {
namespace {

constexpr PathRules kWindows{PathStyle::Windows, Interpreter::Cmd};

struct CellsRow {
  std::string_view name;
  JobKind kind;
  FileChoice chd;
  JobCells expected;
};

void PrintTo(const CellsRow& row, std::ostream* os) { *os << row.name; }
class ComposeJobTest : public testing::TestWithParam<CellsRow> {};

TEST_P(ComposeJobTest, WritesTheSevenCells) {
  const CellsRow& row = GetParam();
  EXPECT_EQ(ComposeJob(row.kind, row.chd, nullptr, {}, kWindows), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, ComposeJobTest,
    testing::Values(
        CellsRow{"SetChsNeverConfirmed", JobKind::SetChs, {"disk.chd", "D:\\img\\disk.chd"},
                 {"disk.chd", "D:\\img", "SetCHS", "", "D:\\img", "", "-setchs disk.chd "}},
        CellsRow{"LongFolderShortenedForDisplayOnly", JobKind::Update,
                 {"disk.chd", "C:\\Documents and Settings\\Utente\\Desktop\\CHD\\disk.chd"},
                 {"disk.chd", "C:\\...\\Utente\\Desktop\\CHD", "Update", "disk.tmp",
                  "C:\\Documents and Settings\\Utente\\Desktop\\CHD", "", "-update disk.chd disk.tmp"}}),
    test::RowName());

}  // namespace
}  // namespace qm
