// POSIX: a bridge asked to end (SIGTERM, SIGINT, SIGHUP) ends its tool,
// removes the output it created and exits with 128 + the signal.

#include <signal.h>

#include "BridgeProcessFixture.h"

namespace qm::bridge {
namespace {

class BridgeSignalTest : public BridgeProcessTest, public testing::WithParamInterface<int> {};

TEST_P(BridgeSignalTest, EndsTheToolAndRemovesItsOutput) {
  SetEnvironment("FAKE_CURRENT_MODE", "hang");
  ChildProcess p = Start({"-update", "with space.chd", "o.tmp"});
  std::string output;
  const long tool = HungToolId(p, output);
  ASSERT_TRUE(fs::exists("o.tmp"));
  ::kill(static_cast<pid_t>(p.Id()), GetParam());
  const Finished run = Finish(p, output);
  EXPECT_EQ(run.status, 128 + GetParam()) << run.output;
  EXPECT_NE(LastLine(run.output).find("interrupted"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists("o.tmp"));
  EXPECT_FALSE(ProcessRunning(tool));
}

INSTANTIATE_TEST_SUITE_P(Signals, BridgeSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP));

}  // namespace
}  // namespace qm::bridge
