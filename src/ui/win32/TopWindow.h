#pragma once
// A top-level window of the program, built from its layout table: the table's
// caption and client size at the system's DPI, a fixed frame with a close box
// and no minimize or maximize box, every control inside. The messages of the
// window and of its frames arrive at OnMessage. Every loop of the program
// (the main loop, the modal loops, the batch's service of the window) routes
// its messages through Dispatch, so Tab follows the table's tab order.

#include <windows.h>

#include <memory>

#include "ui/Layout.h"
#include "ui/win32/Owned.h"
#include "ui/win32/Win32Layout.h"

namespace qm {

class TopWindow {
 public:
  TopWindow() = default;
  virtual ~TopWindow();
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;

  // Null while the window does not exist (before creation, after closing).
  HWND hwnd() const { return window_.get(); }

  // Registers the window classes and the common controls; done by the first
  // window, callable early.
  static void InitClasses();

  // Routes one message: Tab and Shift+Tab in tab-index order, the dialog keys
  // (Escape arrives as IDCANCEL), then translation and dispatch.
  static void Dispatch(MSG& msg);
  // Handles every message already waiting, then returns. A WM_QUIT met on the
  // way is posted again for the loop that owns it.
  static void DispatchPending();

 protected:
  // Creates the window hidden, with its controls. `owner` (may be null) keeps
  // a dialog above the window it was opened from.
  void Create(const WindowSpec& spec, HWND owner);
  // Destroys the window and its controls; harmless when there is none.
  void Destroy();

  // Shows the window and runs its own loop until EndModal or until the window
  // is destroyed; `owner` takes no input meanwhile. The window is destroyed
  // at the end, so the next showing loads it afresh.
  void RunModal(HWND owner);
  void EndModal();

  // The controls; only while built() (from creation until the window goes).
  Win32Layout& layout() const { return *layout_; }
  bool built() const { return layout_ != nullptr; }

  // The window's messages; the default handles activation, focus, colours
  // and passes the rest to the system.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static TopWindow* FromHandle(HWND hwnd);
  bool PreTranslate(MSG& msg);

  OwnedWindow window_;
  std::unique_ptr<Win32Layout> layout_;
  HWND lastFocus_ = nullptr;
  bool modal_ = false;
};

}  // namespace qm
