#pragma once
// Opening a web or mail link with the program the system associates with it.

#include <string>

namespace qm {

// Asks the system to open `url` ("http://...", "mailto:...") and returns at
// once; every failure is ignored. Windows: ShellExecuteA "open", shown
// normally. POSIX: xdg-open, started detached with no terminal streams.
void Navigate(const std::string& url);

}  // namespace qm
