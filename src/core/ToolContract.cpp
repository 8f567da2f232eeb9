#include "core/ToolContract.h"

#include <initializer_list>

namespace qm {
namespace {

std::string Command(std::string_view option, std::initializer_list<std::string_view> names, Interpreter interp) {
  std::string args(option);
  for (std::string_view name : names) args += ' ' + QuoteName(name, interp);
  return args;
}

}  // namespace

std::string UpdateArguments(std::string_view image, std::string_view temp, Interpreter interp) {
  return Command("-update", {image, temp}, interp);
}

std::string MergeArguments(std::string_view image, std::string_view diff, std::string_view temp,
                           Interpreter interp) {
  return Command("-merge", {image, diff, temp}, interp);
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

std::string CreateCdArguments(std::string_view input, std::string_view temp, Interpreter interp) {
  return Command("-createcd", {input, temp}, interp);
}

std::string CreateDvdArguments(std::string_view input, std::string_view temp, Interpreter interp) {
  return Command("-createdvd", {input, temp}, interp);
}

std::string VerifyArguments(std::string_view image, Interpreter interp) { return Command("-verify", {image}, interp); }

std::string ExtractArguments(std::string_view image, std::string_view tempFolder, Interpreter interp) {
  return Command("-extract", {image, tempFolder}, interp);
}

}  // namespace qm
