#pragma once
// The About dialog: the program's name and version in the caption (from the
// executable's version resource), a credit line and two links. One object
// serves every showing; each showing builds the window afresh in its design
// look. Pointing at a link underlines it in red, leaving it restores the navy
// look of both; clicking a link opens it and closes the dialog; clicking the
// background, the frame or a text line closes it; clicking an image does nothing.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/win32/TopWindow.h"

namespace qm {

class frmInfo : public TopWindow {
 public:
  // Opens a link; its failures are not reported.
  using Navigator = std::function<void(const std::string& url)>;

  frmInfo() = default;
  ~frmInfo() override { Destroy(); }

  // Opens links with `navigate` instead of the system's handler (qm::Navigate,
  // ShellExecuteA "open"); an empty function goes back to the system's handler.
  void setNavigator(Navigator navigate) { navigate_ = std::move(navigate); }

  // Shows the dialog modally, centred on the screen; `owner` takes no input
  // meanwhile. Returns when the dialog has closed.
  void ShowModal(HWND owner);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Pointer movement over a link, and the pointer leaving it.
  static LRESULT CALLBACK LinkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data);
  void SetHighlight(int link, bool on);
  void OpenLink(int link);
  void OnClick(HWND control);

  Navigator navigate_;
};

}  // namespace qm
