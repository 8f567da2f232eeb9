#pragma once
// A throwaway program folder holding the fake tool as "chdman" (the folder's
// name has a blank, as many real ones do) and a data folder with one image,
// with the cells and settings that the runner is given for it.

#include <filesystem>
#include <string>

#include "TempTree.h"
#include "jobs/AddJob.h"
#include "runner/BatchRunner.h"

namespace qm::bench {

class Workspace {
 public:
  explicit Workspace(const std::string& fakeTool);

  std::string ToolPath() const;
  std::filesystem::path Data() const { return tree_.data(); }
  std::filesystem::path Image() const { return tree_.data() / "game.chd"; }

  // The cells that adding a job of `kind` on the image gives (Set CHS: 1024 16 63).
  JobCells Cells(JobKind kind) const;
  RunnerSettings Settings() const;
  // Writes the /bin/sh script that the runner writes for `kind`; returns its path.
  std::string WriteScript(JobKind kind) const;
  // Puts the original image back and removes what a run left beside it.
  void RestoreImage() const;

 private:
  test::TempTree tree_;
};

}  // namespace qm::bench
