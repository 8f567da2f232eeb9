#include "jobs/JobTable.h"

namespace qm {

JobTable::JobTable() : grid_(2, kJobColumns) {}

void JobTable::WriteHeader() {
  for (int c = 0; c <= 3; ++c) {
    grid_.SetRow(0);
    grid_.SetCol(c);
    grid_.SetCellFontBold(true);
  }
  grid_.SetTextMatrix(0, kColImage, "Immagine");
  grid_.SetTextMatrix(0, kColShortFolder, "Percorso");
  grid_.SetTextMatrix(0, kColAction, "Azione");
}

void JobTable::SetUp() {
  WriteHeader();
  grid_.SetColWidth(0, 1500);
  grid_.SetColWidth(1, 4150);
  grid_.SetColWidth(2, 1500);
  for (int c = 0; c <= 2; ++c) grid_.SetColAlignment(c, Grid::kAlignLeftCenter);
}

void JobTable::Remove() {
  const int r = grid_.Row();
  if (r <= 0) return;
  if (r == 1) {
    grid_.Clear();
    WriteHeader();
    jobCount_ = 0;
    outputs_.clear();
    return;
  }
  if (r > jobCount_) return;  // a blank row left by a clear: the count must not drift
  RemoveJob(r);
}

void JobTable::RemoveJob(int n) {
  if (n < 1 || n > jobCount_) return;
  outputs_.erase(outputs_.begin() + (n - 1));
  --jobCount_;
  if (grid_.Rows() > 2) {
    grid_.RemoveItem(n);
    return;
  }
  // Row 1 always exists: the only job leaves it blank.
  for (int c = 0; c < kJobColumns; ++c) grid_.SetTextMatrix(1, c, "");
  grid_.SetMark(1, RowMark::None);
}

void JobTable::RemoveSucceeded() {
  for (int n = jobCount_; n >= 1; --n)
    if (grid_.Mark(n) == RowMark::Succeeded) RemoveJob(n);
}

void JobTable::ClearOutputs() {
  for (JobOutput& output : outputs_) output.Clear();
}

bool JobTable::Append(const JobCells& cells) {
  if (Full()) return false;
  const int n = jobCount_ + 1;
  // Row 1 always exists; every later job appends a row, even when a clear
  // left blank rows below the jobs.
  if (n > 1) grid_.AddItem("");
  for (int c = 0; c < kJobColumns; ++c) grid_.SetTextMatrix(n, c, cells[c]);
  jobCount_ = n;
  outputs_.emplace_back();
  return true;
}

JobCells JobTable::Job(int n) const {
  JobCells cells;
  for (int c = 0; c < kJobColumns; ++c) cells[c] = grid_.TextMatrix(n, c);
  return cells;
}

}  // namespace qm
