#pragma once
// Adding a job: the file dialog(s), the geometry for a Set CHS job, the seven
// cells, and the new row. The window supplies the dialogs through AddJobView.
// The first three kinds are the old tool's; the others exist only in today's
// tool and run through the bridge.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ChsGeometry.h"
#include "core/Messages.h"
#include "core/Quoting.h"
#include "jobs/JobTable.h"
#include "jobs/modMain.h"

namespace qm {

enum class JobKind { Update = 0, Merge = 1, SetChs = 2, CreateCd = 3, CreateDvd = 4, Verify = 5, Extract = 6 };
inline constexpr JobKind kAllKinds[] = {JobKind::Update,    JobKind::Merge,  JobKind::SetChs, JobKind::CreateCd,
                                        JobKind::CreateDvd, JobKind::Verify, JobKind::Extract};

// True for the kinds only today's tool can do.
constexpr bool IsCurrentKind(JobKind kind) { return kind >= JobKind::CreateCd; }
// Column 2 of a job of `kind` ("Update", "SetCHS", "Crea CHD (CD)", ...).
std::string_view ActionOf(JobKind kind);
// The kind whose column 2 is exactly `action`; nullopt for any other text.
std::optional<JobKind> KindOfAction(std::string_view action);
// The last extension of a file name, ASCII letters in lower case (".CHD" gives ".chd").
std::string ExtensionOf(std::string_view fileName);
// True when a file of that name is an input of `kind`: .chd, or the disc
// images a create takes (.cue, .gdi, .toc, .iso for a CD; .iso for a DVD).
bool Fits(JobKind kind, std::string_view fileName);

struct FileChoice {
  std::string FileTitle;  // file name with extension, no folder
  std::string FileName;   // full path
};

struct OpenRequest {
  std::string_view DialogTitle;
  std::string_view Filter;  // "description|pattern", one file type
};

inline constexpr OpenRequest kChdRequest{"Seleziona file CHD...", "Compressed Hunk of Data (*.chd)|*.chd"};
inline constexpr OpenRequest kDiffRequest{"Seleziona file Diff...", "Diff File (*.diff)|*.diff"};
inline constexpr OpenRequest kCdRequest{"Seleziona immagini CD...",
                                        "Immagini CD (*.cue *.gdi *.toc *.iso)|*.cue;*.gdi;*.toc;*.iso"};
inline constexpr OpenRequest kDvdRequest{"Seleziona immagini DVD...", "Immagini DVD (*.iso)|*.iso"};
inline constexpr std::string_view kTableFullMessage =
    "La coda è piena: non si possono accodare più di 32767 lavori.";

// No file or one, as a list of files.
inline std::vector<FileChoice> AsList(std::optional<FileChoice> one) {
  std::vector<FileChoice> list;
  if (one) list.push_back(std::move(*one));
  return list;
}

class AddJobView {
 public:
  virtual ~AddJobView() = default;
  // Enables or disables the tool bar frame with the add and Remove buttons.
  virtual void SetToolbarEnabled(bool enabled) = 0;
  // Shows the modal file-open dialog; nullopt when the user cancels.
  virtual std::optional<FileChoice> ShowOpen(const OpenRequest& request) = 0;
  // The same dialog taking several files, in the order chosen; empty when
  // the user cancels. By default one file, through ShowOpen.
  virtual std::vector<FileChoice> ShowOpenMany(const OpenRequest& request) { return AsList(ShowOpen(request)); }
  // Shows the geometry dialog; returns the last confirmed geometry.
  virtual ChsGeometry GetCHS() = 0;
  virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
};

enum class AddResult { Added, Cancelled, TableFull };

struct PathRules {
  PathStyle paths;
  Interpreter interpreter;
};

// The whole add operation for one click of an add button. Every kind but
// Merge takes several files in one selection, a job each, in that order; a
// Set CHS asks for the geometry once for all. The tool bar is disabled while it runs
// and enabled again on every path.
AddResult AddJob(JobTable& table, JobKind kind, AddJobView& view, PathRules rules);

// Appends one job of `kind` per image, in order, while the table has room;
// returns how many images did not fit (after the warning that says so).
int QueueJobs(JobTable& table, JobKind kind, const std::vector<FileChoice>& images, const FileChoice* diff,
              const ChsGeometry& geometry, AddJobView& view, PathRules rules);

// The warning for `count` images that found the table full.
std::string LeftOutMessage(int count);

// The seven cells of a job; `diff` is the diff selection of a Merge (its
// FileName supplies the folder and temporary name), `geometry` that of a Set CHS.
JobCells ComposeJob(JobKind kind, const FileChoice& chd, const FileChoice* diff,
                    const ChsGeometry& geometry, PathRules rules);

}  // namespace qm
