#pragma once
// Window text: the program keeps UTF-8, the windows take the ANSI code page.

#include <windows.h>

#include <string>
#include <string_view>

namespace qm {

// The text in the ANSI code page; a character without an ANSI form becomes
// the code page's default character (shown, never used as a name).
std::string ToAnsi(std::string_view utf8);
// ANSI text, as the windows and the file dialog give it, as UTF-8.
std::string FromAnsi(std::string_view ansi);

void SetText(HWND window, std::string_view utf8);
std::string GetText(HWND window);

}  // namespace qm
