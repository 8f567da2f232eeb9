#pragma once
// Files and folders dropped on the job table, as the images and diff files
// they hold. Looks at the file system; follows no link.

#include <string>
#include <vector>

#include "jobs/AddJob.h"

namespace qm {

struct DroppedFiles {
  std::vector<FileChoice> images;  // .chd files, in drop order, each folder's in name order
  std::vector<FileChoice> diffs;   // .diff files dropped as files
};

// A dropped .chd or .diff file is taken as it is; a dropped folder gives every
// .chd file beneath it, sorted by path. Links, unreadable folders and other
// files are passed over. Paths are UTF-8, native form.
DroppedFiles CollectDropped(const std::vector<std::string>& paths);

}  // namespace qm
