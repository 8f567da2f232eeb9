#pragma once
// The product name and version numbers of the running executable's version
// resource, which the About dialog's caption is built from.

#include <optional>

#include "dialogs/About.h"

namespace qm {

// ProductName of the first translation and the file version's major, minor
// and third number; nullopt when the executable carries no version resource.
std::optional<VersionInfo> ExecutableVersion();

}  // namespace qm
