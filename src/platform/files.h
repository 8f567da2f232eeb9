#pragma once
// Files and folders the batch runner needs.

#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/handle.h"

namespace qm {

// Full path of the running executable; empty when the system does not tell.
std::string ExecutablePath();

// The folder of the running executable, ending in the separator ("/" or "\";
// a drive root such as "C:\" keeps a single one). Empty when the system does
// not tell.
std::string ProgramFolder();

// Name of the tool's executable on this system: "chdman" or "chdman.exe".
std::string ToolFileName();
// Name of the bridge beside the program: "quillmere-chdman-bridge" (".exe").
std::string BridgeFileName();
// Name of the batch file kept after a batch: "automate.sh" or "automate.bat".
std::string BatchFileName();

// True when something has the name (a dangling link, a file that cannot be
// looked at): the name is taken.
bool FileExists(const std::string& path);
Result<void> RemoveFile(const std::string& path);
// Renames a file; never replaces an existing `to`.
Result<void> RenameFile(const std::string& from, const std::string& to);

// Puts `bytes` at `path` in one step: written under a fresh name beside it,
// then renamed over it. A link at `path` is replaced, never followed; a
// reader sees the old file or the new one, never a part.
Result<void> ReplaceAtomically(const std::string& path, std::string_view bytes);

// A folder private to the user (created owner-only when missing), ending in
// the separator, for the batch files when the program folder cannot be written.
Result<std::string> PrivateFolder();

// The batch text (UTF-8) in the encoding the interpreter reads: unchanged on
// POSIX, the OEM code page on Windows. nullopt when a character has no
// representation there, so no job runs on a mangled name.
std::optional<std::string> EncodeBatchText(const std::string& utf8);

// A batch file for one run of the interpreter: a new file under a name no
// other file had ("STEM-PID-N.EXT", made exclusively, readable by its owner
// only), held open so that nobody changes what the interpreter reads (POSIX:
// the interpreter reads this very descriptor; Windows: the file is held
// denying every writer and deleter). Removed when the object goes.
class ScriptFile {
 public:
  static Result<ScriptFile> Create(const std::string& folder, std::string_view stem, std::string_view extension,
                                   std::string_view bytes);

  ScriptFile(ScriptFile&&) noexcept = default;
  ScriptFile& operator=(ScriptFile&& other) noexcept;
  ~ScriptFile();

  const std::string& path() const { return path_; }
  NativeHandle handle() const { return file_.get(); }

 private:
  ScriptFile(std::string path, UniqueHandle file) : path_(std::move(path)), file_(std::move(file)) {}
  void Remove();

  std::string path_;
  UniqueHandle file_;
};

}  // namespace qm
