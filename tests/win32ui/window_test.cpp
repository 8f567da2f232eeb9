// The Win32 main window and its dialogs, built and driven for real: every
// control's parent, place, size, caption (and that it fits), name, class,
// font and colour against the pixel values of the window designs; the
// windows' frames, places and focus order; clicks, keys and drops reaching
// MainController and its answers reaching the controls, over real batches of
// the fake tool installed as chdman.exe and run by the real cmd.exe. The rules
// themselves are the core's tests; here each path once.

#include <gtest/gtest.h>
#include <shlobj.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <filesystem>

#include "DesignedWindows.h"
#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "RowName.h"
#include "ScriptedFileDialog.h"
#include "TempTree.h"
#include "UiTest.h"
#include "app/win32/frmMain.h"
#include "dialogs/About.h"
#include "dialogs/win32/frmInfo.h"
#include "jobs/AddJob.h"
#include "platform/processes.h"
#include "ui/CaptionFit.h"
#include "ui/Layout.h"
#include "ui/win32/Win32FileOpenDialog.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::FindControl;
using test::NameOf;
using test::ObjectNameOf;
using test::SpecOf;
using test::Utf8;

const std::string kChd = "Seleziona file CHD...", kDiff = "Seleziona file Diff...";

// A message box as shown: "caption: text (icon)", the text its longest label
// and the icon the system's "information", "stop" or "warning".
std::string ReadBox(HWND box) {
  std::string text, kind;
  HICON icon = nullptr;
  test::FindWhere(box, [&](HWND child) {
    if (test::ClassOf(child) == "Static" && GetText(child).size() > text.size()) text = GetText(child);
    if (HICON shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0))) icon = shown;
    return false;
  });
  const std::pair<LPCSTR, const char*> icons[] = {{IDI_INFORMATION, "information"}, {IDI_HAND, "stop"}, {IDI_WARNING, "warning"}};
  for (const auto& [id, name] : icons)
    if (icon && icon == ::LoadIconA(nullptr, id)) kind = name;
  return GetText(box) + ": " + text + " (" + kind + ")";
}

// The visible top-level window of this thread of class `name` (a message
// box or dialog "#32770", a popup menu "#32768"), or null.
HWND Visible(const char* name) {
  return test::FindWhere(nullptr, [name](HWND w) { return ::IsWindowVisible(w) && test::ClassOf(w) == name; });
}

// "web" or "mail" highlighted, as underline and colour; "" for neither.
std::string Highlighted(HWND dialog) {
  std::string on;
  for (int link = 0; link < 2; ++link) {
    HWND label = FindControl(dialog, "lblWeb_" + std::to_string(link));
    const bool underlined = test::FontOf(label).lfUnderline != 0;
    EXPECT_EQ(test::TextColourOf(label), underlined ? RGB(255, 0, 0) : RGB(0, 0, 128)) << "link " << link;
    if (underlined) on += link == 0 ? "web" : "mail";
  }
  return on;
}

