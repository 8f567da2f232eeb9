// The seven cells of a job in both path forms, on every platform. Adding
// through the dialogs (the order, the requests, the tool bar, a full table)
// is main_controller_test's.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string_view>

#include "RowName.h"
#include "jobs/AddJob.h"

namespace qm {
namespace {

constexpr PathRules kWindows{PathStyle::Windows, Interpreter::Cmd};
constexpr PathRules kPosix{PathStyle::Posix, Interpreter::PosixShell};

struct CellsRow {
  std::string_view name;
  PathRules rules;
  JobKind kind;
  FileChoice chd;
  std::optional<FileChoice> diff;
  JobCells expected;
};

void PrintTo(const CellsRow& row, std::ostream* os) { *os << row.name; }
class ComposeJobTest : public testing::TestWithParam<CellsRow> {};

TEST_P(ComposeJobTest, WritesTheSevenCells) {
  const CellsRow& row = GetParam();
  EXPECT_EQ(ComposeJob(row.kind, row.chd, row.diff ? &*row.diff : nullptr, {}, row.rules), row.expected);
}

// Names with blanks are quoted so that the tool sees one argument per name.
INSTANTIATE_TEST_SUITE_P(
    Jobs, ComposeJobTest,
    testing::Values(
        // The tool runs in the diff's folder, so a parent from elsewhere goes by its full path.
        CellsRow{"MergeTakesFolderAndTempFromTheDiff", kWindows, JobKind::Merge, {"my disk.chd", "D:\\a\\my disk.chd"},
                 FileChoice{"new patch.diff", "E:\\b\\new patch.diff"},
                 {"my disk.chd", "E:\\b", "Merge", "new patch.tmp", "E:\\b", "new patch.diff",
                  "-merge \"D:\\a\\my disk.chd\" \"new patch.diff\" \"new patch.tmp\""}},
        CellsRow{"SetChsNeverConfirmed", kWindows, JobKind::SetChs, {"disk.chd", "D:\\img\\disk.chd"}, std::nullopt,
                 {"disk.chd", "D:\\img", "SetCHS", "", "D:\\img", "", "-setchs disk.chd "}},
        CellsRow{"LongFolderShortenedForDisplayOnly", kWindows, JobKind::Update,
                 {"disk.chd", "C:\\Documents and Settings\\Utente\\Desktop\\CHD\\disk.chd"}, std::nullopt,
                 {"disk.chd", "C:\\...\\Utente\\Desktop\\CHD", "Update", "disk.tmp",
                  "C:\\Documents and Settings\\Utente\\Desktop\\CHD", "", "-update disk.chd disk.tmp"}},
        CellsRow{"CreateDvdCmdLeavesPercent", kWindows, JobKind::CreateDvd,
                 {"100% & più.iso", "D:\\iso\\100% & più.iso"}, std::nullopt,
                 {"100% & più.iso", "D:\\iso", "Crea CHD (DVD)", "100% & più.tmp", "D:\\iso", "",
                  "-createdvd \"100% & più.iso\" \"100% & più.tmp\""}},
        CellsRow{"VerifyNeedsNoTemp", kPosix, JobKind::Verify, {"a b.chd", "/srv/a b.chd"}, std::nullopt,
                 {"a b.chd", "/srv", "Verifica", "", "/srv", "", "-verify 'a b.chd'"}}),
    test::RowName());

}  // namespace
}  // namespace qm
