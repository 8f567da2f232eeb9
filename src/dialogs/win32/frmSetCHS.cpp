#include "dialogs/win32/frmSetCHS.h"

#include <commctrl.h>

#include "dialogs/DialogLayouts.h"
#include "ui/win32/WindowText.h"

namespace qm {
namespace {

constexpr const char* kBoxes[] = {"txtC", "txtH", "txtS"};

}  // namespace

std::optional<ChsGeometry> frmSetCHS::Ask(HWND owner) {
  Create(SetChsLayout(), owner);
  if (!hwnd()) return std::nullopt;
  // The load handler: the three boxes empty, in this order.
  for (const char* name : kBoxes) {
    HWND box = layout().Control(name);
    SetText(box, "");
    ::SetWindowSubclass(box, FilterProc, 1, 0);
  }
  confirmed_.reset();
  layout().Place(owner);
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetFocus(layout().Control("txtC"));
  RunModal(owner);
  return confirmed_;
}

LRESULT CALLBACK frmSetCHS::FilterProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR) {
  if (message == WM_CHAR && FilterChsChar(static_cast<int>(wParam)) == 0) return 0;  // discarded
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, FilterProc, id);
  return ::DefSubclassProc(box, message, wParam, lParam);
}

void frmSetCHS::Confirm() {
  confirmed_ = ConfirmChs(GetText(layout().Control("txtC")), GetText(layout().Control("txtH")),
                          GetText(layout().Control("txtS")));
  EndModal();
}

LRESULT frmSetCHS::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!built()) return TopWindow::OnMessage(message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {  // Escape
        EndModal();
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == layout().Control("btnSetCHS")) {
        Confirm();
        return 0;
      }
      break;
    case WM_CLOSE:
      EndModal();  // closed without confirming: the geometry stays as it was
      return 0;
    default:
      break;
  }
  return TopWindow::OnMessage(message, wParam, lParam);
}

}  // namespace qm
