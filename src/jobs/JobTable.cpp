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
    return;
  }
  if (r > jobCount_) return;  // a blank row left by a clear: the count must not drift
  grid_.RemoveItem(r);
  --jobCount_;
}

bool JobTable::Append(const JobCells& cells) {
  if (Full()) return false;
  const int n = jobCount_ + 1;
  // Row 1 always exists; every later job appends a row, even when a clear
  // left blank rows below the jobs.
  if (n > 1) grid_.AddItem("");
  for (int c = 0; c < kJobColumns; ++c) grid_.SetTextMatrix(n, c, cells[c]);
  jobCount_ = n;
  return true;
}

JobCells JobTable::Job(int n) const {
  JobCells cells;
  for (int c = 0; c < kJobColumns; ++c) cells[c] = grid_.TextMatrix(n, c);
  return cells;
}

}  // namespace qm
