// A whole collection through the real Win32 main window: several files in
// one selection, files dropped on the table with the menu at the drop point,
// the table's own menu and a failed job's output, with the fake tool run by
// the real cmd.exe.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>

#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "ScriptedFileDialog.h"
#include "TempTree.h"
#include "TestSystem.h"
#include "UiTest.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::FindControl;
using test::Utf8;

class CollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.InstallTool(QM_FAKE_CHDMAN, "chdman.exe");
    test::SetEnv("FAKE_CHDMAN_LOG", Utf8(tree_.log()));
    window_ = std::make_unique<frmMain>();
    window_->controller().SetRunnerSettings(test::Isolated(
        {Utf8(tree_.program()) + "\\", "chdman.exe", "automate.bat", Interpreter::Cmd, Utf8(tree_.privateFolder()) + "\\"}));
    window_->controller().SetFileDialog(&files_);
    window_->Show();
    grid_ = FindControl(window_->hwnd(), "MainGrid");
    test::Pump(20);
  }
  void TearDown() override {
    window_.reset();
    test::UnsetEnv("FAKE_CHDMAN_LOG");
  }

  // One selection of these files, in this order.
  void select(const std::vector<fs::path>& paths) {
    test::ScriptedFileDialog::Paths list;
    for (const fs::path& p : paths) list.push_back(Utf8(p));
    files_.selections.push_back(list);
  }

  fs::path image(const fs::path& relative) {
    fs::create_directories((tree_.data() / relative).parent_path());
    test::WriteAll(tree_.data() / relative, "original");
    return tree_.data() / relative;
  }

  std::vector<std::string> column(int col) {
    std::vector<std::string> cells;
    for (int n = 1; n <= window_->jobTable().JobCount(); ++n) cells.push_back(window_->jobTable().Job(n)[col]);
    return cells;
  }

  // Answers the next popup menu from inside its loop with the keyboard:
  // `downs` presses of the down arrow and Return, or Escape when negative.
  static test::Every AnswerMenu(int downs) {
    return test::Every(5, [downs] {
      HWND menu = test::FindWhere(nullptr, [](HWND w) { return ::IsWindowVisible(w) && test::ClassOf(w) == "#32768"; });
      if (!menu) return false;
      for (int i = 0; i < downs; ++i) ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
      ::PostMessageA(menu, WM_KEYDOWN, downs < 0 ? VK_ESCAPE : VK_RETURN, 0);
      return true;
    });
  }

  // The paths dropped on the middle of the table, as the shell drops them.
  void drop(const std::vector<fs::path>& paths) {
    std::wstring names;
    for (const fs::path& p : paths) names += p.wstring() + L'\0';
    names += L'\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    RECT list{};
    ::GetWindowRect(grid_, &list);
    files->pt = {(list.left + list.right) / 2, (list.top + list.bottom) / 2};
    ::ScreenToClient(window_->hwnd(), &files->pt);
    std::memcpy(files + 1, names.data(), names.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SendMessageW(window_->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  }

  // The list view's notification of a right click or double click on `row`.
  void notifyRow(UINT code, int row) {
    RECT cell{};
    ListView_GetItemRect(grid_, row - 1, &cell, LVIR_LABEL);
    NMITEMACTIVATE click{};
    click.hdr = {grid_, static_cast<UINT_PTR>(::GetDlgCtrlID(grid_)), code};
    click.iItem = row - 1;
    click.ptAction = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ::SendMessageA(::GetParent(grid_), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  }

  void runBatch() {
    test::Every answer(5, [] {
      HWND box = test::FindWhere(nullptr, [](HWND w) { return ::IsWindowVisible(w) && test::ClassOf(w) == "#32770"; });
      if (box) ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      return box != nullptr;
    });
    test::Click(FindControl(window_->hwnd(), "btnComprimi"));
    EXPECT_TRUE(test::PumpUntil([&] { return !window_->runner().Running(); }, 60000));
  }

  test::TempTree tree_;
  test::ScriptedFileDialog files_;
  std::unique_ptr<frmMain> window_;
  HWND grid_ = nullptr;
};

TEST_F(CollectionTest, SeveralImagesInOneSelectionAreOneJobEach) {
  select({image("c.chd"), image("a b.chd"), image("b%.chd")});
  test::Click(FindControl(window_->hwnd(), "btnAggiungi_0"));
  EXPECT_EQ(column(kColArgs), (std::vector<std::string>{"-update c.chd c.tmp", "-update \"a b.chd\" \"a b.tmp\"",
                                                        "-update b%.chd b%.tmp"}));
  test::ExpectViewMatchesGrid(grid_, window_->jobTable().grid());
}

// Escape queues nothing; the first item, "Update", queues the folder's images.
TEST_F(CollectionTest, ADroppedFolderQueuesItsImagesInNameOrder) {
  image("raccolta\\b\\z.chd");
  image("raccolta\\a.chd");
  image("raccolta\\note.txt");
  {
    test::Every escape = AnswerMenu(-1);
    drop({tree_.data() / "raccolta"});
  }
  EXPECT_EQ(window_->jobTable().JobCount(), 0);
  {
    test::Every update = AnswerMenu(1);
    drop({tree_.data() / "raccolta"});
  }
  EXPECT_EQ(column(kColImage), (std::vector<std::string>{"a.chd", "z.chd"}));
  test::ExpectViewMatchesGrid(grid_, window_->jobTable().grid());
}

TEST_F(CollectionTest, AFailedJobIsShownAndRunAgain) {
  select({image("one.chd"), image("FAIL.chd")});
  test::Click(FindControl(window_->hwnd(), "btnAggiungi_0"));
  runBatch();

  notifyRow(NM_DBLCLK, 2);
  HWND output = test::FindWhere(nullptr, [](HWND w) { return ::IsWindowVisible(w) && test::NameOf(w) == "frmOutput"; });
  ASSERT_NE(output, nullptr);
  HWND text = FindControl(output, "txtOutput");
  EXPECT_NE(test::Text(text).find("Error: something failed"), std::string::npos) << test::Text(text);
  EXPECT_TRUE(::GetWindowLongA(text, GWL_STYLE) & ES_READONLY);
  ::SendMessageA(output, WM_CLOSE, 0, 0);

  {
    test::Every removeSucceeded = AnswerMenu(6);  // the table menu's sixth item
    notifyRow(NM_RCLICK, 2);
  }
  EXPECT_EQ(column(kColImage), std::vector<std::string>{"FAIL.chd"});

  runBatch();
  const auto calls = test::ReadFakeToolLog(Utf8(tree_.log()));
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].argv[2], "FAIL.chd");
}

}  // namespace
}  // namespace qm
