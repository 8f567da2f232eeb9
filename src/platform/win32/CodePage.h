#pragma once
// Text crossing into Windows: the program keeps UTF-8, the system takes UTF-16
// or a code page. Private to the Windows platform layer.

#include <optional>
#include <string>
#include <string_view>

namespace qm::win32 {

// UTF-16 of a UTF-8 text; nullopt when the text is not valid UTF-8.
std::optional<std::wstring> Widen(std::string_view utf8);

// UTF-8 of a UTF-16 text (an unpaired surrogate becomes U+FFFD).
std::string Narrow(std::wstring_view wide);

// The UTF-8 text in `codePage` (CP_ACP, CP_OEMCP or a number). nullopt when
// the text is not valid UTF-8 or a character has no exact representation
// there: no best-fit letter, no default "?" ever stands in for a name.
std::optional<std::string> ToCodePage(std::string_view utf8, unsigned codePage);

// The bytes of `codePage` as UTF-8.
std::string FromCodePage(std::string_view bytes, unsigned codePage);

// The system's text for an error code, on one line, followed by " (N)".
std::string ErrorText(unsigned long error);

}  // namespace qm::win32
