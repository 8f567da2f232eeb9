#pragma once
// Runs one batch file with its output read through a pipe: every chunk moves
// the progress bars, the window is serviced after every read and at least
// every kServiceIntervalMs while the tool is silent, and a cancel ends the
// interpreter and then the tool at once.

#include <string>
#include <string_view>

#include "runner/BatchView.h"
#include "runner/LastLine.h"
#include "runner/ProgressParser.h"

namespace qm {

inline constexpr int kServiceIntervalMs = 50;
inline constexpr std::size_t kReadSize = 256;

struct JobProgress {
  int currentJob;  // 1-based
  int totalMax;    // pbTotal's maximum
};

enum class RunStatus {
  Finished,     // output ended; exitStatus holds the interpreter's status
  Cancelled,    // a cancel was seen; interpreter and tool were ended
  StartFailed,  // no process ran; message says why
};

struct RunResult {
  RunStatus status;
  int exitStatus = -1;
  std::string message;  // StartFailed: "CreatePipe failed. Error: N" or "CreateProcess failed. Error: N"
};

// `cancelRequested` is read after every service of the window; `toolName` is
// the tool's image name to end on cancel. `parser` and `lastLine` must have
// been reset for this job.
RunResult RunRedirected(const std::string& batchFile, BatchView& view, ProgressParser& parser,
                        LastLine& lastLine, JobProgress progress, const bool& cancelRequested,
                        std::string_view toolName);

}  // namespace qm
