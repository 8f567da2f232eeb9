#pragma once
// Copying an image to a new file beside it. Implemented in
// filecopy_posix.cpp and filecopy_win32.cpp; CMake picks one.

#include <cstdint>
#include <functional>
#include <string>

namespace qm::bridge {

enum class CopyEnd { Copied, Stopped, Failed };

struct CopyOutcome {
  CopyEnd end = CopyEnd::Failed;
  std::string error;  // for Failed: what went wrong, for a message
};

// Told `done` of `total` bytes as the copy goes (at least at its start and
// end); returning false stops the copy.
using CopyProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Copies `from` to `to`, which must not exist yet: a clone where the file
// system can make one (Linux: the FICLONE ioctl; Windows: CopyFileEx, which
// clones where the volume supports it), else block by block. Unless Copied,
// `to` does not exist afterwards.
CopyOutcome CopyToNewFile(const std::string& from, const std::string& to, const CopyProgress& progress);

}  // namespace qm::bridge
