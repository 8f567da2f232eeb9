#pragma once
// Ending copies of the tool that this program started.

#include <string_view>
#include <vector>

#include "platform/processes.h"

namespace qm {

// True when the last characters of `image` equal `name`, ignoring case (the
// whole image when it is shorter than `name`, which then cannot match).
bool ImageNameMatches(std::string_view image, std::string_view name);

// Ids of the processes in `processes` that descend from `root` (children,
// grandchildren, ...) and whose image name matches `name`.
std::vector<long> MatchingDescendants(const std::vector<ProcessEntry>& processes, long root,
                                      std::string_view name);

// Terminates every descendant of this program whose image name ends with
// `name`, ignoring case, with exit code 0. Processes that other programs or
// users started are never touched. True when at least one matched.
bool KillApp(std::string_view name);

}  // namespace qm
