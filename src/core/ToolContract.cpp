#include "core/ToolContract.h"

namespace qm {

std::string UpdateArguments(std::string_view image, std::string_view temp, Interpreter interp) {
  return "-update " + QuoteName(image, interp) + ' ' + QuoteName(temp, interp);
}

std::string MergeArguments(std::string_view image, std::string_view diff, std::string_view temp,
                           Interpreter interp) {
  return "-merge " + QuoteName(image, interp) + ' ' + QuoteName(diff, interp) + ' ' +
         QuoteName(temp, interp);
}

std::string SetChsArguments(std::string_view image, const ChsGeometry& geometry, Interpreter interp) {
  std::string args = "-setchs " + QuoteName(image, interp) + ' ';
  if (!geometry.confirmed) return args;
  // Pasted text can reach the boxes unfiltered, so the fields are quoted too;
  // an empty field stays empty as the dialog left it.
  for (const std::string* field : {&geometry.cylinders, &geometry.heads, &geometry.sectors}) {
    args += field->empty() ? std::string() : QuoteName(*field, interp);
    args += ' ';
  }
  return args;
}

}  // namespace qm
