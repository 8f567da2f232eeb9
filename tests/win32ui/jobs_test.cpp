// Adding and removing jobs through the real main window: clicks on its
// buttons and grid cells, a scripted file dialog, the real geometry dialog
// typed into character by character; the system's file dialog with the
// titles and filters of the jobs.

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
using Cells = std::vector<std::string>;

const std::string kChd = "Seleziona file CHD...";
const std::string kDiff = "Seleziona file Diff...";

// Answers the next geometry dialog: {"close"} closes it, {"escape"} presses
// Escape, else the three texts are typed into txtC, txtH, txtS and Conferma
// is clicked.
std::unique_ptr<test::WhenShown> AnswerGeometry(const std::vector<std::string>& answer) {
  return std::make_unique<test::WhenShown>("frmSetCHS", [answer](HWND dialog) {
    if (answer.size() == 1) {
      if (answer[0] == "close") ::SendMessageA(dialog, WM_CLOSE, 0, 0);
      if (answer[0] == "escape") test::PressKey(VK_ESCAPE);
      return;
    }
    const char* boxes[] = {"txtC", "txtH", "txtS"};
    for (int i = 0; i < 3; ++i) test::Type(FindControl(dialog, boxes[i]), answer[i]);
    test::Click(FindControl(dialog, "btnSetCHS"));
  });
}

class JobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<frmMain>();
    window_->Show();
    grid_ = FindControl(window_->hwnd(), "MainGrid");
    toolbar_ = FindControl(window_->hwnd(), "fraToolbar");
    test::Pump(20);
  }
  void TearDown() override { window_.reset(); }

  HWND button(const std::string& name) { return FindControl(window_->hwnd(), name); }

  void addUpdate(test::ScriptedFileDialog& files, const std::string& path) {
    files.push(path);
    test::Click(button("btnAggiungi_0"));
  }

  std::unique_ptr<frmMain> window_;
  HWND grid_ = nullptr;
  HWND toolbar_ = nullptr;
};

struct AddRow {
  const char* name;
  int button;
  std::vector<std::string> files;  // "" cancels that selection
  std::vector<std::string> geometry;  // answer to the geometry dialog; none when none opens
  std::vector<std::string> titles;  // the selections asked for
  Cells cells;                     // row 1 afterwards; empty: table unchanged
};
void PrintTo(const AddRow& r, std::ostream* os) { *os << r.name; }

class AddOneJob : public JobsTest, public ::testing::WithParamInterface<AddRow> {};

