#include "ui/win32/OutputWindow.h"

#include <string>

#include "platform/win32/CodePage.h"
#include "ui/win32/Win32Layout.h"

namespace qm {
namespace {

constexpr const wchar_t* kOutputClass = L"QuillmereOutput";
constexpr int kEditId = 1;

LRESULT CALLBACK OutputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                        ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                    0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                                    ::GetModuleHandleW(nullptr), nullptr);
      if (!edit) return -1;
      ::SetPropA(edit, Win32Layout::kNameProperty, const_cast<char*>("txtOutput"));
      ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
      ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // no limit below the system's
      return 0;
    }
    case WM_SIZE:
      ::MoveWindow(::GetDlgItem(window, kEditId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      ::SetFocus(::GetDlgItem(window, kEditId));
      return 0;
    case WM_DESTROY:
      ::RemovePropA(::GetDlgItem(window, kEditId), Win32Layout::kNameProperty);
      ::RemovePropA(window, Win32Layout::kNameProperty);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// The edit control breaks lines only at "\r\n".
std::wstring EditText(std::string_view utf8) {
  std::string crlf;
  crlf.reserve(utf8.size() + utf8.size() / 32);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r')) crlf += '\r';
    crlf += utf8[i];
  }
  // Output that is not valid UTF-8 is shown byte for byte.
  if (std::optional<std::wstring> wide = win32::Widen(crlf)) return *wide;
  return std::wstring(crlf.begin(), crlf.end());
}

}  // namespace

HWND OpenOutputWindow(HWND owner, std::string_view title, std::string_view text) {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = OutputProc;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = kOutputClass;
    return ::RegisterClassExW(&type) != 0;
  }();
  if (!registered) return nullptr;
  const std::wstring caption = win32::Widen(title).value_or(L"");
  HWND window = ::CreateWindowExW(0, kOutputClass, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  640, 420, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!window) return nullptr;
  ::SetPropA(window, Win32Layout::kNameProperty, const_cast<char*>("frmOutput"));
  ::SetWindowTextW(::GetDlgItem(window, kEditId), EditText(text).c_str());
  ::ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

}  // namespace qm
