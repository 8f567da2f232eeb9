#pragma once
// How Windows reads a line of a batch file, modelled in plain C++ so that it
// runs everywhere: cmd.exe's percent expansion and operators, the arguments
// of its own commands, and the C runtime's splitter that gives the tool its
// argv. Used by the quoting fuzzer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::test {

// cmd.exe on a line, in a batch file after its percent phase ("%%" is one
// "%", any other "%" starts an expansion such as %1, %*, %NAME%, %~dp0, or
// is dropped): every '"' toggles the quote state, and outside quotes
// & | < > ^ ( ) redirect, pipe, chain, group or escape. The line after the
// percent phase; nullopt when anything would expand, an operator stands
// outside quotes, or a quote is left open.
inline std::optional<std::string> CmdPlainLine(std::string_view line, bool batchFile) {
  std::string out;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (batchFile && line[i] == '%' && (i + 1 == line.size() || line[++i] != '%')) return std::nullopt;
    if (line[i] == '"') quoted = !quoted;
    else if (!quoted && std::string_view("&|<>^()").find(line[i]) != std::string_view::npos) return std::nullopt;
    out += line[i];
  }
  return quoted ? std::nullopt : std::optional(out);
}

// The C runtime's argument splitter: blanks and tabs outside quotes separate
// arguments; 2n backslashes before '"' give n backslashes and the quote
// toggles, 2n+1 give n backslashes and a literal '"'; other backslashes are
// literal; inside quotes "" is a literal '"'.
inline std::vector<std::string> CrtArguments(std::string_view line) {
  std::vector<std::string> args;
  std::string current;
  bool inArg = false, quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if ((c == ' ' || c == '\t') && !quoted) {
      if (inArg) args.push_back(current);
      current.clear();
      inArg = false;
      continue;
    }
    inArg = true;
    if (c == '\\') {
      const std::size_t n = std::min(line.find_first_not_of('\\', i), line.size()) - i;
      const bool beforeQuote = i + n < line.size() && line[i + n] == '"';
      current.append(beforeQuote ? n / 2 : n, '\\');
      if (beforeQuote && n % 2 == 1) current += '"';
      i += n - 1 + (beforeQuote && n % 2 == 1);  // after an even run the quote is read next
    } else if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
      current += '"';  // "" inside quotes
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else {
      current += c;
    }
  }
  if (inArg) args.push_back(current);
  return args;
}

// The arguments of cmd's own commands (CD, REN, IF EXIST): blanks, tabs,
// commas, semicolons and equals signs outside quotes separate them; quotes
// only group and are dropped; a backslash is an ordinary character.
inline std::vector<std::string> CmdBuiltinArguments(std::string_view line) {
  std::vector<std::string> args;
  std::string current;
  bool inArg = false, quoted = false;
  for (char c : line) {
    const bool separates = !quoted && std::string_view(" \t,;=").find(c) != std::string_view::npos;
    if (separates && inArg) args.push_back(current);
    if (separates) current.clear();
    else if (c == '"') quoted = !quoted;
    else current += c;
    inArg = !separates;
  }
  if (inArg) args.push_back(current);
  return args;
}

}  // namespace qm::test
