#pragma once
// The command lines the program passes to the tool, and the current tool's
// arguments that carry out an update or a merge.
//
//   -update IMG OUT         IMG rewritten into OUT
//   -merge IMG DIFF OUT     DIFF (a child of IMG) and IMG merged into OUT
//   -setchs IMG C H S       IMG's hard disk geometry set to C/H/S
//   -createcd IN OUT        a CD image (.cue, .gdi, .toc, .iso) into OUT
//   -createdvd IN OUT       a DVD image (.iso) into OUT
//   -verify IMG             IMG checked, never written
//   -extract IMG DIR        IMG's images written into the new folder DIR

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qm::bridge {

enum class OldCommandKind { Update, Merge, SetChs, CreateCd, CreateDvd, Verify, Extract };

struct OldCommand {
  OldCommandKind kind = OldCommandKind::Update;
  std::string image;
  std::string diff;    // Merge only
  std::string output;  // Update, Merge, the create kinds; Extract: the folder
  std::uint32_t cylinders = 0, heads = 0, sectors = 0;  // SetChs only

  bool operator==(const OldCommand&) const = default;
};

// `args` are the arguments after the program's name. On a wrong command line
// returns the one-line reason; Usage() gives the whole help.
std::variant<OldCommand, std::string> ParseOldCommand(const std::vector<std::string>& args);

// The help text, ending in a line break.
std::string Usage();

// "copy -i IMG -o OUT" for an update; "copy -i DIFF -ip IMG -o OUT" for a merge.
std::vector<std::string> CopyArguments(const OldCommand& command);

// The image whose hunk count measures the job: IMG, or DIFF for a merge.
const std::string& MeasuredImage(const OldCommand& command);

}  // namespace qm::bridge
