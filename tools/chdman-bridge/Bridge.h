#pragma once
// Carries out one old command line with the current tool. The image named by
// the command is never lost: update, merge and create only write their
// output file, Set CHS replaces the image only with a finished, checked copy,
// verify only reads, and extract writes only into a folder it creates. A run
// that fails removes the output it created; the last line it prints says why.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "FileCopy.h"
#include "ImageInfo.h"
#include "OldCommand.h"
#include "ProgressTranslator.h"
#include "ToolRunner.h"

namespace qm::bridge {

inline constexpr int kExitFailure = 1;
// The hunk count the progress lines of create, verify and extract give: the
// tool tells those stages in percent, so this is 100% in steps of 0.01%.
inline constexpr std::uint64_t kPercentUnits = 10000;

struct BridgeHost {
  ToolRunner& tool;
  std::function<void(std::string_view)> write;  // this process's standard output
  long pid;                                     // this process's id
  std::function<bool(long)> processRunning;
  std::function<CopyOutcome(const std::string&, const std::string&, const CopyProgress&)> copyFile;
};

class Bridge {
 public:
  explicit Bridge(BridgeHost host) : host_(std::move(host)) {}

  // Returns the exit status: 0, the tool's non-zero status, kExitFailure when
  // the tool reported an error with status 0 or the bridge refused the job,
  // or the status ToolRunner::Interrupted gave.
  int Run(const OldCommand& command);

 private:
  struct Outcome {
    int status = 0;
    std::string reason;  // for a failure: the line to print last
    bool ok() const { return status == 0; }
  };

  Outcome Copy(const OldCommand& command);
  Outcome Create(const OldCommand& command);
  Outcome Verify(const OldCommand& command);
  Outcome Extract(const OldCommand& command);
  // The tool run without arguments: its version and commands.
  Outcome Probe(ToolUsage& usage);
  Outcome SetChs(const OldCommand& command);
  // Copy, the geometry written into the copy's metadata, checks, replace.
  // nullopt when the image is not one the edit takes; no work file is left.
  std::optional<Outcome> SetChsByEdit(const std::string& image, const ImageInfo& info, const HardDiskGeometry& geometry,
                                      const std::string& work);
  Outcome SetChsUncompressed(const std::string& image, const ImageInfo& info, const HardDiskGeometry& geometry,
                             const std::string& work);
  Outcome SetChsCompressed(const std::string& image, const ImageInfo& info, const HardDiskGeometry& geometry,
                           const std::string& work1, const std::string& work2);

  // `info -i image`, its output kept back.
  Outcome Info(const std::string& image, ImageInfo& info);
  // One run of the tool whose output goes out through `translator`.
  Outcome Stage(const std::vector<std::string>& args, ProgressTranslator& translator);
  // The bridge's own copy of an image, with progress lines.
  Outcome CopyFileWithProgress(const std::string& from, const std::string& to, ProgressTranslator& translator);
  // Replaces `image` with `replacement`, which takes the image's permissions.
  Outcome Replace(const std::string& replacement, const std::string& image);
  // Why a run of the tool came to nothing: interrupted, not started, or
  // ended for standing still. nullopt when it ran to its end.
  std::optional<Outcome> NotRun(const ToolRunner::Result& r) const;
  Outcome Interruption() const;

  BridgeHost host_;
};

}  // namespace qm::bridge