TEST_P(AddOneJob, CellsOfRowOne) {
  const AddRow& row = GetParam();
  test::ScriptedFileDialog files(row.files, toolbar_);
  window_->controller().SetFileDialog(&files);
  auto geometry = row.geometry.empty() ? nullptr : AnswerGeometry(row.geometry);
  test::Click(button("btnAggiungi_" + std::to_string(row.button)));
  if (geometry) {
    EXPECT_TRUE(geometry->ran());
  }

  EXPECT_EQ(files.titles, row.titles);
  // The tool bar is disabled during every selection and enabled again after.
  EXPECT_EQ(files.toolbarEnabled, std::vector<bool>(row.titles.size(), false));
  EXPECT_TRUE(::IsWindowEnabled(toolbar_));

  const JobTable& table = window_->jobTable();
  EXPECT_EQ(table.grid().Rows(), 2);
  EXPECT_EQ(table.JobCount(), row.cells.empty() ? 0 : 1);
  const Cells expected = row.cells.empty() ? Cells(kJobColumns) : row.cells;
  for (int c = 0; c < kJobColumns; ++c) EXPECT_EQ(table.grid().TextMatrix(1, c), expected[c]) << "column " << c;
  test::ExpectViewMatchesGrid(grid_, table.grid());
  window_->controller().SetFileDialog(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AddOneJob,
    ::testing::Values(
        AddRow{"update", 0, {"D:\\img\\disk.chd"}, {}, {kChd},
               {"disk.chd", "D:\\img", "Update", "disk.tmp", "D:\\img", "", "-update disk.chd disk.tmp"}},
        AddRow{"merge_from_two_folders", 1, {"D:\\a\\disk.chd", "E:\\b\\patch.diff"}, {}, {kChd, kDiff},
               {"disk.chd", "E:\\b", "Merge", "patch.tmp", "E:\\b", "patch.diff", "-merge D:\\a\\disk.chd patch.diff patch.tmp"}},
        // Typed character by character: only digits and backspace pass the boxes.
        AddRow{"set_chs_typed_with_letters_signs_backspace", 2, {"D:\\img\\disk.chd"},
               {"1k0-245\b", "+\x16\x0d" "16.", "6 x\xe8" "3"}, {kChd},
               {"disk.chd", "D:\\img", "SetCHS", "", "D:\\img", "", "-setchs disk.chd 1024 16 63 "}},
        AddRow{"set_chs_closed_never_confirmed", 2, {"D:\\img\\disk.chd"}, {"close"}, {kChd},
               {"disk.chd", "D:\\img", "SetCHS", "", "D:\\img", "", "-setchs disk.chd "}},
        AddRow{"set_chs_escape_never_confirmed", 2, {"D:\\img\\disk.chd"}, {"escape"}, {kChd},
               {"disk.chd", "D:\\img", "SetCHS", "", "D:\\img", "", "-setchs disk.chd "}},
        AddRow{"merge_cancel_second", 1, {"D:\\a\\disk.chd", ""}, {}, {kChd, kDiff}, {}}),
    test::RowName());

// A geometry dialog closed without confirming keeps the last confirmed
// geometry; every showing starts with empty boxes and the focus in txtC.
TEST_F(JobsTest, GeometryDialogStartsEmptyAndKeepsTheLastConfirmation) {
  test::ScriptedFileDialog files({"D:\\img\\a.chd", "D:\\img\\b.chd"});
  window_->controller().SetFileDialog(&files);
  {
    auto answer = AnswerGeometry({"1024", "16", "63"});
    test::Click(button("btnAggiungi_2"));
  }
  std::vector<std::string> texts;
  std::string focus;
  {
    test::WhenShown second("frmSetCHS", [&](HWND dialog) {
      for (const char* box : {"txtC", "txtH", "txtS"}) texts.push_back(test::Text(FindControl(dialog, box)));
      focus = test::NameOf(::GetFocus());
      ::SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    test::Click(button("btnAggiungi_2"));
    EXPECT_TRUE(second.ran());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(focus, "txtC");
  EXPECT_EQ(window_->jobTable().JobCount(), 2);
  EXPECT_EQ(window_->jobTable().Job(2)[kColArgs], "-setchs b.chd 1024 16 63 ");
  // Closing gave the main window its input back.
  EXPECT_TRUE(::IsWindowEnabled(window_->hwnd()));
}

struct RemoveRow {
  const char* name;
  std::vector<std::string> steps;  // "add NAME", "click ROW", "header COL", "remove"
  int jobCount;
  std::vector<std::string> column0;  // every grid row, header included
  std::pair<int, int> current;       // the grid's current cell
};
void PrintTo(const RemoveRow& r, std::ostream* os) { *os << r.name; }

class RemoveSequence : public JobsTest, public ::testing::WithParamInterface<RemoveRow> {};

TEST_P(RemoveSequence, TableAfterTheSteps) {
  const RemoveRow& row = GetParam();
  test::ScriptedFileDialog files;
  window_->controller().SetFileDialog(&files);
  for (const std::string& step : row.steps) {
    const std::string verb = step.substr(0, step.find(' '));
    const std::string arg = step.find(' ') == std::string::npos ? "" : step.substr(step.find(' ') + 1);
    if (verb == "add") {
      addUpdate(files, "D:\\jobs\\" + arg + ".chd");
    } else if (verb == "click") {
      test::ClickCell(grid_, std::stoi(arg), 0);
    } else if (verb == "header") {
      test::ClickCell(grid_, 0, std::stoi(arg));
    } else {
      test::Click(button("btnRimuovi"));
    }
  }
  const JobTable& table = window_->jobTable();
  EXPECT_EQ(table.JobCount(), row.jobCount);
  std::vector<std::string> texts;
  for (int r = 0; r < table.grid().Rows(); ++r) texts.push_back(table.grid().TextMatrix(r, 0));
  EXPECT_EQ(texts, row.column0);
  EXPECT_EQ(std::make_pair(table.grid().Row(), table.grid().Col()), row.current);
  test::ExpectViewMatchesGrid(grid_, table.grid());
}

const std::vector<std::string> kThree{"add a", "add b", "add c"};
std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RemoveSequence,
    ::testing::Values(
        RemoveRow{"row_2_of_3", Then(kThree, {"click 2", "remove"}), 2, {"Immagine", "a.chd", "c.chd"}, {2, 0}},
        RemoveRow{"row_1_of_3_clears", Then(kThree, {"click 1", "remove"}), 0, {"Immagine", "", "", ""}, {0, 3}},
        RemoveRow{"blank_row_below_the_jobs", Then(kThree, {"click 1", "remove", "add d", "click 3", "remove"}), 1,
                  {"Immagine", "d.chd", "", ""}, {3, 0}},
        RemoveRow{"header_clicked", Then(kThree, {"click 2", "header 1", "remove"}), 3,
                  {"Immagine", "a.chd", "b.chd", "c.chd"}, {0, 1}}),
    test::RowName());

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
                         ::testing::Values(OpenRow{"chd_chosen", &kChdRequest, "disk.chd"},
                                           OpenRow{"diff_chosen", &kDiffRequest, "patch one.diff"},
                                           OpenRow{"chd_cancelled", &kChdRequest, nullptr}),
                         test::RowName());

}  // namespace
}  // namespace qm
