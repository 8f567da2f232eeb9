#pragma once
// The text of the per-job batch file, for both interpreters. Pure functions:
// writing, encoding and running the file belong to the platform layer.

#include <string>
#include <string_view>

namespace qm {

// The cells of a job that the runner reads.
struct BatchJob {
  std::string image;   // column 0
  std::string action;  // column 2; only "Update" (exact case) renames
  std::string temp;    // column 3
  std::string folder;  // column 4, no trailing separator
  std::string args;    // column 6, names already quoted for the interpreter
};

// What each job's batch file starts: the tool itself, or the bridge, told
// through QUILLMERE_CHDMAN which current tool to run.
struct ToolCommand {
  std::string program;  // full path
  std::string bridged = {};  // the current tool behind the bridge; empty when none
};

// Exit status the batch file gives when an update finds IMG.old already there.
inline constexpr int kBackupExistsStatus = 3;
// Exit status when the tool reported success but left no temporary output:
// renaming then would take the image's name away.
inline constexpr int kNoOutputStatus = 4;
// Exit status when the job's output name (column 3) is already taken: the
// tool would write over a file that is not the job's.
inline constexpr int kOutputExistsStatus = 5;

// /bin/sh script, "\n" line ends: change into the job folder, stop when the
// output name TMP is taken, run the tool (or the bridge, with the tool's
// path exported) by its quoted path with column 6,
// and for an update, only when the tool succeeded and no IMG.old exists,
// rename IMG to IMG.old and TMP to IMG. The script's exit status is the
// tool's (or non-zero when a step failed). An update renames nothing unless
// TMP is there.
std::string PosixBatchScript(const BatchJob& job, const ToolCommand& tool);

// automate.bat text, CRLF line ends: the drive line, CD into the folder, a
// stop when TMP is taken, the quoted tool path (or the bridge's, after SET of
// the tool's) with column 6, and for an
// update the two REN lines guarded so they run only after the tool
// succeeded, when TMP is there and IMG.old is absent. Every name is quoted
// for cmd.exe and "%" is doubled. UTF-8: the platform encodes it.
std::string CmdBatchFile(const BatchJob& job, const ToolCommand& tool);

}  // namespace qm
