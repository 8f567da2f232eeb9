// Two instances of the program started together from one program folder,
// each with a batch of fast jobs: every image is updated exactly once. Once
// with the system's interpreter and, on POSIX, with bash, which reads its
// script as it goes.
#include <gtest/gtest.h>

#include "BatchRunnerFixture.h"
#include "platform/process.h"

namespace qm::test {
namespace {

const int kJobsEach = kCmd ? 25 : 150;  // every start costs a lot under Wine

class TwoInstances : public BatchRunnerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TwoInstances, UpdateEveryImageExactlyOnce) {
  if (kCmd && GetParam() != std::string("-")) GTEST_SKIP() << "bash is POSIX's";
  SetEnv("FAKE_CHDMAN_HUNKS", "20");
  std::vector<ChildProcess> instances;
  std::vector<std::string> images;
  for (const char* name : {"a", "b"}) {
    const fs::path folder = tree.data() / name;
    fs::create_directories(folder);
    std::vector<std::string> args = {Folder(tree.program()), Folder(tree.privateFolder()), GetParam()};
    for (int i = 0; i < kJobsEach; ++i) {
      const fs::path image = folder / ("disk " + std::to_string(i) + ".chd");
      WriteAll(image, "original");
      args.push_back(Utf8(fs::path(image).make_preferred()));
      images.push_back(args.back());
    }
    Result<ChildProcess> child = ChildProcess::Start(BuiltFile(QM_BATCH_INSTANCE), args);
    ASSERT_TRUE(child) << FailedCall(child.error());
    instances.push_back(std::move(*child));
  }
  for (ChildProcess& instance : instances) {
    std::string said;  // the batch's messages: why a job failed
    char buffer[256];
    for (ReadResult r; (r = instance.Read(buffer, sizeof buffer, 1000)).status != ReadStatus::Broken;)
      said.append(buffer, r.n);
    EXPECT_EQ(instance.Wait(), 0) << said;
  }

  // Every job succeeded (a second update of an image fails on its backup),
  // every image holds one update, and there were no more runs than images.
  EXPECT_EQ(Calls().size(), images.size());
  for (const std::string& image : images) {
    EXPECT_EQ(ReadAll(PathOf(image)), "UPDATED:original") << image;
    EXPECT_EQ(ReadAll(PathOf(image.substr(0, image.size() - 4) + ".old")), "original") << image;
  }
}

INSTANTIATE_TEST_SUITE_P(Interpreters, TwoInstances, ::testing::Values("-", "/bin/bash"),
                         [](const auto& info) { return std::string(info.param) == "-" ? "System" : "Bash"; });

}  // namespace
}  // namespace qm::test
