#pragma once
// Working files of a Set CHS job, beside the image:
// "<image name>.setchs-<pid>-<n>.tmp", <pid> being the bridge's process id.
// A bridge that is killed cannot remove them; the next bridge working in the
// same folder does, once their owner no longer runs.

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace qm::bridge {

std::filesystem::path WorkFilePath(const std::filesystem::path& image, long pid, int n);

// The owner's process id in a working file's name; nullopt for other names.
std::optional<long> WorkFileOwner(std::string_view fileName);

// Removes the working files in `folder` whose owner is `ownPid` (a process
// that ran earlier under this id) or does not run, when they are empty or
// start like a CHD image. Returns how many were removed.
int RemoveStaleWorkFiles(const std::filesystem::path& folder, long ownPid,
                         const std::function<bool(long)>& running);

}  // namespace qm::bridge
