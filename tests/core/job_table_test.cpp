// The job table: its set-up and the Remove operation, driven by scripts of
// adds, clicks on a row and Removes, checked against the whole grid.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "RowName.h"
#include "jobs/JobOutput.h"
#include "jobs/JobTable.h"

namespace qm {
namespace {

const char* const kHeader[] = {"Immagine", "Percorso", "Azione"};

// A job whose every cell names the job and the column ("b0".."b6").
JobCells NamedJob(std::string_view job) {
  JobCells cells;
  for (int c = 0; c < kJobColumns; ++c) cells[c] = std::string(job) + std::to_string(c);
  return cells;
}

// Checks the header row: texts, empty columns 3..6, bold on (0,0)..(0,3) only.
void ExpectHeader(const Grid& grid) {
  for (int c = 0; c < kJobColumns; ++c) {
    EXPECT_EQ(grid.TextMatrix(0, c), c < 3 ? kHeader[c] : "") << "column " << c;
    EXPECT_EQ(grid.CellFontBold(0, c), c <= 3) << "column " << c;
  }
}

// The header and the blank row are the "AfterStartNothing" row below.
TEST(JobTableSetUpTest, WidthsAlignmentAndCurrentCell) {
  JobTable table;
  table.SetUp();
  const Grid& grid = table.grid();
  EXPECT_EQ(grid.Cols(), 7);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(grid.Col(), 3);
  const int widths[] = {1500, 4150, 1500};
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(grid.ColWidth(c), widths[c]);
    EXPECT_EQ(grid.ColAlignment(c), 1);
  }
}

// Steps: "+x" adds job x, "@n" clicks a cell of row n, "-" presses Remove.
struct RemoveRow {
  std::string_view name;
  std::vector<std::string_view> steps;
  std::vector<std::string_view> rows;  // jobs in rows 1.., "" for a blank row
  int jobCount;
};

// Test output names the row instead of dumping its bytes.
void PrintTo(const RemoveRow& row, std::ostream* os) { *os << row.name; }

class JobTableRemoveTest : public testing::TestWithParam<RemoveRow> {};

TEST_P(JobTableRemoveTest, LeavesTheExpectedRows) {
  const RemoveRow& row = GetParam();
  JobTable table;
  table.SetUp();
  for (std::size_t i = 0; i < row.steps.size(); ++i) {
    const std::string_view step = row.steps[i];
    switch (step.front()) {
      case '+':
        ASSERT_TRUE(table.Append(NamedJob(step.substr(1))));
        break;
      case '@':
        table.grid().SetRow(std::stoi(std::string(step.substr(1))));
        table.grid().SetCol(0);
        break;
      case '-':
        table.Remove();
        EXPECT_GE(table.JobCount(), 0) << "after step " << i;
        break;
    }
  }

  const Grid& grid = table.grid();
  ExpectHeader(grid);
  EXPECT_EQ(table.JobCount(), row.jobCount);
  ASSERT_EQ(grid.Rows(), static_cast<int>(row.rows.size()) + 1);
  for (int r = 1; r < grid.Rows(); ++r) {
    const std::string_view job = row.rows[r - 1];
    const JobCells expected = job.empty() ? JobCells{} : NamedJob(job);
    for (int c = 0; c < kJobColumns; ++c) {
      EXPECT_EQ(grid.TextMatrix(r, c), expected[c]) << "row " << r << " column " << c;
      EXPECT_FALSE(grid.CellFontBold(r, c)) << "row " << r << " column " << c;
    }
  }
  for (int n = 1; n <= table.JobCount(); ++n) EXPECT_EQ(table.Job(n), NamedJob(row.rows[n - 1]));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, JobTableRemoveTest,
    testing::Values(
        RemoveRow{"AfterStartNothing", {"-"}, {""}, 0},
        RemoveRow{"NoClickKeepsHeaderCurrent", {"+a", "+b", "-"}, {"a", "b"}, 2},
        RemoveRow{"MiddleRowDeleted", {"+a", "+b", "+c", "@2", "-"}, {"a", "c"}, 2},
        RemoveRow{"RowOneClearsAll", {"+a", "+b", "+c", "@1", "-"}, {"", "", ""}, 0},
        RemoveRow{"TwoAddsAfterClear", {"+a", "+b", "+c", "@1", "-", "+d", "+e"}, {"d", "e", "", ""}, 2},
        RemoveRow{"BlankRowBelowLastJobIgnored", {"+a", "+b", "+c", "@1", "-", "+d", "@3", "-"},
                  {"d", "", ""}, 1},
        RemoveRow{"AddAfterIgnoredRemoveGoesToRowOne", {"+a", "+b", "@1", "-", "@2", "-", "+x"}, {"x", ""}, 1},
        RemoveRow{"DeleteThenAddAppends", {"+a", "+b", "+c", "@2", "-", "+d"}, {"a", "c", "d"}, 3},
        RemoveRow{"DeleteEveryJobFromTheBottom", {"+a", "+b", "+c", "@3", "-", "@2", "-", "@1", "-"}, {""}, 0},
        RemoveRow{"RemoveTwiceOnSameRow", {"+a", "+b", "+c", "+d", "@2", "-", "-"}, {"a", "d"}, 2}),
    test::RowName());

// A clear leaves the header current (row 0, column 3), not a blank row.
TEST(JobTableClearTest, LeavesTheHeaderCurrent) {
  JobTable table;
  table.SetUp();
  table.Append(NamedJob("a"));
  table.grid().SetRow(1);
  table.grid().SetCol(5);
  table.Remove();
  EXPECT_EQ(std::make_pair(table.grid().Row(), table.grid().Col()), std::make_pair(0, 3));
}

// A job's kept output: what a console would show, within its bound however
// much the tool prints.
TEST(JobOutputTest, KeepsTheStartAndTheEndOfAnyAmountWithinItsBound) {
  JobOutput small;
  small.Feed("Compressing hunk 1/9.\rCompressing hunk 9/9.\r\nError: disk full\r\n");
  EXPECT_EQ(small.Text(), "Compressing hunk 9/9.\nError: disk full\n");

  JobOutput big;
  big.Feed("first line\n");
  const std::string chatter(99, 'x');
  for (int i = 0; i < 200'000; ++i) big.Feed(i % 2 ? chatter + "\n" : "Compressing hunk " + std::to_string(i) + "/9.\r");
  big.Feed("Error: last words\n");
  const std::string text = big.Text();
  EXPECT_LE(text.size(), JobOutput::kMaxText);
  EXPECT_EQ(text.rfind("first line\n", 0), 0u);
  EXPECT_NE(text.find("byte omessi"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 18), "Error: last words\n");
}

}  // namespace
}  // namespace qm
