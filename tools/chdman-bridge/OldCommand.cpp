#include "OldCommand.h"

#include "Geometry.h"

namespace qm::bridge {
namespace {

std::string Expected(const std::string& command, const char* form) {
  return "Error: " + command + " takes " + form;
}

}  // namespace

std::variant<OldCommand, std::string> ParseOldCommand(const std::vector<std::string>& args) {
  if (args.empty()) return std::string("Error: no command given");
  const std::string& name = args[0];
  const std::size_t operands = args.size() - 1;
  OldCommand c;
  if (name == "-update") {
    if (operands != 2) return Expected(name, "IMAGE OUTPUT");
    c.kind = OldCommandKind::Update;
    c.image = args[1];
    c.output = args[2];
  } else if (name == "-merge") {
    if (operands != 3) return Expected(name, "IMAGE DIFF OUTPUT");
    c.kind = OldCommandKind::Merge;
    c.image = args[1];
    c.diff = args[2];
    c.output = args[3];
  } else if (name == "-setchs") {
    if (operands != 4) return Expected(name, "IMAGE CYLINDERS HEADS SECTORS");
    c.kind = OldCommandKind::SetChs;
    c.image = args[1];
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
  } else if (name == "-createcd" || name == "-createdvd" || name == "-extract") {
    if (operands != 2) return Expected(name, name == "-extract" ? "IMAGE FOLDER" : "INPUT OUTPUT");
    c.kind = name == "-createcd" ? OldCommandKind::CreateCd
             : name == "-createdvd" ? OldCommandKind::CreateDvd
                                    : OldCommandKind::Extract;
    c.image = args[1];
    c.output = args[2];
  } else if (name == "-verify") {
    if (operands != 1) return Expected(name, "IMAGE");
    c.kind = OldCommandKind::Verify;
    c.image = args[1];
  } else {
    return "Error: unknown command " + name;
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
