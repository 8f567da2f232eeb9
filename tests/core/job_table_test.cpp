// The job table: its set-up, the Remove operation driven by scripts of adds,
// clicks on a row and Removes and checked against the whole grid, and the
// output kept of a job.

#include <gtest/gtest.h>

#include <ostream>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "RowName.h"
#include "jobs/JobOutput.h"
#include "jobs/JobTable.h"

namespace qm {
namespace {

// A job whose every cell names the job and the column ("b0".."b6").
JobCells NamedJob(std::string_view job) {
  JobCells cells;
  for (int c = 0; c < kJobColumns; ++c) cells[c] = std::string(job) + std::to_string(c);
  return cells;
}

// The grid's cells row by row, a bold cell marked '*'; a column past the
// job's seven throws.
std::vector<JobCells> Cells(const Grid& grid) {
  std::vector<JobCells> rows(grid.Rows());
  for (int r = 0; r < grid.Rows(); ++r)
    for (int c = 0; c < grid.Cols(); ++c) rows[r].at(c) = grid.TextMatrix(r, c) + (grid.CellFontBold(r, c) ? "*" : "");
  return rows;
}

// Steps: "+x" adds job x, "@n" clicks a cell of row n, "-" presses Remove.
struct RemoveRow {
  std::string_view name;
  std::vector<std::string_view> steps;
  std::vector<std::string_view> rows;  // jobs in rows 1.., "" for a blank row
  std::pair<int, int> current;         // row and column; a clear leaves the header's (0, 3)
};

void PrintTo(const RemoveRow& row, std::ostream* os) { *os << row.name; }
class JobTableRemoveTest : public testing::TestWithParam<RemoveRow> {};

TEST_P(JobTableRemoveTest, LeavesTheExpectedRows) {
  const RemoveRow& row = GetParam();
  JobTable table;
  table.SetUp();
  for (const std::string_view step : row.steps) {
    if (step.front() == '+') {
      ASSERT_TRUE(table.Append(NamedJob(step.substr(1))));
    } else if (step.front() == '@') {
      table.grid().SetRow(std::stoi(std::string(step.substr(1))));
      table.grid().SetCol(0);
    } else {
      table.Remove();
    }
  }
  std::vector<JobCells> expected{{"Immagine*", "Percorso*", "Azione*", "*", "", "", ""}};
  for (const std::string_view job : row.rows) expected.push_back(job.empty() ? JobCells{} : NamedJob(job));
  EXPECT_EQ(Cells(table.grid()), expected);
  EXPECT_EQ(std::pair(table.grid().Row(), table.grid().Col()), row.current);
  EXPECT_EQ(table.JobCount(), std::ranges::count_if(row.rows, [](std::string_view job) { return !job.empty(); }));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, JobTableRemoveTest,
    testing::Values(
        RemoveRow{"AfterStartNothing", {"-"}, {""}, {0, 3}},
        RemoveRow{"NoClickKeepsHeaderCurrent", {"+a", "+b", "-"}, {"a", "b"}, {0, 3}},
        RemoveRow{"MiddleRowDeleted", {"+a", "+b", "+c", "@2", "-"}, {"a", "c"}, {2, 0}},
        RemoveRow{"RowOneClearsAll", {"+a", "+b", "+c", "@1", "-"}, {"", "", ""}, {0, 3}},
        RemoveRow{"TwoAddsAfterClear", {"+a", "+b", "+c", "@1", "-", "+d", "+e"}, {"d", "e", "", ""}, {0, 3}},
        RemoveRow{"BlankRowBelowLastJobIgnored", {"+a", "+b", "+c", "@1", "-", "+d", "@3", "-"}, {"d", "", ""}, {3, 0}},
        RemoveRow{"AddAfterIgnoredRemoveGoesToRowOne", {"+a", "+b", "@1", "-", "@2", "-", "+x"}, {"x", ""}, {2, 0}},
        RemoveRow{"DeleteThenAddAppends", {"+a", "+b", "+c", "@2", "-", "+d"}, {"a", "c", "d"}, {2, 0}},
        RemoveRow{"RemoveTwiceOnSameRow", {"+a", "+b", "+c", "+d", "@2", "-", "-"}, {"a", "d"}, {2, 0}}),
    test::RowName());

// What a console would show, within its bound however much the tool prints.
TEST(JobOutputTest, KeepsTheStartAndTheEndOfAnyAmountWithinItsBound) {
  JobOutput small;
  small.Feed("Compressing hunk 1/9.\rCompressing hunk 9/9.\r\nError: disk full\r\n");
  EXPECT_EQ(small.Text(), "Compressing hunk 9/9.\nError: disk full\n");

  JobOutput big;
  big.Feed("first line\n");
  for (int i = 0; i < 200'000; ++i) big.Feed(i % 2 ? std::string(99, 'x') + "\n" : "Compressing hunk " + std::to_string(i) + "/9.\r");
  big.Feed("Error: last words\n");
  const std::string text = big.Text();
  EXPECT_LE(text.size(), JobOutput::kMaxText);
  EXPECT_EQ(text.rfind("first line\n", 0), 0u);
  EXPECT_NE(text.find("byte omessi"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 18), "Error: last words\n");
}

}  // namespace
}  // namespace qm
