// The main window's wiring for jobs: clicks on its buttons and grid cells
// reach the controller (a scripted file dialog, the real geometry dialog
// typed into character by character), the grid it changes reaches the list
// view; and the system's file dialog with the titles and filters of the jobs.

#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <filesystem>

#include "RowName.h"
#include "TempTree.h"
#include "UiTest.h"
#include "jobs/AddJob.h"
#include "ui/win32/Win32FileOpenDialog.h"

namespace qm {
namespace {

using test::FindControl;

const std::string kChd = "Seleziona file CHD...";
const std::string kDiff = "Seleziona file Diff...";

class JobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<frmMain>();
    window_->Show();
    test::Pump(20);
  }
  void TearDown() override { window_.reset(); }

  HWND button(const std::string& name) { return FindControl(window_->hwnd(), name); }

  std::unique_ptr<frmMain> window_;
};

// Each add button asks through the window's dialogs with the tool bar off
// (the geometry typed key by key: only digits and backspace pass); a click
// on a grid row and Rimuovi take that job off.
TEST_F(JobsTest, AddAndRemoveByClicks) {
  HWND toolbar = button("fraToolbar"), grid = button("MainGrid");
  test::ScriptedFileDialog files({"D:\\img\\a.chd", "D:\\a\\disk.chd", "", "D:\\img\\b.chd"},
                                  [toolbar] { return ::IsWindowEnabled(toolbar) != FALSE; });
  window_->controller().SetFileDialog(&files);
  test::Click(button("btnAggiungi_0"));
  test::Click(button("btnAggiungi_1"));  // the diff selection is cancelled
  {
    test::WhenShown geometry("frmSetCHS", [](HWND dialog) {
      const char* typed[] = {"1k0-245\b", "+\x16\x0d" "16.", "6 x\xe8" "3"};
      const char* boxes[] = {"txtC", "txtH", "txtS"};
      for (int i = 0; i < 3; ++i) test::Type(FindControl(dialog, boxes[i]), typed[i]);
      test::Click(FindControl(dialog, "btnSetCHS"));
    });
    test::Click(button("btnAggiungi_2"));
    EXPECT_TRUE(geometry.ran());
  }
  // The next showing starts empty with the focus in txtC; Escape confirms nothing.
  std::vector<std::string> texts;
  {
    files.push("D:\\img\\c.chd");
    test::WhenShown again("frmSetCHS", [&](HWND dialog) {
      for (const char* box : {"txtC", "txtH", "txtS"}) texts.push_back(test::Text(FindControl(dialog, box)));
      texts.push_back(test::NameOf(::GetFocus()));
      test::PressKey(VK_ESCAPE);
    });
    test::Click(button("btnAggiungi_2"));
    EXPECT_TRUE(again.ran());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"", "", "", "txtC"}));
  EXPECT_EQ(files.titles, (std::vector<std::string>{kChd, kChd, kDiff, kChd, kChd}));
  EXPECT_EQ(files.toolbarEnabled, std::vector<bool>(5, false));
  EXPECT_TRUE(::IsWindowEnabled(toolbar));
  EXPECT_TRUE(::IsWindowEnabled(window_->hwnd()));
  const JobTable& table = window_->jobTable();
  ASSERT_EQ(table.JobCount(), 3);
  EXPECT_EQ(table.Job(2)[kColArgs], "-setchs b.chd 1024 16 63 ");
  EXPECT_EQ(table.Job(3)[kColArgs], "-setchs c.chd 1024 16 63 ");
  test::ExpectViewMatchesGrid(grid, table.grid());

  test::ClickCell(grid, 2, 0);
  EXPECT_EQ(table.grid().Row(), 2);
  test::ClickCell(grid, 0, 1);  // the header makes no row current
  EXPECT_EQ(table.grid().Row(), 0);
  test::ClickCell(grid, 2, 0);
  test::Click(button("btnRimuovi"));
  ASSERT_EQ(table.JobCount(), 2);
  EXPECT_EQ(table.Job(2)[kColImage], "c.chd");
  test::ExpectViewMatchesGrid(grid, table.grid());
  window_->controller().SetFileDialog(nullptr);
}

struct OpenRow {
  const char* name;
  const OpenRequest* request;
  const char* file;  // typed into the dialog; nullptr: Annulla
};
void PrintTo(const OpenRow& r, std::ostream* os) { *os << r.name; }

class SystemFileDialog : public JobsTest, public ::testing::WithParamInterface<OpenRow> {};

// The system's dialog shows the request's title and file type; a typed file
// comes back as title and full path, a cancel as nothing.
TEST_P(SystemFileDialog, TitleFilterAndChoice) {
  const OpenRow& row = GetParam();
  test::TempTree tree;
  const std::filesystem::path folder = tree.data() / "with blank";
  std::filesystem::create_directories(folder);
  if (row.file) test::WriteAll(folder / row.file, "x");
  const std::string path = test::Utf8(folder) + "\\" + (row.file ? row.file : "");

  std::string title, type;
  test::WhenShown answer(
      [&](HWND w) { return test::ClassOf(w) == "#32770" && test::Text(w) == row.request->DialogTitle; },
      [&](HWND dialog) {
        title = test::Text(dialog);
        type = test::Text(::GetDlgItem(dialog, cmb1));
        if (row.file) {
          ::SetDlgItemTextA(dialog, cmb13, ToAnsi(path).c_str());
          ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        } else {
          ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
      });
  Win32FileOpenDialog dialog(window_->hwnd());
  const std::optional<FileChoice> choice = dialog.Open(*row.request);
  EXPECT_TRUE(answer.ran());
  EXPECT_EQ(title, row.request->DialogTitle);
  EXPECT_EQ(type, row.request->Filter.substr(0, row.request->Filter.find('|')));
  if (!row.file) {
    EXPECT_FALSE(choice);
    EXPECT_EQ(::CommDlgExtendedError(), 0u);
    return;
  }
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->FileTitle, row.file);
  EXPECT_EQ(test::PathOf(choice->FileName), folder / row.file);
}

INSTANTIATE_TEST_SUITE_P(Requests, SystemFileDialog,
                         ::testing::Values(OpenRow{"diff_chosen", &kDiffRequest, "patch one.diff"},
                                           OpenRow{"chd_cancelled", &kChdRequest, nullptr}),
                         test::RowName());

}  // namespace
}  // namespace qm
