#include "ui/win32/WindowText.h"

#include "platform/win32/CodePage.h"

namespace qm {

std::string ToAnsi(std::string_view utf8) {
  if (std::optional<std::string> exact = win32::ToCodePage(utf8, CP_ACP)) return *exact;
  // Not valid UTF-8, or not all of it has an ANSI form: show what can be shown.
  std::wstring wide;
  if (std::optional<std::wstring> decoded = win32::Widen(utf8)) {
    wide = std::move(*decoded);
  } else {
    for (unsigned char c : utf8) wide += static_cast<wchar_t>(c);  // bytes as Latin-1
  }
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
  if (n <= 0) return {};
  std::string ansi(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
  return ansi;
}

std::string FromAnsi(std::string_view ansi) { return win32::FromCodePage(ansi, CP_ACP); }

void SetText(HWND window, std::string_view utf8) { ::SetWindowTextA(window, ToAnsi(utf8).c_str()); }

std::string GetText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string ansi(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(window, ansi.data(), length + 1);
  ansi.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return FromAnsi(ansi);
}

}  // namespace qm
