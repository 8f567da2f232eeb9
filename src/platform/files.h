#pragma once
// Files and folders the batch runner needs.

#include <string>

namespace qm {

// The folder of the running executable, ending in the separator ("/" or "\";
// a drive root such as "C:\" keeps a single one).
std::string ProgramFolder();

// Name of the tool's executable on this system: "chdman" or "chdman.exe".
std::string ToolFileName();
// Name of the per-job batch file: "automate.sh" or "automate.bat".
std::string BatchFileName();

bool FileExists(const std::string& path);
// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& path);
// Renames a file; never replaces an existing `to`. False when nothing moved.
bool RenameFile(const std::string& from, const std::string& to);

// Replaces `path` with `text` (bytes as given). Refuses to follow a symbolic
// link at `path`. Returns an empty string on success, else what failed.
std::string WriteTextFile(const std::string& path, const std::string& text);

// A folder private to the user (created owner-only when missing), ending in the
// separator, for the batch file when the program folder cannot be written.
// Empty when none can be had.
std::string PrivateFolder();

}  // namespace qm

#include <optional>
namespace qm {
// The batch text (UTF-8) in the encoding the interpreter reads: unchanged on
// POSIX, the OEM code page on Windows. nullopt when a character has no
// representation there, so no job runs on a mangled name.
std::optional<std::string> EncodeBatchText(const std::string& utf8);
}  // namespace qm
