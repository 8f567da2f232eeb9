#include "OldCommand.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "Geometry.h"

namespace qm::bridge {
namespace {

struct Form {
  std::string_view name;
  OldCommandKind kind;
  std::size_t operands;
  const char* operandNames;
};

constexpr Form kForms[] = {
    {"-update", OldCommandKind::Update, 2, "IMAGE OUTPUT"},
    {"-merge", OldCommandKind::Merge, 3, "IMAGE DIFF OUTPUT"},
    {"-setchs", OldCommandKind::SetChs, 4, "IMAGE CYLINDERS HEADS SECTORS"},
    {"-createcd", OldCommandKind::CreateCd, 2, "INPUT OUTPUT"},
    {"-createdvd", OldCommandKind::CreateDvd, 2, "INPUT OUTPUT"},
    {"-verify", OldCommandKind::Verify, 1, "IMAGE"},
    {"-extract", OldCommandKind::Extract, 2, "IMAGE FOLDER"},
};

}  // namespace

std::variant<OldCommand, std::string> ParseOldCommand(const std::vector<std::string>& args) {
  if (args.empty()) return std::string("Error: no command given");
  const std::string& name = args[0];
  const auto form = std::find_if(std::begin(kForms), std::end(kForms), [&](const Form& f) { return f.name == name; });
  if (form == std::end(kForms)) return "Error: unknown command " + name;
  if (args.size() - 1 != form->operands) return "Error: " + name + " takes " + form->operandNames;
  OldCommand c;
  c.kind = form->kind;
  c.image = args[1];
  if (c.kind == OldCommandKind::Merge) {
    c.diff = args[2];
    c.output = args[3];
  } else if (c.kind == OldCommandKind::SetChs) {
    const auto cyl = ParseGeometryCount(args[2]);
    const auto heads = ParseGeometryCount(args[3]);
    const auto secs = ParseGeometryCount(args[4]);
    if (!cyl || !heads || !secs) {
      return "Error: cylinders, heads and sectors must be whole numbers from 1 to " +
             std::to_string(kMaxGeometryField) + " (got " + args[2] + " " + args[3] + " " + args[4] + ")";
    }
    c.cylinders = *cyl;
    c.heads = *heads;
    c.sectors = *secs;
  } else if (form->operands == 2) {
    c.output = args[2];
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i].empty()) return "Error: an empty file name was given to " + name;
  }
  // chdman reads a word that begins with "-" as an option: such a name (always
  // relative) goes on as the same file in the current folder.
  for (std::string* file : {&c.image, &c.diff, &c.output}) {
    if (file->starts_with('-')) file->insert(0, "./");
  }
  return c;
}

std::string Usage() {
  return "Quillmere chdman bridge: the old command line on top of the current chdman.\n"
         "Usage:\n"
         "   quillmere-chdman-bridge -update IMAGE OUTPUT\n"
         "   quillmere-chdman-bridge -merge IMAGE DIFF OUTPUT\n"
         "   quillmere-chdman-bridge -setchs IMAGE CYLINDERS HEADS SECTORS\n"
         "   quillmere-chdman-bridge -createcd INPUT OUTPUT\n"
         "   quillmere-chdman-bridge -createdvd INPUT OUTPUT\n"
         "   quillmere-chdman-bridge -verify IMAGE\n"
         "   quillmere-chdman-bridge -extract IMAGE FOLDER\n"
         "The current chdman is the one named by QUILLMERE_CHDMAN, else the first on PATH.\n";
}

std::vector<std::string> CopyArguments(const OldCommand& c) {
  if (c.kind == OldCommandKind::Merge) return {"copy", "-i", c.diff, "-ip", c.image, "-o", c.output};
  return {"copy", "-i", c.image, "-o", c.output};
}

const std::string& MeasuredImage(const OldCommand& c) {
  return c.kind == OldCommandKind::Merge ? c.diff : c.image;
}

}  // namespace qm::bridge
