#pragma once
// Quoting of file names for the command interpreter that runs the batch file,
// so that the tool receives each name as exactly one argument and nothing in a
// name is executed. A name that needs no quoting is returned unchanged.

#include <string>
#include <string_view>

namespace qm {

enum class Interpreter {
  Cmd,         // the Windows command interpreter running a .bat file
  PosixShell,  // /bin/sh running a shell script
};

// True when `name` must be quoted to stay one inert argument for `interp`.
bool NeedsQuoting(std::string_view name, Interpreter interp);

// For Cmd: wrapped in double quotes, embedded quotes doubled and backslashes
// before a quote doubled, which both cmd.exe (quote state never drops) and the
// C runtime's argument splitter read back as the original text. "%" is left
// alone: doubling it belongs to the batch-file writer.
// For PosixShell: wrapped in single quotes, each ' written as '\''.
std::string QuoteName(std::string_view name, Interpreter interp);

}  // namespace qm
