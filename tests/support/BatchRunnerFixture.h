#pragma once
// The batch runner end to end without a window: a throwaway tree whose
// program folder (its path has a blank) holds the fake tool under the tool's
// real name, a job table, and a view that records what the runner shows.
// Needs QM_FAKE_CHDMAN (link quillmere_fakes).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "TempTree.h"
#include "TestSystem.h"
#include "jobs/AddJob.h"
#include "jobs/JobTable.h"
#include "platform/files.h"
#include "platform/os.h"
#include "platform/processes.h"
#include "runner/BatchRunner.h"

namespace qm::test {

inline const bool kCmd = NativeInterpreter() == Interpreter::Cmd;

// A folder as the runner takes it: ending in the system's separator.
inline std::string Folder(const std::filesystem::path& path) { return Utf8(path) + (kCmd ? '\\' : '/'); }

// Files by path relative to a folder, with their bytes; a folder as its path and "/".
using Files = std::map<std::string, std::string>;

struct Message {
  std::string text;
  MessageIcon icon;
};

// Keeps the latest state of every control the runner drives; a bar value
// outside its bar fails the test at once. `Base` is BatchView or a view
// built on it.
template <class Base = BatchView>
class RecordingViewOf : public Base {
 public:
  void SetAddButtonsEnabled(bool enabled) override { addEnabled = enabled; }
  void SetBatchButtonsEnabled(bool enabled) override { batchEnabled = enabled; }
  void SetCurrentBar(int max, int value) override {
    EXPECT_TRUE(value >= 0 && value <= max) << value << " of " << max;
    current = {max, value};
  }
  void SetTotalBar(int max, int value) override {
    EXPECT_TRUE(value >= 0 && value <= max) << value << " of " << max;
    total = {max, value};
    if (max > 100) lastTotal = total;
  }
  void SetOperation(std::string_view text) override {
    operation = text;
    operations.emplace_back(text);
  }
  void ShowMessage(std::string_view text, MessageIcon icon) override { messages.push_back({std::string(text), icon}); }
  void ScheduleStep(int) override { if (onStep) onStep(); }

  bool addEnabled = true, batchEnabled = true;
  std::pair<int, int> current{100, 0}, total{100, 0}, lastTotal{0, 0};
  std::string operation;
  std::vector<std::string> operations;
  std::vector<Message> messages;
  std::function<void()> onStep;  // before each turn of the batch
};
using RecordingView = RecordingViewOf<>;

template <class View = RecordingView>
class BatchRunnerTestOf : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.InstallTool(QM_FAKE_CHDMAN, ToolFileName());
    SetEnv("FAKE_CHDMAN_LOG", Utf8(tree.log()));
    table.SetUp();
  }
  void TearDown() override {
    UnsetEnv("FAKE_CHDMAN_LOG");
    UnsetEnv("FAKE_CHDMAN_MODE");
  }

  RunnerSettings Settings() const {
    return Isolated({Folder(tree.program()), ToolFileName(), BatchFileName(), NativeInterpreter(),
                     Folder(tree.privateFolder())});
  }

  // Today's tool in the program folder, so the jobs go through the bridge,
  // and by default the old fake in the bridge's place: it takes the old
  // command line the bridge takes and logs it.
  RunnerSettings BridgedSettings(const char* bridge = QM_FAKE_CHDMAN) const {
    tree.InstallTool(QM_FAKE_CURRENT, ToolFileName());
    tree.InstallTool(bridge, BridgeFileName());
    RunnerSettings settings = Settings();
    settings.bridgePath = Utf8(tree.program() / BridgeFileName());
    return settings;
  }

  // A file in the data folder holding "CONTENT:NAME".
  std::filesystem::path Image(const std::string& name, const std::string& content = "original") {
    WriteAll(tree.data() / PathOf(name), content + ":" + name);
    return tree.data() / PathOf(name);
  }

  // The image Image(name) made holds what it held, with no .old or .tmp beside it.
  void ExpectUntouched(const std::string& name) const {
    const std::string base = name.substr(0, name.rfind('.'));
    EXPECT_EQ(ReadAll(tree.data() / PathOf(name)), "original:" + name);
    EXPECT_FALSE(std::filesystem::exists(tree.data() / PathOf(base + ".old"))) << base;
    EXPECT_FALSE(std::filesystem::exists(tree.data() / PathOf(base + ".tmp"))) << base;
  }

  // Every file under `root` (the data folder when empty).
  Files DataFiles(std::filesystem::path root = {}) const {
    if (root.empty()) root = tree.data();
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const std::string name = Utf8(entry.path().lexically_relative(root));
      if (entry.is_regular_file()) files[name] = ReadAll(entry.path());
      if (entry.is_directory()) files[name + "/"] = "";
    }
    return files;
  }

  void Queue(JobKind kind, const std::filesystem::path& chd, const std::filesystem::path& diff = {},
             ChsGeometry geometry = {}) {
    const FileChoice c{Utf8(chd.filename()), Utf8(chd)};
    const FileChoice d{Utf8(diff.filename()), Utf8(diff)};
    table.Append(ComposeJob(kind, c, diff.empty() ? nullptr : &d, geometry, {NativePathStyle(), NativeInterpreter()}));
  }

  std::vector<FakeToolCall> Calls() const { return ReadFakeToolLog(Utf8(tree.log())); }

  // The whole batch as the window's event loop drives it.
  static void RunBatch(BatchRunner& runner) { runner.Start(); while (runner.Running()) runner.Step(); }

  // What this test started that still lives: runs of the tool, and children
  // of this process (the interpreters it started).
  std::vector<long> Leftovers() const {
    std::vector<long> left;
    for (const FakeToolCall& call : Calls())
      if (ProcessRunning(call.pid)) left.push_back(call.pid);
    for (const ProcessEntry& p : ListProcesses().value_or(std::vector<ProcessEntry>{}))
      if (p.parentPid == CurrentProcessId() && ProcessRunning(p.pid)) left.push_back(p.pid);
    return left;
  }

  // Not running, no cancel pending, the buttons back, the operation and both bars empty.
  void ExpectIdle(const BatchRunner& runner) {
    EXPECT_EQ(std::tuple(runner.Running(), runner.CancelRequested(), view.addEnabled, view.batchEnabled, view.operation,
                         view.current.second, view.total.second),
              std::tuple(false, false, true, true, std::string(), 0, 0));
  }

  TempTree tree;
  JobTable table;
  View view;
};
using BatchRunnerTest = BatchRunnerTestOf<>;

}  // namespace qm::test
