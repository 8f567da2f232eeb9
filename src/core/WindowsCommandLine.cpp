#include "core/WindowsCommandLine.h"

namespace qm {

std::string QuoteWindowsArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& args) {
  // The program name is read up to the next quote, without escapes; Windows
  // names cannot hold a quote.
  std::string line = '"' + program + '"';
  for (const std::string& arg : args) line += ' ' + QuoteWindowsArgument(arg);
  return line;
}

}  // namespace qm
