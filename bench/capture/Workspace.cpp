#include "Workspace.h"

#include "core/ChsGeometry.h"
#include "runner/BatchFile.h"

namespace qm::bench {

namespace fs = std::filesystem;

Workspace::Workspace(const std::string& fakeTool) {
  tree_.InstallTool(fakeTool);
  RestoreImage();
}

std::string Workspace::ToolPath() const { return (tree_.program() / "chdman").string(); }

JobCells Workspace::Cells(JobKind kind) const {
  const FileChoice chd{Image().filename().string(), Image().string()};
  return ComposeJob(kind, chd, nullptr, ChsGeometry{"1024", "16", "63", true},
                    {PathStyle::Posix, Interpreter::PosixShell});
}

RunnerSettings Workspace::Settings() const {
  return {tree_.program().string() + "/", "chdman", "automate.sh", Interpreter::PosixShell,
          tree_.privateFolder().string() + "/"};
}

std::string Workspace::WriteScript(JobKind kind) const {
  const JobCells c = Cells(kind);
  const BatchJob job{c[kColImage], c[kColAction], c[kColTemp], c[kColFolder], c[kColArgs]};
  const fs::path script = tree_.program() / "automate.sh";
  test::WriteAll(script, PosixBatchScript(job, ToolCommand{ToolPath(), {}}));
  return script.string();
}

void Workspace::RestoreImage() const {
  for (const char* left : {"game.old", "game.tmp", "game.chd.chs"}) {
    std::error_code ec;
    fs::remove(Data() / left, ec);
  }
  test::WriteAll(Image(), "original image");
}

}  // namespace qm::bench
