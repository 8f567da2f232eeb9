#pragma once
// Files and folders dropped on the job table, as the images and diff files
// they hold. Looks at the file system; follows no link.

#include <string>
#include <vector>

#include "jobs/AddJob.h"

namespace qm {

struct DroppedFiles {
  // .chd files and disc images (.cue, .gdi, .toc, .iso), in drop order, each folder's in name order
  std::vector<FileChoice> images;
  std::vector<FileChoice> diffs;  // .diff files dropped as files
};

// A dropped .chd, disc image or .diff file is taken as it is; a dropped
// folder gives every .chd file and disc image beneath it, sorted by path.
// Links, unreadable folders and other files are passed over. Paths are
// UTF-8, native form.
DroppedFiles CollectDropped(const std::vector<std::string>& paths);

// The dropped images that `kind` takes, in order.
std::vector<FileChoice> ImagesFor(JobKind kind, const DroppedFiles& dropped);

}  // namespace qm
