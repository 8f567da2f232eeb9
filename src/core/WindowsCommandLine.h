#pragma once
// Composing a Windows command line that the C runtime of the started program
// splits back into exactly the given arguments.

#include <string>
#include <vector>

namespace qm {

// One argument, quoted when it is empty or holds a blank, tab or quote: inside
// quotes a run of backslashes is doubled before a quote and at the end, and a
// quote is escaped with a backslash.
std::string QuoteWindowsArgument(const std::string& argument);

// The program (always quoted) followed by the quoted arguments, one blank apart.
std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace qm
