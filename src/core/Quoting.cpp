#include "core/Quoting.h"

namespace qm {
namespace {

bool CmdSpecial(char c) {
  switch (c) {
    case ' ': case '\t': case '"': case '&': case '|': case '<': case '>':
    case '^': case '(': case ')': case ',': case ';': case '=':
      return true;
    default:
      return false;
  }
}

// Bytes a POSIX shell reads as themselves in an unquoted word, anywhere in it.
// Bytes of 0x80 and above (UTF-8 letters) are ordinary word characters.
bool ShellPlain(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '_': case '-': case '.': case '/': case '+': case ',': case ':': case '@': case '%':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool NeedsQuoting(std::string_view name, Interpreter interp) {
  if (name.empty()) return true;
  for (char c : name) {
    // Control characters need quotes; UTF-8 bytes (0x80 and above) are letters.
    const bool control = static_cast<unsigned char>(c) < 0x20;
    const bool special = interp == Interpreter::Cmd ? CmdSpecial(c) || control : !ShellPlain(c);
    if (special) return true;
  }
  return false;
}

std::string QuoteName(std::string_view name, Interpreter interp) {
  if (!NeedsQuoting(name, interp)) return std::string(name);
  std::string out;
  if (interp == Interpreter::PosixShell) {
    out += '\'';
    for (char c : name) {
      if (c == '\'') out += "'\\''";
      else out += c;
    }
    out += '\'';
    return out;
  }
  out += '"';
  std::size_t backslashes = 0;
  for (char c : name) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes right before a quote are literal only when doubled.
    out.append(c == '"' ? backslashes * 2 : backslashes, '\\');
    backslashes = 0;
    if (c == '"') out += "\"\"";
    else out += c;
  }
  out.append(backslashes * 2, '\\');  // the closing quote follows
  out += '"';
  return out;
}

}  // namespace qm