// The main window, shown, with the fake tool installed as chdman.exe, run by
// the real cmd.exe, and a scripted file dialog.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.InstallTool(QM_FAKE_CHDMAN, "chdman.exe");
    test::SetEnv("FAKE_CHDMAN_LOG", Utf8(tree_.log()));
    test::UnsetEnv("FAKE_CHDMAN_MODE");
    window_ = std::make_unique<frmMain>();
    window_->controller().SetRunnerSettings(test::Isolated(
        {Utf8(tree_.program()) + "\\", "chdman.exe", "automate.bat", Interpreter::Cmd, Utf8(tree_.privateFolder()) + "\\"}));
    files_ = test::ScriptedFileDialog({}, [this] { return ::IsWindowEnabled(control("fraToolbar")) != FALSE; });
    window_->controller().SetFileDialog(&files_);
    window_->about().setNavigator([this](const std::string& url) { opened_.push_back(url); });
    window_->Show();
    grid_ = control("MainGrid");
    test::PumpUntil([] { return false; }, 20);
  }

  HWND control(const std::string& name) { return FindControl(window_->hwnd(), name); }

  // Runs `inspect` on the open window: the main window as it is, a dialog
  // from inside its modal showing, opened as the main window opens it.
  void WithWindow(const std::string& window, const std::function<void(HWND)>& inspect) {
    if (window == "frmMain") return inspect(window_->hwnd());
    test::WhenShown shown(window, [&](HWND w) {
      inspect(w);
      ::PostMessageA(w, WM_CLOSE, 0, 0);
    });
    if (window == "frmSetCHS") window_->AskGeometry();
    if (window == "frmInfo") window_->about().ShowModal(window_->hwnd());
    EXPECT_TRUE(shown.ran());
  }

  std::vector<test::FakeToolCall> calls() const { return test::ReadFakeToolLog(Utf8(tree_.log())); }

  std::vector<std::string> column(int col) {
    std::vector<std::string> cells;
    for (int n = 1; n <= window_->jobTable().JobCount(); ++n) cells.push_back(window_->jobTable().Job(n)[col]);
    return cells;
  }

  fs::path image(const fs::path& relative) {
    fs::create_directories((tree_.data() / relative).parent_path());
    test::WriteAll(tree_.data() / relative, "original:" + relative.filename().string());
    return tree_.data() / relative;
  }

  // One click on `add` choosing these files in one selection.
  void add(const char* add, const std::vector<fs::path>& chosen) {
    files_.selections.emplace_back();
    for (const fs::path& p : chosen) files_.selections.back().push_back(Utf8(p));
    test::Click(control(add));
  }

  // Clicks "Avvia"; every message box of the batch is read and closed with OK.
  void runBatch() {
    HWND answered = nullptr;
    test::Every reader(5, [&] {
      HWND box = Visible("#32770");
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

  // Answers the next popup menu from inside its loop with the keyboard:
  // `downs` presses of the down arrow and Return, or Escape when negative.
  static test::Every AnswerMenu(int downs) {
    return test::Every(5, [downs] {
      HWND menu = Visible("#32768");
      if (!menu) return false;
      for (int i = 0; i < downs; ++i) ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
      ::PostMessageA(menu, WM_KEYDOWN, downs < 0 ? VK_ESCAPE : VK_RETURN, 0);
      return true;
    });
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

  // Clicks Info and runs `act` on the open dialog; true when `act` closed it,
  // false when it stayed open (it is then closed for the next test).
  bool withAbout(const std::function<void(HWND)>& act) {
    HWND seen = nullptr;
    bool acted = false, stayed = false;
    test::WhenShown shown("frmInfo", [&](HWND dialog) {
      seen = dialog;
      act(dialog);
      acted = true;
    });
    // A dialog that closes ends its loop right after the action, before this looks.
    test::Every check(20, [&] {
      if (!acted) return false;
      stayed = ::IsWindow(seen) && ::IsWindowVisible(seen);
      if (stayed) ::PostMessageA(seen, WM_CLOSE, 0, 0);
      return true;
    });
    test::Click(control("btnInfo"));
    EXPECT_TRUE(shown.ran());
    EXPECT_FALSE(::IsWindow(seen));  // every way of closing unloads the dialog
    EXPECT_TRUE(::IsWindowEnabled(window_->hwnd()));
    return !stayed;
  }

  test::TempTree tree_;
  test::ScriptedFileDialog files_;
  std::unique_ptr<frmMain> window_;  // gone before the dialog and the tree it uses
  std::vector<std::string> opened_;  // urls handed to the About dialog's opener
  std::vector<std::string> boxes_;
  HWND grid_ = nullptr;
};

int IconWidth(LRESULT handle) {
  const auto icon = reinterpret_cast<HICON>(handle);
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

class ControlTest : public WindowTest, public ::testing::WithParamInterface<test::DesignedControl> {};

// The table holds the designed values, and the control is built from it.
TEST_P(ControlTest, PlaceCaptionIdentityAndLook) {
  const test::DesignedControl& e = GetParam();
  const ControlSpec* c = SpecOf(e.window).Find(e.name, e.index);
  ASSERT_TRUE(c);
  WithWindow(e.window, [&](HWND top) {
    EXPECT_EQ(NameOf(top), e.window);
    HWND w = FindControl(top, ObjectNameOf(e.name, e.index));
    ASSERT_TRUE(w) << ObjectNameOf(e.name, e.index);
    EXPECT_EQ(NameOf(::GetParent(w)), e.parent);
    RECT r;
    ::GetWindowRect(w, &r);
    ::MapWindowPoints(nullptr, ::GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<int>{e.left, e.top, e.width, e.height}));
    EXPECT_EQ(::lstrcmpiA(test::ClassOf(w).c_str(), e.windowClass), 0) << test::ClassOf(w);
    EXPECT_TRUE(!e.text || GetText(w) == e.text) << GetText(w);
    EXPECT_TRUE(::IsWindowVisible(w) && ::IsWindowEnabled(w));

    // Controls that show text, in the table's font.
    if (c->kind != ControlKind::Frame && c->kind != ControlKind::Image && c->kind != ControlKind::ProgressBar) {
      const LOGFONTA font = test::FontOf(w);
      EXPECT_EQ(std::string(font.lfFaceName) + (font.lfWeight >= FW_BOLD ? " bold" : "") + (font.lfUnderline ? " underlined" : ""),
                std::string("MS Sans Serif") + (e.bold ? " bold" : ""));
      // The table's size, or smaller where the face here is wider (below).
      EXPECT_LE(-font.lfHeight, static_cast<int>(e.points * 96 / 72 + 0.5));
    }

    // With the face this system puts in for the table's, the caption fits:
    // a label's text within its width, a button's icon, gap and text within
    // its width less its edges; at 7 points or more, and no smaller or
    // narrower than it needs.
    if (e.text && *e.text) {
      const std::string text = ToAnsi(e.text);
      const bool button = c->kind == ControlKind::PushButton;
      const auto fits = [&](const LOGFONTA& font) {
        HFONT handle = ::CreateFontIndirectA(&font);
        HDC dc = ::GetDC(w);
        HGDIOBJ old = ::SelectObject(dc, handle);
        SIZE size{};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ::SelectObject(dc, old);
        ::ReleaseDC(w, dc);
        ::DeleteObject(handle);
        return size.cx + (button ? 16 + 4 : 0) <= e.width - (button ? 2 * ::GetSystemMetrics(SM_CXEDGE) + 4 : 0) &&
               size.cy <= e.height;
      };
      const LOGFONTA font = test::FontOf(w);
      EXPECT_TRUE(fits(font)) << text << " at " << font.lfHeight << " pixels, " << font.lfWidth << " wide";
      EXPECT_GE(-font.lfHeight, static_cast<int>(kMinCaptionPoints * 96 / 72 + 0.5));
      LOGFONTA larger = font;  // one step back towards the table's: wider, else taller
      if (font.lfWidth != 0) {
        larger.lfWidth = 0;
      } else if (-font.lfHeight < static_cast<int>(e.points * 96 / 72 + 0.5)) {
        --larger.lfHeight;
      }
      EXPECT_FALSE((larger.lfWidth != font.lfWidth || larger.lfHeight != font.lfHeight) && fits(larger)) << text;
    }

    const LONG style = ::GetWindowLongA(w, GWL_STYLE);
    const bool takesFocus = c->kind == ControlKind::PushButton || c->kind == ControlKind::TextBox ||
                            c->kind == ControlKind::Grid;
    EXPECT_EQ((style & WS_TABSTOP) != 0, takesFocus);
    if (c->kind == ControlKind::Label) {
      EXPECT_EQ(test::TextColourOf(w), e.navy ? RGB(0, 0, 128) : ::GetSysColor(COLOR_BTNTEXT));
      EXPECT_EQ(style & SS_TYPEMASK, static_cast<LONG>(c->align == TextAlign::Center ? SS_CENTER : SS_LEFT));
    }
    // A button's 16-pixel icon; an image's one 32-pixel picture at its natural size.
    if (const bool image = c->kind == ControlKind::Image; image || c->kind == ControlKind::PushButton) {
      EXPECT_EQ(IconWidth(::SendMessageA(w, image ? STM_GETICON : BM_GETIMAGE, image ? 0 : IMAGE_ICON, 0)), image ? 32 : 16);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(EveryControl, ControlTest, ::testing::ValuesIn(test::kDesignedControls), [](const auto& info) {
  return std::string(info.param.window) + "_" + ObjectNameOf(info.param.name, info.param.index);
});

class FrameTest : public WindowTest, public ::testing::WithParamInterface<test::DesignedWindow> {};

// Client size, caption, icon, a fixed frame with a close box and no minimize
// or maximize box, and the place a dialog opens at wherever the main window is:
// the geometry dialog over the main window, the About dialog on the screen.
// Tab visits the focusable controls in tab-index order, across frames, and
// wraps round.
TEST_P(FrameTest, FramePlaceAndTabOrder) {
  const test::DesignedWindow& f = GetParam();
  const std::string name = f.window;
  ::SetWindowPos(window_->hwnd(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT area{};
  if (name == "frmSetCHS") ::GetWindowRect(window_->hwnd(), &area);
  if (name == "frmInfo") ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  WithWindow(f.window, [&](HWND top) {
    RECT r;
    ::GetClientRect(top, &r);
    EXPECT_EQ((std::vector<int>{r.right, r.bottom}), (std::vector<int>{f.width, f.height}));
    ::GetWindowRect(top, &r);
    if (name != "frmMain") {
      EXPECT_LE(std::max(std::abs(r.left + r.right - area.left - area.right), std::abs(r.top + r.bottom - area.top - area.bottom)), 2);
    }
    EXPECT_EQ(GetText(top), f.caption);
    const LONG style = ::GetWindowLongA(top, GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_CAPTION | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_SYSMENU | WS_CAPTION);
    EXPECT_EQ(::SendMessageA(top, WM_GETICON, ICON_BIG, 0) != 0, f.icon);
    if (f.tabChain.empty()) return;
    for (const std::string& expected : f.tabChain) {
      EXPECT_EQ(NameOf(::GetFocus()), expected);
      test::PressKey(VK_TAB);
    }
    EXPECT_EQ(NameOf(::GetFocus()), f.tabChain.front());  // wraps round
  });
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, FrameTest, ::testing::ValuesIn(test::kDesignedWindows),
                         [](const auto& info) { return std::string(info.param.window); });

// Each add button asks through the window's dialogs with the tool bar off
// (the geometry typed key by key: only digits and backspace pass); the next
// showing starts empty with the focus in txtC; a click on a grid row and
// Rimuovi take that job off.
TEST_F(WindowTest, AddAndRemoveByClicks) {
  add("btnAggiungi_0", {"D:\\img\\a.chd"});
  files_.push("D:\\a\\disk.chd");
  files_.push("");  // the diff selection is cancelled
  test::Click(control("btnAggiungi_1"));
  std::vector<std::string> texts;
  for (const bool confirm : {true, false}) {
    test::WhenShown geometry("frmSetCHS", [&](HWND dialog) {
      for (const char* box : {"txtC", "txtH", "txtS"}) texts.push_back(GetText(FindControl(dialog, box)));
      texts.push_back(NameOf(::GetFocus()));
      if (!confirm) return test::PressKey(VK_ESCAPE);
      const std::pair<const char*, std::string_view> typed[] = {
          {"txtC", "1k0-245\b"}, {"txtH", "+\x16\x0d" "16."}, {"txtS", "6 x\xe8" "3"}};  // '\b' is backspace
      for (const auto& [box, keys] : typed)
        for (char c : keys) ::SendMessageA(FindControl(dialog, box), WM_CHAR, static_cast<unsigned char>(c), 1);
      test::Click(FindControl(dialog, "btnSetCHS"));
    });
    add("btnAggiungi_2", {confirm ? "D:\\img\\b.chd" : "D:\\img\\c.chd"});
    EXPECT_TRUE(geometry.ran());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"", "", "", "txtC", "", "", "", "txtC"}));
  EXPECT_EQ(files_.titles, (std::vector<std::string>{kChd, kChd, kDiff, kChd, kChd}));
  EXPECT_EQ(files_.toolbarEnabled, std::vector<bool>(5, false));
  EXPECT_TRUE(::IsWindowEnabled(control("fraToolbar")) && ::IsWindowEnabled(window_->hwnd()));
  const JobTable& table = window_->jobTable();
  EXPECT_EQ(column(kColArgs), (std::vector<std::string>{"-update a.chd a.tmp", "-setchs b.chd 1024 16 63 ",
                                                        "-setchs c.chd 1024 16 63 "}));
  test::ExpectViewMatchesGrid(grid_, table.grid());

  test::ClickCell(grid_, 2, 0);
  EXPECT_EQ(table.grid().Row(), 2);
  test::ClickCell(grid_, 0, 1);  // the header makes no row current
  EXPECT_EQ(table.grid().Row(), 0);
  test::ClickCell(grid_, 2, 0);
  test::Click(control("btnRimuovi"));
  EXPECT_EQ(column(kColImage), (std::vector<std::string>{"a.chd", "c.chd"}));
  test::ExpectViewMatchesGrid(grid_, table.grid());
}

// The system's dialog shows the request's title and file type; a typed file
// comes back as title and full path, Annulla as nothing.
TEST_F(WindowTest, SystemFileDialog) {
  const fs::path file = image("with blank\\patch one.diff");
  for (const OpenRequest* request : {&kDiffRequest, &kChdRequest}) {
    const bool choose = request == &kDiffRequest;
    std::string type;  // stays empty unless a dialog with the request's title shows
    test::WhenShown answer([&](HWND w) { return test::ClassOf(w) == "#32770" && GetText(w) == request->DialogTitle; },
                           [&](HWND dialog) {
                             type = GetText(::GetDlgItem(dialog, cmb1));
                             if (choose) ::SetDlgItemTextA(dialog, cmb13, ToAnsi(Utf8(file)).c_str());
                             ::PostMessageA(dialog, WM_COMMAND, choose ? IDOK : IDCANCEL, 0);
                           });
    const std::optional<FileChoice> choice = Win32FileOpenDialog(window_->hwnd()).Open(*request);
    EXPECT_EQ(type, request->Filter.substr(0, request->Filter.find('|')));
    EXPECT_EQ(::CommDlgExtendedError(), 0u);
    ASSERT_EQ(choice.has_value(), choose);
    if (!choose) continue;
    EXPECT_EQ(choice->FileTitle, "patch one.diff");
    EXPECT_EQ(test::PathOf(choice->FileName), file);
  }
}

struct Target {
  const char* name;
  const char* control;  // "" the dialog's own surface, in its left margin
  bool closes;
  std::vector<std::string> opened;
};

class AboutClicks : public WindowTest, public ::testing::WithParamInterface<Target> {};

// The pointer is clicked through the system's input, so the click reaches
// whatever window lies under it.
TEST_P(AboutClicks, ClosesOpensOrDoesNothing) {
  const Target& t = GetParam();
  const bool closed = withAbout([&](HWND dialog) {
    HWND w = *t.control ? FindControl(dialog, t.control) : dialog;
    ASSERT_TRUE(w);
    RECT r;
    ::GetClientRect(w, &r);
    test::ClickAt(w, *t.control ? r.right / 2 : 3, *t.control ? r.bottom / 2 : 100);
  });
  EXPECT_EQ(closed, t.closes);
  EXPECT_EQ(opened_, t.opened);
}

INSTANTIATE_TEST_SUITE_P(
    DialogAreas, AboutClicks,
    ::testing::Values(Target{"web_link", "lblWeb_0", true, {"http://" + std::string(about::kWebAddress)}},
                      Target{"credit_line", "lblInt_0", true, {}}, Target{"frame", "Frame1", true, {}},
                      Target{"margin", "", true, {}}, Target{"web_image", "imgWeb_3", false, {}}),
    test::RowName());

// Pointing at a link highlights it alone; leaving it restores both; the next
// showing starts in the design look even when closed while highlighted.
TEST_F(WindowTest, AboutHoverHighlightsOneLinkAndLeavingClearsIt) {
  std::vector<std::string> seen;
  withAbout([&](HWND dialog) {
    seen.push_back(Highlighted(dialog));
    test::MovePointer(FindControl(dialog, "lblWeb_0"), 10, 5);
    seen.push_back(Highlighted(dialog));
    test::MovePointer(FindControl(dialog, "Frame1"), 5, 5);
    test::PumpUntil([&] { return Highlighted(dialog).empty(); }, 1000);
    seen.push_back(Highlighted(dialog));
    test::MovePointer(FindControl(dialog, "lblWeb_1"), 10, 5);
    seen.push_back(Highlighted(dialog));
  });
  test::MovePointer(window_->hwnd(), 5, 5);  // away from where the links will stand
  withAbout([&](HWND dialog) { seen.push_back(Highlighted(dialog)); });
  EXPECT_EQ(seen, (std::vector<std::string>{"", "web", "", "mail", ""}));
}

// Several images in one selection are one job each. Clicks reach the
// controller and its batch reaches the controls: bars, label, locked
// buttons, the row marks and the message box; Annulla during the second job
// ends the batch there, with the window serviced throughout.
TEST_F(WindowTest, ABatchThroughTheWindowCancelledDuringTheSecondJob) {
  test::SetEnv("FAKE_CHDMAN_MODE", "slow=15");
  const fs::path hang = image("HANG.chd");
  add("btnAggiungi_0", {image("game.chd"), hang, image("b%.chd")});
  EXPECT_EQ(column(kColArgs), (std::vector<std::string>{"-update game.chd game.tmp", "-update HANG.chd HANG.tmp",
                                                        "-update b%.chd b%.tmp"}));
  test::ExpectViewMatchesGrid(grid_, window_->jobTable().grid());
  int highestTotal = 0, highestCurrentMax = 0;
  bool locked = true;
  std::vector<std::string> operations;
  test::Every sampler(1, [&] {
    if (!window_->runner().Running()) return false;
    highestTotal = std::max<int>(highestTotal, ::SendMessageA(control("pbTotal"), PBM_GETPOS, 0, 0));
    // The job bar's maximum once progress has come (before, it keeps its 100).
    if (::SendMessageA(control("pbCurrent"), PBM_GETPOS, 0, 0) > 0)
      highestCurrentMax = std::max<int>(highestCurrentMax, ::SendMessageA(control("pbCurrent"), PBM_GETRANGE, FALSE, 0));
    for (const char* name : {"btnComprimi", "btnRimuovi", "btnAggiungi_0", "btnAggiungi_1", "btnAggiungi_2"})
      locked = locked && !::IsWindowEnabled(control(name));
    operations.push_back(GetText(control("lblOperazione")));
    if (calls().size() == 2 && fs::exists(tree_.data() / "HANG.tmp")) test::Click(control("btnAnnulla"));
    return false;
  });
  runBatch();
  sampler.Stop();

  EXPECT_EQ(calls().size(), 2u);  // the third job never started
  EXPECT_EQ(boxes_, std::vector<std::string>{"Quillmere: Operazione annullata dall'utente. (stop)"});
  EXPECT_GE(highestTotal, 100) << "the batch bar never reached the end of the first job";
  EXPECT_EQ(highestCurrentMax, 10);  // 1000 hunks: a maximum of 1000 / 100
  EXPECT_TRUE(locked);
  EXPECT_NE(std::find(operations.begin(), operations.end(), "Update di 'game.chd'"), operations.end());
  EXPECT_EQ((std::vector{window_->jobTable().grid().Mark(1), window_->jobTable().grid().Mark(2)}),
            (std::vector{RowMark::Succeeded, RowMark::Cancelled}));
  EXPECT_EQ(test::ReadAll(hang), "original:HANG.chd");
  // Idle again.
  for (const char* name : {"btnAggiungi_0", "btnAggiungi_1", "btnAggiungi_2", "btnRimuovi", "btnComprimi",
                           "btnAnnulla", "btnInfo"})
    EXPECT_TRUE(::IsWindowEnabled(control(name))) << name;
  for (const char* bar : {"pbCurrent", "pbTotal"}) EXPECT_EQ(::SendMessageA(control(bar), PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(GetText(control("lblOperazione")), "");
  for (const test::FakeToolCall& call : calls()) EXPECT_FALSE(ProcessRunning(call.pid));
}

// The About dialog's own loop does not hold the batch up: the second job
// starts and the batch ends while the dialog stays open.
TEST_F(WindowTest, TheBatchGoesOnWhileTheAboutDialogIsOpen) {
  test::SetEnv("FAKE_CHDMAN_MODE", "slow=20");
  add("btnAggiungi_0", {image("first.chd"), image("second.chd")});
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
  EXPECT_EQ(boxes_, std::vector<std::string>{"Quillmere: Operazione terminata con successo. (information)"});
}

TEST_F(WindowTest, ClosingDuringABatchCancelsItQuietly) {
  const fs::path hang = image("HANG.chd");
  add("btnAggiungi_0", {hang});
  test::Every closer(10, [&] {
    if (calls().size() != 1) return false;
    ::PostMessageA(window_->hwnd(), WM_CLOSE, 0, 0);
    return true;
  });
  runBatch();
  EXPECT_TRUE(test::PumpUntil([&] { return window_->hwnd() == nullptr; }));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(test::ReadAll(hang), "original:HANG.chd");
  for (const test::FakeToolCall& call : calls()) EXPECT_FALSE(ProcessRunning(call.pid));
}

// A folder dropped on the middle of the table, as the shell drops it, offers
// the menu at the drop point: Escape queues nothing; the first item,
// "Update", queues the folder's images in name order.
TEST_F(WindowTest, ADroppedFolderQueuesItsImagesInNameOrder) {
  image("raccolta\\b\\z.chd");
  image("raccolta\\a.chd");
  image("raccolta\\note.txt");
  const std::wstring names = (tree_.data() / "raccolta").wstring() + L'\0' + L'\0';
  for (const int downs : {-1, 1}) {
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
    test::Every answer = AnswerMenu(downs);
    ::SendMessageW(window_->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(window_->jobTable().JobCount(), downs < 0 ? 0 : 2);
  }
  EXPECT_EQ(column(kColImage), (std::vector<std::string>{"a.chd", "z.chd"}));
  test::ExpectViewMatchesGrid(grid_, window_->jobTable().grid());
}

TEST_F(WindowTest, AFailedJobIsShownAndRunAgain) {
  add("btnAggiungi_0", {image("one.chd"), image("FAIL.chd")});
  runBatch();
  EXPECT_TRUE(boxes_.size() == 1 && boxes_[0].ends_with("(warning)")) << ::testing::PrintToString(boxes_);

  notifyRow(NM_DBLCLK, 2);
  HWND output = test::FindWhere(nullptr, [](HWND w) { return ::IsWindowVisible(w) && NameOf(w) == "frmOutput"; });
  ASSERT_NE(output, nullptr);
  HWND text = FindControl(output, "txtOutput");
  EXPECT_NE(GetText(text).find("Error: something failed"), std::string::npos) << GetText(text);
  EXPECT_TRUE(::GetWindowLongA(text, GWL_STYLE) & ES_READONLY);
  ::SendMessageA(output, WM_CLOSE, 0, 0);
  const test::Every removeSucceeded = AnswerMenu(6);  // the table menu's sixth item; stops once answered
  notifyRow(NM_RCLICK, 2);
  EXPECT_EQ(column(kColImage), std::vector<std::string>{"FAIL.chd"});

  runBatch();
  const auto all = calls();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].argv[2], "FAIL.chd");
}

}  // namespace
}  // namespace qm
