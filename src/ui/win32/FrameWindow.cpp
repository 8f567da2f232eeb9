#include "ui/win32/FrameWindow.h"

namespace qm {
namespace {

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return ::SendMessageA(::GetAncestor(frame, GA_ROOT), message, wParam, lParam);
    case WM_LBUTTONDOWN:
      ::SendMessageA(::GetAncestor(frame, GA_ROOT), WM_COMMAND,
                     MAKEWPARAM(::GetDlgCtrlID(frame), STN_CLICKED), reinterpret_cast<LPARAM>(frame));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(frame, &paint);
      RECT border;
      ::GetClientRect(frame, &border);
      ::FrameRect(dc, &border, ::GetSysColorBrush(COLOR_BTNSHADOW));
      ::EndPaint(frame, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcA(frame, message, wParam, lParam);
  }
}

}  // namespace

void RegisterFrameClass() {
  static const ATOM atom = [] {
    WNDCLASSEXA frameClass{};
    frameClass.cbSize = sizeof frameClass;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = ::GetModuleHandleA(nullptr);
    frameClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kFrameClass;
    return ::RegisterClassExA(&frameClass);
  }();
  (void)atom;
}

}  // namespace qm
