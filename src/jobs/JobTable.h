#pragma once
// The job queue, held in its grid: row 0 is the header, rows 1..JobCount()
// hold the jobs in the order added. A job is nothing but its seven cells.

#include <array>
#include <string>
#include <vector>

#include "jobs/Grid.h"
#include "jobs/JobOutput.h"

namespace qm {

enum JobColumn : int {
  kColImage = 0,        // image file name, no folder
  kColShortFolder = 1,  // folder shortened for display
  kColAction = 2,       // the kind: "Update", "Merge", "SetCHS", "Verifica", ... (ActionOf)
  kColTemp = 3,         // temporary output name (base name + ".tmp"; Estrai's is a folder)
  kColFolder = 4,       // full folder, no trailing separator
  kColDiff = 5,         // diff file name, no folder
  kColArgs = 6,         // the tool's argument string
  kJobColumns = 7,
};

using JobCells = std::array<std::string, kJobColumns>;

class JobTable {
 public:
  // The count is 16-bit signed in the original design; the table keeps that
  // limit so a queue never outgrows what the batch bar was built for.
  static constexpr int kMaxJobs = 32767;

  JobTable();

  Grid& grid() { return grid_; }
  const Grid& grid() const { return grid_; }
  int JobCount() const { return jobCount_; }
  bool Full() const { return jobCount_ >= kMaxJobs; }

  // Header texts, bold header cells 0..3 (leaving the current cell at (0,3)),
  // widths and alignment of columns 0..2. Run once when the window loads.
  void SetUp();

  // Acts on the grid's current row: the header does nothing; row 1 clears the
  // whole table (rows stay, header restored, count 0); a job row below it is
  // deleted. A blank row below the last job is left alone.
  void Remove();

  // Writes the job into row JobCount()+1; every job but the first appends a
  // blank row at the bottom first. Returns false (nothing changed) when the table is full.
  bool Append(const JobCells& cells);

  // The cells of job n (1-based).
  JobCells Job(int n) const;

  // Deletes job n alone (1-based), its output with it; the jobs below move up.
  void RemoveJob(int n);
  // Deletes every job whose row is marked Succeeded; the others keep their order.
  void RemoveSucceeded();

  // What the tool printed for job n; kept until the job runs again or goes.
  JobOutput& Output(int n) { return outputs_[static_cast<std::size_t>(n - 1)]; }
  const JobOutput& Output(int n) const { return outputs_[static_cast<std::size_t>(n - 1)]; }
  void ClearOutputs();

 private:
  void WriteHeader();

  Grid grid_;
  int jobCount_ = 0;
  std::vector<JobOutput> outputs_;  // one per job, in job order
};

}  // namespace qm
