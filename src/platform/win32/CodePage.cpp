#include "platform/win32/CodePage.h"

#include <windows.h>

#include <climits>

namespace qm::win32 {
namespace {

int Length(std::size_t size) { return size > INT_MAX ? -1 : static_cast<int>(size); }

}  // namespace

std::optional<std::wstring> Widen(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int in = Length(utf8.size());
  if (in < 0) return std::nullopt;
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in, wide.data(), n) != n) {
    return std::nullopt;
  }
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int in = Length(wide.size());
  if (in < 0) return std::string();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string text(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, text.data(), n, nullptr, nullptr);
  return text;
}

std::optional<std::string> ToCodePage(std::string_view utf8, unsigned codePage) {
  const std::optional<std::wstring> wide = Widen(utf8);
  if (!wide) return std::nullopt;
  if (wide->empty()) return std::string();
  const UINT cp = codePage == CP_ACP ? ::GetACP() : codePage == CP_OEMCP ? ::GetOEMCP() : codePage;
  if (cp == CP_UTF8) return std::string(utf8);  // already checked above

  const int in = Length(wide->size());
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, wide->data(), in, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(n), '\0');
  if (::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, wide->data(), in, bytes.data(), n, nullptr, &usedDefault) != n ||
      usedDefault) {
    return std::nullopt;
  }
  // Some code pages map a character to another without reporting a default
  // (a look-alike); only a text that reads back the same is exact.
  const int back = ::MultiByteToWideChar(cp, 0, bytes.data(), n, nullptr, 0);
  std::wstring check(static_cast<std::size_t>(back > 0 ? back : 0), L'\0');
  if (back <= 0 || ::MultiByteToWideChar(cp, 0, bytes.data(), n, check.data(), back) != back || check != *wide) {
    return std::nullopt;
  }
  return bytes;
}

std::string FromCodePage(std::string_view bytes, unsigned codePage) {
  if (bytes.empty()) return std::string();
  const int in = Length(bytes.size());
  if (in < 0) return std::string();
  const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), in, nullptr, 0);
  if (n <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), in, wide.data(), n);
  return Narrow(wide);
}

std::string ErrorText(unsigned long error) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (n > 0 && buffer) text = Narrow(std::wstring_view(buffer, n));
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (text.empty()) text = "error";
  return text + " (" + std::to_string(error) + ")";
}

}  // namespace qm::win32
