#pragma once
// The process's environment, and finding programs in it.

#include <optional>
#include <string>

namespace qm {

// An environment variable as UTF-8; nullopt when unset.
std::optional<std::string> GetEnvironment(const std::string& name);

// Sets a variable (UTF-8) for this process and the children it starts.
void SetEnvironment(const std::string& name, const std::string& value);

// Separator of PATH entries: ':' or ';'.
char PathListSeparator();

// A regular file this process may run (POSIX: with execute permission;
// Windows: any file, the system decides by its name).
bool IsExecutableFile(const std::string& path);

}  // namespace qm
