#pragma once
// A window showing a text to read and copy: a read-only multiline edit
// ("txtOutput") filling a resizable top-level window ("frmOutput").

#include <windows.h>

#include <string_view>

namespace qm {

// Opens the window (UTF-8 texts) in front of `owner`. It goes when the user
// closes it, or with its owner: the system destroys owned windows first.
HWND OpenOutputWindow(HWND owner, std::string_view title, std::string_view text);

}  // namespace qm
