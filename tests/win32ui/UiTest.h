#pragma once
// Driving the real Win32 windows in-process: windows found by the name their
// layout gives them, messages pumped through the program's own dispatch, the
// pointer moved through the system's input, actions run from a timer inside a
// modal loop.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestSystem.h"
#include "jobs/Grid.h"
#include "ui/win32/TopWindow.h"
#include "ui/win32/Win32Layout.h"
#include "ui/win32/WindowText.h"

namespace qm::test {

using Clock = std::chrono::steady_clock;

// The name a layout gave a window ("frmMain", "btnAggiungi_0"); "" for others.
inline std::string NameOf(HWND w) {
  const auto* name = static_cast<const char*>(::GetPropA(w, Win32Layout::kNameProperty));
  return name ? name : "";
}

inline std::string ClassOf(HWND w) {
  char name[64] = "";
  ::GetClassNameA(w, name, sizeof name);
  return name;
}

// The first descendant of `parent` (null: visible top-level window of this
// thread) that `match` accepts, or null.
inline HWND FindWhere(HWND parent, const std::function<bool(HWND)>& match) {
  std::pair<const std::function<bool(HWND)>*, HWND> search{&match, nullptr};
  auto visit = [](HWND w, LPARAM data) -> BOOL {
    auto* s = reinterpret_cast<decltype(search)*>(data);
    if (!(*s->first)(w)) return TRUE;
    s->second = w;
    return FALSE;
  };
  const auto data = reinterpret_cast<LPARAM>(&search);
  parent ? ::EnumChildWindows(parent, visit, data) : ::EnumThreadWindows(::GetCurrentThreadId(), visit, data);
  return search.second;
}

inline HWND FindControl(HWND top, const std::string& name) {
  return FindWhere(top, [&](HWND w) { return NameOf(w) == name; });
}

// Handles the window messages until `done` holds or `ms` have passed.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  do {
    TopWindow::DispatchPending();
    ::Sleep(1);
  } while (!done() && Clock::now() < end);
  return done();
}

inline void Click(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }

// A key pressed in the control with the focus, as the keyboard delivers it.
inline void PressKey(UINT key) {
  ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 1);
  ::PostMessageA(::GetFocus(), WM_KEYUP, key, 0xC0000001);
  TopWindow::DispatchPending();
}

// The pointer moved to `x`, `y` of `w`'s client area through the system's
// input, and a left click there: it reaches whatever window lies under it.
// Each event carries its place, so a late report of an earlier place cannot
// move a click; a move waits until the pointer has stayed there a while.
inline void SendPointer(HWND w, int x, int y, DWORD buttons) {
  POINT p{x, y};
  ::ClientToScreen(w, &p);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = ::MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
  ::SendInput(1, &input, sizeof input);
  int steady = 0;
  PumpUntil([&] {
    POINT at;
    steady = ::GetCursorPos(&at) && at.x == p.x && at.y == p.y ? steady + 1 : 0;
    return steady >= 30;
  }, 2000);
}
inline void MovePointer(HWND w, int x, int y) { SendPointer(w, x, y, 0); }
inline void ClickAt(HWND w, int x, int y) {
  for (const DWORD buttons : {DWORD{0}, DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_LEFTUP}}) SendPointer(w, x, y, buttons);
}

// Runs `tick` every `ms` from a thread timer, which every loop of the thread
// serves (modal loops, message boxes), until it returns true or this goes.
class Every {
 public:
  Every(int ms, std::function<bool()> tick) : tick_(std::move(tick)) {
    id_ = ::SetTimer(nullptr, 0, static_cast<UINT>(ms), Proc);
    Timers()[id_] = this;
  }
  ~Every() { Stop(); }
  void Stop() {
    if (id_) ::KillTimer(nullptr, id_);
    Timers().erase(id_);
    id_ = 0;
  }

 private:
  static std::map<UINT_PTR, Every*>& Timers() {
    static std::map<UINT_PTR, Every*> timers;
    return timers;
  }
  static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = Timers().find(id);
    if (found == Timers().end() || found->second->busy_) return;  // a tick that runs a loop of its own
    Every* self = found->second;
    self->busy_ = true;
    const bool done = self->tick_();
    self->busy_ = false;
    if (done) self->Stop();
  }
  std::function<bool()> tick_;
  UINT_PTR id_ = 0;
  bool busy_ = false;
};

// Acts once on the first enabled top-level window `match` accepts, from
// inside the loop that shows it. After five seconds without one it records a
// failure and asks every window but the main one to close, so no loop sticks.
class WhenShown {
 public:
  WhenShown(std::function<bool(HWND)> match, std::function<void(HWND)> act)
      : start_(Clock::now()), timer_(5, [this, match, act] {
          HWND w = FindWhere(nullptr, [&](HWND t) { return ::IsWindowVisible(t) && match(t); });
          if (w && ::IsWindowEnabled(w)) {
            ran_ = true;
            act(w);
            return true;
          }
          if (Clock::now() - start_ < std::chrono::seconds(5)) return false;
          ADD_FAILURE() << "the expected window did not show";
          FindWhere(nullptr, [](HWND t) {
            if (::IsWindowVisible(t) && NameOf(t) != "frmMain") ::PostMessageA(t, WM_CLOSE, 0, 0);
            return false;
          });
          return true;
        }) {}
  // A window of the program by its layout name ("frmSetCHS", "frmInfo").
  WhenShown(const std::string& name, std::function<void(HWND)> act)
      : WhenShown([name](HWND w) { return NameOf(w) == name; }, std::move(act)) {}
  bool ran() const { return ran_; }

 private:
  Clock::time_point start_;
  bool ran_ = false;
  Every timer_;
};

// The font a control draws with.
inline LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The text colour the window sets for a static control, as it would draw it.
inline COLORREF TextColourOf(HWND control) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  ::SetTextColor(dc, RGB(1, 2, 3));
  ::SendMessageA(::GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control));
  const COLORREF colour = ::GetTextColor(dc);
  ::DeleteDC(dc);
  return colour;
}

// The list view shows exactly the grid: rows, texts, header and the current row.
inline void ExpectViewMatchesGrid(HWND list, const Grid& grid) {
  ASSERT_EQ(ListView_GetItemCount(list), grid.Rows() - 1);
  for (int r = 0; r < grid.Rows(); ++r) {
    for (int c = 0; c < grid.Cols(); ++c) {
      char text[512] = "";
      LVCOLUMNA header{};
      header.mask = LVCF_TEXT;
      header.pszText = text;
      header.cchTextMax = sizeof text;
      if (r == 0) ListView_GetColumn(list, c, &header);
      if (r > 0) ListView_GetItemText(list, r - 1, c, text, sizeof text);
      EXPECT_EQ(FromAnsi(text), grid.TextMatrix(r, c)) << r << "," << c;
    }
  }
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), grid.Row() - 1);
}

// A click on the first cell of grid row `row` of the list view, or on the
// header's column `col` when `row` is 0.
inline void ClickCell(HWND list, int row, int col = 0) {
  RECT r{};
  HWND target = row == 0 ? ListView_GetHeader(list) : list;
  if (row == 0) ::SendMessageA(target, HDM_GETITEMRECT, col, reinterpret_cast<LPARAM>(&r));
  if (row > 0) ListView_GetItemRect(list, row - 1, &r, LVIR_LABEL);
  ClickAt(target, (r.left + r.right) / 2, (r.top + r.bottom) / 2);  // clear of the header's dividers
}

}  // namespace qm::test
