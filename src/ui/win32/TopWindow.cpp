#include "ui/win32/TopWindow.h"

#include <commctrl.h>

#include "ui/win32/FrameWindow.h"
#include "ui/win32/WindowText.h"

namespace qm {
namespace {

constexpr const char* kWindowClass = "QuillmereWindow";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

ATOM g_windowClass = 0;

}  // namespace

void TopWindow::InitClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    RegisterFrameClass();
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    g_windowClass = ::RegisterClassExA(&windowClass);
    return true;
  }();
  (void)done;
}

TopWindow::~TopWindow() { Destroy(); }

void TopWindow::Create(const WindowSpec& spec, HWND owner) {
  InitClasses();
  Destroy();
  const int dpi = Win32Layout::SystemDpi();
  RECT frame{0, 0, Win32Layout::Pixels(spec.clientWidth, dpi), Win32Layout::Pixels(spec.clientHeight, dpi)};
  const DWORD style = kStyle | (owner ? WS_POPUP : WS_OVERLAPPED);
  const DWORD exStyle = kExStyle | (owner ? WS_EX_DLGMODALFRAME : 0);
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const std::string caption = ToAnsi(spec.caption);
  HWND hwnd = ::CreateWindowExA(exStyle, kWindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                                ::GetModuleHandleA(nullptr), this);
  window_.reset(hwnd);
  if (hwnd) layout_ = std::make_unique<Win32Layout>(spec, hwnd);
}

void TopWindow::Destroy() {
  window_.reset();  // the controls go with it, before the fonts they use
  layout_.reset();
  lastFocus_ = nullptr;
}

void TopWindow::RunModal(HWND owner) {
  if (!window_.valid()) return;
  const bool ownerEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(hwnd(), SW_SHOW);
  modal_ = true;
  MSG msg;
  while (modal_ && window_.valid()) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
      break;
    }
    if (got < 0) break;
    Dispatch(msg);
  }
  modal_ = false;
  // The owner takes input again before the dialog goes, so it becomes active.
  if (ownerEnabled) ::EnableWindow(owner, TRUE);
  Destroy();
}

void TopWindow::EndModal() {
  modal_ = false;
  if (window_.valid()) ::PostMessageA(hwnd(), WM_NULL, 0, 0);  // wakes the loop
}

TopWindow* TopWindow::FromHandle(HWND hwnd) {
  if (!hwnd || !g_windowClass || ::GetClassLongPtrA(hwnd, GCW_ATOM) != g_windowClass) return nullptr;
  return reinterpret_cast<TopWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

bool TopWindow::PreTranslate(MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && layout_ &&
      layout_->MoveFocus(::GetKeyState(VK_SHIFT) < 0))
    return true;
  return ::IsDialogMessageA(hwnd(), &msg) != FALSE;
}

void TopWindow::Dispatch(MSG& msg) {
  if (msg.hwnd) {
    TopWindow* top = FromHandle(::GetAncestor(msg.hwnd, GA_ROOT));
    if (top && top->window_.valid() && top->PreTranslate(msg)) return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
}

void TopWindow::DispatchPending() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

LRESULT CALLBACK TopWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TopWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  if (!self->window_.valid()) self->window_.reset(hwnd);  // messages of CreateWindowEx itself
  const LRESULT result = self->OnMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->window_.release();  // the system has destroyed it
    self->lastFocus_ = nullptr;
  }
  return result;
}

LRESULT TopWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // The focus leaves with the window and comes back to the same control.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd(), focus)) lastFocus_ = focus;
        return 0;
      }
      [[fallthrough]];
    case WM_SETFOCUS: {
      HWND target = lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(hwnd(), lastFocus_) ? lastFocus_ : nullptr;
      if (!target && layout_) target = layout_->FirstFocus();
      if (target && ::IsWindowEnabled(target)) ::SetFocus(target);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      if (layout_)
        return reinterpret_cast<LRESULT>(
            layout_->ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd(), message, wParam, lParam);
}

}  // namespace qm
