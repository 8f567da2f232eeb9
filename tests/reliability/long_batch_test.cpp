// A long batch of fast jobs completes: every job runs once, in order, every
// row ends as succeeded, the batch bar ends full and the window is idle again.
#include <gtest/gtest.h>

#include "BatchRunnerFixture.h"

namespace qm {
namespace {

using test::BatchRunnerTest;

constexpr int kJobs = 2000;

// Fast jobs: Set CHS on one image, 100 hunks (21 progress lines) each.
TEST_F(BatchRunnerTest, TwoThousandJobsRunOnceInOrderAndSucceed) {
  const std::filesystem::path disk = Image("disk.chd");
  for (int i = 0; i < kJobs; ++i) Queue(JobKind::SetChs, disk, {}, ChsGeometry{std::to_string(i + 1), "16", "63", true});
  test::SetEnv("FAKE_CHDMAN_HUNKS", "100");
  BatchRunner runner(table, view, Settings());
  RunBatch(runner);
  test::UnsetEnv("FAKE_CHDMAN_HUNKS");

  const auto calls = Calls();
  ASSERT_EQ(calls.size(), static_cast<std::size_t>(kJobs));
  for (int i = 0; i < kJobs; ++i) {
    ASSERT_EQ(calls[i].argv.at(3), std::to_string(i + 1)) << "job " << i + 1 << " ran out of order";
    ASSERT_EQ(table.grid().Mark(i + 1), RowMark::Succeeded) << "row " << i + 1;
  }
  EXPECT_EQ(view.lastTotal, (std::pair<int, int>{kJobs * 100, kJobs * 100}));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kSuccessMessage);
  EXPECT_EQ(static_cast<int>(view.operations.size()), kJobs + 1);  // one per job, the empty one at the end
  EXPECT_TRUE(ToolsLeft().empty());
  ExpectIdle(runner);
}

}  // namespace
}  // namespace qm
