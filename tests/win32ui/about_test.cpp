// The About dialog through the main window's Info button (its caption is
// checked with the windows' frames): the links it opens, hover highlight and
// its clearing, and what a click on each part of the dialog does. The pointer is moved and
// clicked as the user would, through the system's input, so the clicks reach
// whatever window lies under the pointer.

#include <gtest/gtest.h>

#include "RowName.h"
#include "UiTest.h"
#include "dialogs/About.h"
#include "dialogs/win32/frmInfo.h"

namespace qm {
namespace {

using test::FindControl;

// "web" or "mail" highlighted, as underline and colour; "" for neither.
std::string Highlighted(HWND dialog) {
  std::string on;
  for (int link = 0; link < 2; ++link) {
    HWND label = FindControl(dialog, "lblWeb_" + std::to_string(link));
    const bool underlined = test::FontOf(label).lfUnderline != 0;
    const COLORREF colour = test::TextColourOf(label);
    EXPECT_EQ(colour, underlined ? RGB(255, 0, 0) : RGB(0, 0, 128)) << "link " << link;
    if (underlined) on += link == 0 ? "web" : "mail";
  }
  return on;
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<frmMain>();
    window_->about().setNavigator([this](const std::string& url) { opened_.push_back(url); });
    window_->Show();
    test::Pump(20);
  }
  void TearDown() override { window_.reset(); }

  // Clicks Info and runs `act` on the open dialog; true when `act` closed it,
  // false when it stayed open (it is then closed for the next test).
  bool WithDialog(const std::function<void(HWND)>& act) {
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
    test::Click(FindControl(window_->hwnd(), "btnInfo"));
    EXPECT_TRUE(shown.ran());
    EXPECT_FALSE(::IsWindow(seen));  // every way of closing unloads the dialog
    EXPECT_TRUE(::IsWindowEnabled(window_->hwnd()));
    return !stayed;
  }

  std::unique_ptr<frmMain> window_;
  std::vector<std::string> opened_;
};

struct Target {
  const char* name;
  const char* control;  // "" the dialog's own surface, in its left margin
  bool closes;
  std::vector<std::string> opened;
};
void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }

class ClickTarget : public AboutTest, public ::testing::WithParamInterface<Target> {};

TEST_P(ClickTarget, ClosesOpensOrDoesNothing) {
  const Target& t = GetParam();
  const bool closed = WithDialog([&](HWND dialog) {
    if (*t.control == '\0') {
      test::ClickAt(dialog, 3, 100);
    } else {
      HWND w = FindControl(dialog, t.control);
      ASSERT_TRUE(w);
      RECT r;
      ::GetClientRect(w, &r);
      test::ClickAt(w, r.right / 2, r.bottom / 2);
    }
  });
  EXPECT_EQ(closed, t.closes);
  EXPECT_EQ(opened_, t.opened);
}

const std::string kWeb(about::kWebAddress), kMail(about::kMailAddress);

INSTANTIATE_TEST_SUITE_P(
    Parts, ClickTarget,
    ::testing::Values(Target{"web_link", "lblWeb_0", true, {"http://" + kWeb}},
                      Target{"mail_link", "lblWeb_1", true, {"mailto:" + kMail}},
                      Target{"credit_line", "lblInt_0", true, {}},
                      Target{"frame", "Frame1", true, {}},
                      Target{"margin", "", true, {}},
                      Target{"web_image", "imgWeb_3", false, {}}),
    test::RowName());

// Pointing at a link highlights it alone; leaving it restores both; the next
// showing starts in the design look even when closed while highlighted.
TEST_F(AboutTest, HoverHighlightsOneLinkAndLeavingClearsIt) {
  std::vector<std::string> seen;
  WithDialog([&](HWND dialog) {
    HWND frame = FindControl(dialog, "Frame1");
    seen.push_back(Highlighted(dialog));
    test::MovePointer(FindControl(dialog, "lblWeb_0"), 10, 5);
    seen.push_back(Highlighted(dialog));
    test::MovePointer(frame, 5, 5);
    test::PumpUntil([&] { return Highlighted(dialog).empty(); }, 1000);
    seen.push_back(Highlighted(dialog));
    test::MovePointer(FindControl(dialog, "lblWeb_1"), 10, 5);
    seen.push_back(Highlighted(dialog));
  });
  // The pointer away from where the links will stand.
  test::MovePointer(window_->hwnd(), 5, 5);
  WithDialog([&](HWND dialog) { seen.push_back(Highlighted(dialog)); });
  EXPECT_EQ(seen, (std::vector<std::string>{"", "web", "", "mail", ""}));
}

}  // namespace
}  // namespace qm
