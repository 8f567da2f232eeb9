// Two instances of the program started together from one program folder,
// each with a batch of fast jobs: every image is updated exactly once. Once
// with the system's interpreter and, on POSIX, with bash, which reads its
// script as it goes.
#include <gtest/gtest.h>

#include "FakeToolLog.h"
#include "TempTree.h"
#include "TestSystem.h"
#include "platform/files.h"
#include "platform/process.h"

namespace qm::test {
namespace {

#if defined(_WIN32)
constexpr int kJobsEach = 25;  // every start costs a lot under Wine
const char* const kInterpreters[] = {"-"};
#else
constexpr int kJobsEach = 150;
const char* const kInterpreters[] = {"-", "/bin/bash"};
#endif

class TwoInstances : public ::testing::TestWithParam<const char*> {};

TEST_P(TwoInstances, UpdateEveryImageExactlyOnce) {
  TempTree tree;
  tree.InstallTool(QM_FAKE_CHDMAN, ToolFileName());
  SetEnv("FAKE_CHDMAN_HUNKS", "20");
  SetEnv("FAKE_CHDMAN_LOG", Utf8(tree.log()));
  const char sep = BatchFileName() == "automate.bat" ? '\\' : '/';
  std::vector<ChildProcess> instances;
  std::vector<std::string> images;
  for (const char* name : {"a", "b"}) {
    const fs::path folder = tree.data() / name;
    fs::create_directories(folder);
    std::vector<std::string> args = {Utf8(tree.program()) + sep, Utf8(tree.privateFolder()) + sep, GetParam()};
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
  for (ChildProcess& instance : instances) EXPECT_EQ(instance.Wait(), 0);

  // Every job succeeded (a second update of an image fails on its backup),
  // every image holds one update, and there were no more runs than images.
  EXPECT_EQ(ReadFakeToolLog(Utf8(tree.log())).size(), images.size());
  for (const std::string& image : images) {
    EXPECT_EQ(ReadAll(PathOf(image)), "UPDATED:original") << image;
    EXPECT_EQ(ReadAll(PathOf(image.substr(0, image.size() - 4) + ".old")), "original") << image;
  }
}

INSTANTIATE_TEST_SUITE_P(Interpreters, TwoInstances, ::testing::ValuesIn(kInterpreters),
                         [](const auto& info) { return std::string(info.param) == "-" ? "System" : "Bash"; });

}  // namespace
}  // namespace qm::test
