// Running the queue through the real main window: clicks on "Avvia" and
// "Annulla", the fake tool installed as chdman.exe, automate.bat run by the
// real cmd.exe, the window serviced by the batch while the tool works, and
// the outcome read from the system's message box.

#include <gtest/gtest.h>

#include <filesystem>

#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "TempTree.h"
#include "TestSystem.h"
#include "UiTest.h"
#include "platform/processes.h"
#include "runner/KillApp.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::FindControl;
using test::ReadAll;
using test::Utf8;
using test::WriteAll;

// A message box as shown: caption, text (its longest label) and icon.
struct Box {
  std::string caption, text;
  LPCSTR icon;  // IDI_INFORMATION, IDI_HAND (stop), IDI_WARNING, or null
  bool operator==(const Box&) const = default;
};
void PrintTo(const Box& b, std::ostream* os) { *os << b.caption << ": " << b.text; }

Box ReadBox(HWND box) {
  Box read{test::Text(box), "", nullptr};
  HICON icon = nullptr;
  test::FindWhere(box, [&](HWND child) {
    const std::string text = test::Text(child);
    if (test::ClassOf(child) == "Static" && text.size() > read.text.size()) read.text = text;
    if (HICON shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0))) icon = shown;
    return false;
  });
  for (LPCSTR id : {IDI_INFORMATION, IDI_HAND, IDI_WARNING})
    if (icon && icon == ::LoadIconA(nullptr, id)) read.icon = id;
  return read;
}

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.InstallTool(QM_FAKE_CHDMAN, "chdman.exe");
    test::SetEnv("FAKE_CHDMAN_LOG", Utf8(tree_.log()));
    test::UnsetEnv("FAKE_CHDMAN_MODE");
    window_ = std::make_unique<frmMain>();
    window_->controller().SetRunnerSettings(test::Isolated(
        {Utf8(tree_.program()) + "\\", "chdman.exe", "automate.bat", Interpreter::Cmd, Utf8(tree_.privateFolder()) + "\\"}));
    window_->controller().SetFileDialog(&files_);
    window_->Show();
    test::Pump(20);
  }
  void TearDown() override {
    window_.reset();
    test::UnsetEnv("FAKE_CHDMAN_LOG");
    test::UnsetEnv("FAKE_CHDMAN_MODE");
  }

  HWND control(const std::string& name) { return FindControl(window_->hwnd(), name); }
  std::vector<test::FakeToolCall> calls() const { return test::ReadFakeToolLog(Utf8(tree_.log())); }

  fs::path image(const std::string& name) {
    WriteAll(tree_.data() / name, "original:" + name);
    return tree_.data() / name;
  }

  void queueUpdate(const fs::path& chd) {
    files_.push(Utf8(chd));
    test::Click(control("btnAggiungi_0"));
  }

  // Clicks "Avvia"; every message box of the batch is read and closed with OK.
  void runBatch() {
    HWND answered = nullptr;
    test::Every reader(5, [&] {
      HWND box = test::FindWhere(nullptr, [](HWND w) { return ::IsWindowVisible(w) && test::ClassOf(w) == "#32770"; });
      if (box && box != answered) {
        boxes_.push_back(ReadBox(box));
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        answered = box;
      }
      return false;
    });
    test::Click(control("btnComprimi"));
    EXPECT_TRUE(test::PumpUntil([&] { return !window_->runner().Running(); }, 60000));
  }

  void expectIdle() {
    for (const char* name : {"btnAggiungi_0", "btnAggiungi_1", "btnAggiungi_2", "btnRimuovi", "btnComprimi",
                             "btnAnnulla", "btnInfo"})
      EXPECT_TRUE(::IsWindowEnabled(control(name))) << name;
    EXPECT_EQ(::SendMessageA(control("pbCurrent"), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(::SendMessageA(control("pbTotal"), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(test::Text(control("lblOperazione")), "");
    for (const test::FakeToolCall& call : calls()) EXPECT_FALSE(ProcessRunning(call.pid));
  }

  test::TempTree tree_;
  test::ScriptedFileDialog files_;
  std::vector<Box> boxes_;
  std::unique_ptr<frmMain> window_;
};

// Clicks reach the controller and its batch reaches the controls: bars,
// label, locked buttons, the row marks and the message box; Annulla during
// the second job ends the batch there, with the window serviced throughout.
TEST_F(BatchTest, ABatchThroughTheWindowCancelledDuringTheSecondJob) {
  test::SetEnv("FAKE_CHDMAN_MODE", "slow=15");
  queueUpdate(image("game.chd"));
  const fs::path hang = image("HANG.chd");
  queueUpdate(hang);
  queueUpdate(image("third.chd"));

  int highestTotal = 0, highestCurrentMax = 0, samples = 0;
  bool locked = true;
  std::vector<std::string> operations;
  test::Every sampler(1, [&] {
    if (!window_->runner().Running()) return false;
    ++samples;
    highestTotal = std::max<int>(highestTotal, ::SendMessageA(control("pbTotal"), PBM_GETPOS, 0, 0));
    // The job bar's maximum once progress has come (before, it keeps its 100).
    if (::SendMessageA(control("pbCurrent"), PBM_GETPOS, 0, 0) > 0)
      highestCurrentMax =
          std::max<int>(highestCurrentMax, ::SendMessageA(control("pbCurrent"), PBM_GETRANGE, FALSE, 0));
    for (const char* name : {"btnComprimi", "btnRimuovi", "btnAggiungi_0", "btnAggiungi_1", "btnAggiungi_2"})
      locked = locked && !::IsWindowEnabled(control(name));
    operations.push_back(test::Text(control("lblOperazione")));
    if (calls().size() == 2 && fs::exists(tree_.data() / "HANG.tmp")) test::Click(control("btnAnnulla"));
    return false;
  });
  runBatch();
  sampler.Stop();

  EXPECT_EQ(calls().size(), 2u);  // the third job never started
  EXPECT_EQ(boxes_, (std::vector<Box>{{"Quillmere", "Operazione annullata dall'utente.", IDI_HAND}}));
  EXPECT_GT(samples, 0) << "the window was never serviced during the batch";
  EXPECT_GE(highestTotal, 100) << "the batch bar never reached the end of the first job";
  EXPECT_EQ(highestCurrentMax, 10);  // 1000 hunks: a maximum of 1000 / 100
  EXPECT_TRUE(locked);
  EXPECT_NE(std::find(operations.begin(), operations.end(), "Update di 'game.chd'"), operations.end());
  EXPECT_EQ(window_->jobTable().grid().Mark(1), RowMark::Succeeded);
  EXPECT_EQ(window_->jobTable().grid().Mark(2), RowMark::Cancelled);
  EXPECT_EQ(ReadAll(hang), "original:HANG.chd");
  expectIdle();
}

// The About dialog's own loop does not hold the batch up: the second job
// starts and the batch ends while the dialog stays open.
TEST_F(BatchTest, TheBatchGoesOnWhileTheAboutDialogIsOpen) {
  test::SetEnv("FAKE_CHDMAN_MODE", "slow=20");
  queueUpdate(image("first.chd"));
  queueUpdate(image("second.chd"));
  bool endedWhileOpen = false;
  test::WhenShown about("frmInfo", [&](HWND dialog) {
    endedWhileOpen = test::PumpUntil([&] { return !window_->runner().Running(); }, 30000) && ::IsWindowVisible(dialog);
    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
  });
  test::Every opener(5, [&] {
    if (!window_->runner().Running()) return false;
    test::Click(control("btnInfo"));
    return true;
  });
  runBatch();
  EXPECT_TRUE(endedWhileOpen);
  EXPECT_EQ(calls().size(), 2u);
  EXPECT_EQ(boxes_, (std::vector<Box>{{"Quillmere", "Operazione terminata con successo.", IDI_INFORMATION}}));
}

TEST_F(BatchTest, ClosingDuringABatchCancelsItQuietly) {
  const fs::path hang = image("HANG.chd");
  queueUpdate(hang);
  test::Every closer(10, [&] {
    if (calls().size() != 1) return false;
    ::PostMessageA(window_->hwnd(), WM_CLOSE, 0, 0);
    return true;
  });
  runBatch();
  EXPECT_TRUE(test::PumpUntil([&] { return window_->hwnd() == nullptr; }));

  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(ReadAll(hang), "original:HANG.chd");
  EXPECT_FALSE(fs::exists(tree_.data() / "HANG.old"));
  EXPECT_FALSE(fs::exists(tree_.data() / "HANG.tmp"));
  for (const test::FakeToolCall& call : calls()) EXPECT_FALSE(ProcessRunning(call.pid));
}

}  // namespace
}  // namespace qm
