#pragma once
// The geometry dialog: cylinders, heads and sectors typed as digits. One
// object serves every showing; each showing builds the window afresh, with
// empty boxes and the focus in txtC, and closing it unloads it.

#include <windows.h>

#include <optional>

#include "dialogs/Chs.h"
#include "ui/win32/TopWindow.h"

namespace qm {

class frmSetCHS : public TopWindow {
 public:
  frmSetCHS() = default;
  ~frmSetCHS() override { Destroy(); }

  // Shows the dialog modally, centred over `owner`, which takes no input
  // meanwhile. The confirmed geometry, or nullopt when closed another way.
  std::optional<ChsGeometry> Ask(HWND owner);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The boxes' character filter (FilterChsChar) on WM_CHAR.
  static LRESULT CALLBACK FilterProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
  void Confirm();

  std::optional<ChsGeometry> confirmed_;
};

}  // namespace qm
