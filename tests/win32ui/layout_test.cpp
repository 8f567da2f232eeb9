// The main window, the geometry dialog and the About dialog as built under
// Win32: every control's parent, place, size, caption (and that it fits),
// name, class, font and colour against the pixel values of the window designs;
// the windows' frames, client sizes and places; the focus order.

#include <gtest/gtest.h>

#include "DesignedWindows.h"
#include "UiTest.h"
#include "ui/CaptionFit.h"
#include "ui/Layout.h"

namespace qm {
namespace {

using test::FindControl;
using test::NameOf;
using test::ObjectNameOf;
using test::SpecOf;

using Expected = test::DesignedControl;

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

class ControlTest : public test::MainWindowTest, public ::testing::WithParamInterface<Expected> {};

// The table holds the designed values, and the control is built from it.
TEST_P(ControlTest, PlaceCaptionIdentityAndLook) {
  const Expected& e = GetParam();
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
    if (e.text) {
      EXPECT_EQ(GetText(w), e.text);
    }
    EXPECT_TRUE(::IsWindowVisible(w) && ::IsWindowEnabled(w));

    // Controls that show text, in the table's font.
    if (c->kind != ControlKind::Frame && c->kind != ControlKind::Image && c->kind != ControlKind::ProgressBar) {
      const LOGFONTA font = test::FontOf(w);
      EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
      // The table's size, or smaller where the face here is wider (below).
      EXPECT_LE(-font.lfHeight, static_cast<int>(e.points * 96 / 72 + 0.5));
      EXPECT_EQ(font.lfWeight >= FW_BOLD, e.bold);
      EXPECT_FALSE(font.lfUnderline);
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

class FrameTest : public test::MainWindowTest, public ::testing::WithParamInterface<test::DesignedWindow> {};

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
    std::vector<std::string> visited{NameOf(::GetFocus())};
    for (std::size_t i = 0; i < f.tabChain.size(); ++i) {
      test::PressKey(VK_TAB);
      visited.push_back(NameOf(::GetFocus()));
    }
    std::vector<std::string> expected = f.tabChain;
    expected.push_back(f.tabChain.front());
    EXPECT_EQ(visited, expected);
  });
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, FrameTest, ::testing::ValuesIn(test::kDesignedWindows),
                         [](const auto& info) { return std::string(info.param.window); });

}  // namespace
}  // namespace qm
