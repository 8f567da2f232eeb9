#pragma once
// Ending copies of the tool that a job started.

#include <string_view>

#include "platform/process.h"

namespace qm {

// True when the last characters of `image` equal `name`, ignoring case (the
// whole image when it is shorter than `name`, which then cannot match).
bool ImageNameMatches(std::string_view image, std::string_view name);

// Terminates every process of `job`'s unit whose image name ends with
// `name`, ignoring case. Processes that other programs, other jobs or other
// users started are never touched. True when at least one matched.
bool KillApp(const ChildProcess& job, std::string_view name);

}  // namespace qm
