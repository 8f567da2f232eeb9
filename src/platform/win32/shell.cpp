#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/CodePage.h"

namespace qm {

// A link with no ANSI form is not opened; the shell's own failures are its to show.
void Navigate(const std::string& url) {
  const std::optional<std::string> ansi = win32::ToCodePage(url, CP_ACP);
  if (!ansi || ansi->empty()) return;
  ::ShellExecuteA(nullptr, "open", ansi->c_str(), "", "", SW_SHOWNORMAL);
}

}  // namespace qm
