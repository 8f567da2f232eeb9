#include "jobs/AddJob.h"

#include "core/ToolContract.h"

namespace qm {

std::string_view ActionOf(JobKind kind) {
  switch (kind) {
    case JobKind::Update: return "Update";
    case JobKind::Merge: return "Merge";
    case JobKind::SetChs: return "SetCHS";
    case JobKind::CreateCd: return "Crea CHD (CD)";
    case JobKind::CreateDvd: return "Crea CHD (DVD)";
    case JobKind::Verify: return "Verifica";
    case JobKind::Extract: return "Estrai";
  }
  return {};
}

std::optional<JobKind> KindOfAction(std::string_view action) {
  for (JobKind kind : kAllKinds)
    if (ActionOf(kind) == action) return kind;
  return std::nullopt;
}

std::string ExtensionOf(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  std::string ext(dot == std::string_view::npos ? std::string_view() : fileName.substr(dot));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

bool Fits(JobKind kind, std::string_view fileName) {
  const std::string ext = ExtensionOf(fileName);
  switch (kind) {
    case JobKind::CreateCd: return ext == ".cue" || ext == ".gdi" || ext == ".toc" || ext == ".iso";
    case JobKind::CreateDvd: return ext == ".iso";
    default: return ext == ".chd";
  }
}

namespace {

const OpenRequest& RequestOf(JobKind kind) {
  return kind == JobKind::CreateCd ? kCdRequest : kind == JobKind::CreateDvd ? kDvdRequest : kChdRequest;
}

}  // namespace

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
  cells[kColAction] = ActionOf(kind);
  switch (kind) {
    case JobKind::Update:
      cells[kColTemp] = temp;
      cells[kColArgs] = UpdateArguments(chd.FileTitle, temp, rules.interpreter);
      break;
    case JobKind::Merge: {
      const std::string diffTitle = diff ? diff->FileTitle : std::string();
      // The tool runs in the diff's folder: a parent from elsewhere goes by
      // its full path, or it would be looked for (or a namesake found) there.
      const bool apart = diff && GetFolder(chd.FileName, rules.paths) != folder;
      cells[kColTemp] = temp;
      cells[kColDiff] = diffTitle;
      cells[kColArgs] = MergeArguments(apart ? chd.FileName : chd.FileTitle, diffTitle, temp, rules.interpreter);
      break;
    }
    case JobKind::SetChs:
      cells[kColArgs] = SetChsArguments(chd.FileTitle, geometry, rules.interpreter);
      break;
    case JobKind::CreateCd:
    case JobKind::CreateDvd:
      cells[kColTemp] = temp;
      cells[kColArgs] = (kind == JobKind::CreateCd ? CreateCdArguments : CreateDvdArguments)(chd.FileTitle, temp,
                                                                                          rules.interpreter);
      break;
    case JobKind::Verify: cells[kColArgs] = VerifyArguments(chd.FileTitle, rules.interpreter); break;
    case JobKind::Extract:
      cells[kColTemp] = temp;
      cells[kColArgs] = ExtractArguments(chd.FileTitle, temp, rules.interpreter);
      break;
  }
  return cells;
}

std::string LeftOutMessage(int count) {
  return "La coda tiene al massimo 32767 lavori: " + std::to_string(count) +
         (count == 1 ? " file scelto non è stato accodato." : " file scelti non sono stati accodati.");
}

int QueueJobs(JobTable& table, JobKind kind, const std::vector<FileChoice>& images, const FileChoice* diff,
              const ChsGeometry& geometry, AddJobView& view, PathRules rules) {
  std::size_t added = 0;
  while (added < images.size() && table.Append(ComposeJob(kind, images[added], diff, geometry, rules))) ++added;
  const int left = static_cast<int>(images.size() - added);
  if (left > 0) view.ShowMessage(LeftOutMessage(left), MessageIcon::Warning);
  return left;
}

namespace {

AddResult AddWithToolbarDisabled(JobTable& table, JobKind kind, AddJobView& view, PathRules rules) {
  if (table.Full()) {
    view.ShowMessage(kTableFullMessage, MessageIcon::Warning);
    return AddResult::TableFull;
  }
  // A Merge stays one image and one diff.
  std::vector<FileChoice> images;
  if (kind == JobKind::Merge) {
    if (std::optional<FileChoice> chd = view.ShowOpen(kChdRequest)) images.push_back(std::move(*chd));
  } else {
    images = view.ShowOpenMany(RequestOf(kind));
  }
  if (images.empty()) return AddResult::Cancelled;

  std::optional<FileChoice> diff;
  if (kind == JobKind::Merge) {
    diff = view.ShowOpen(kDiffRequest);
    if (!diff) return AddResult::Cancelled;
  }
  ChsGeometry geometry;
  if (kind == JobKind::SetChs) geometry = view.GetCHS();

  QueueJobs(table, kind, images, diff ? &*diff : nullptr, geometry, view, rules);
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
