#include "jobs/AddJob.h"

#include "core/ToolContract.h"

namespace qm {

JobCells ComposeJob(JobKind kind, const FileChoice& chd, const FileChoice* diff,
                    const ChsGeometry& geometry, PathRules rules) {
  // A Merge takes its folder and temporary name from the diff file.
  const FileChoice& last = (kind == JobKind::Merge && diff) ? *diff : chd;
  const std::string folder = GetFolder(last.FileName, rules.paths);
  const std::string temp = GetBaseName(last.FileName, false, rules.paths) + ".tmp";

  JobCells cells;
  cells[kColImage] = chd.FileTitle;
  cells[kColShortFolder] = ShortenPath(folder, 40, rules.paths);
  cells[kColFolder] = folder;
  switch (kind) {
    case JobKind::Update:
      cells[kColAction] = "Update";
      cells[kColTemp] = temp;
      cells[kColArgs] = UpdateArguments(chd.FileTitle, temp, rules.interpreter);
      break;
    case JobKind::Merge: {
      const std::string diffTitle = diff ? diff->FileTitle : std::string();
      // The tool runs in the diff's folder: a parent from elsewhere goes by
      // its full path, or it would be looked for (or a namesake found) there.
      const bool apart = diff && GetFolder(chd.FileName, rules.paths) != folder;
      cells[kColAction] = "Merge";
      cells[kColTemp] = temp;
      cells[kColDiff] = diffTitle;
      cells[kColArgs] = MergeArguments(apart ? chd.FileName : chd.FileTitle, diffTitle, temp, rules.interpreter);
      break;
    }
    case JobKind::SetChs:
      cells[kColAction] = "SetCHS";
      cells[kColArgs] = SetChsArguments(chd.FileTitle, geometry, rules.interpreter);
      break;
  }
  return cells;
}

namespace {

AddResult AddWithToolbarDisabled(JobTable& table, JobKind kind, AddJobView& view, PathRules rules) {
  if (table.Full()) {
    view.ShowMessage(kTableFullMessage, MessageIcon::Warning);
    return AddResult::TableFull;
  }
  const std::optional<FileChoice> chd = view.ShowOpen(kChdRequest);
  if (!chd) return AddResult::Cancelled;

  std::optional<FileChoice> diff;
  if (kind == JobKind::Merge) {
    diff = view.ShowOpen(kDiffRequest);
    if (!diff) return AddResult::Cancelled;
  }
  ChsGeometry geometry;
  if (kind == JobKind::SetChs) geometry = view.GetCHS();

  table.Append(ComposeJob(kind, *chd, diff ? &*diff : nullptr, geometry, rules));
  return AddResult::Added;
}

}  // namespace

AddResult AddJob(JobTable& table, JobKind kind, AddJobView& view, PathRules rules) {
  view.SetToolbarEnabled(false);
  const AddResult result = AddWithToolbarDisabled(table, kind, view, rules);
  view.SetToolbarEnabled(true);
  return result;
}

}  // namespace qm
