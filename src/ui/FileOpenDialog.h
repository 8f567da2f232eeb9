#pragma once
// The file-open dialog as the main window uses it: one modal selection with a
// title and a filter, no initial folder. Tests put a scripted one in its place.

#include <optional>
#include <vector>

#include "jobs/AddJob.h"

namespace qm {

class FileOpenDialog {
 public:
  virtual ~FileOpenDialog() = default;
  // The chosen file, or nullopt when the user cancels.
  virtual std::optional<FileChoice> Open(const OpenRequest& request) = 0;
  // Several files in one selection, in the order the dialog gives them; empty
  // when the user cancels. By default the one file of Open.
  virtual std::vector<FileChoice> OpenMany(const OpenRequest& request) { return AsList(Open(request)); }
};

}  // namespace qm
