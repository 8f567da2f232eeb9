#pragma once
// How /bin/sh reads the start of a line, modelled in plain C++ (the POSIX
// token rules, as dash follows them): the words of the first simple command
// after quote removal, and whether anything in it is more than plain text.
// Shared by the quoting tests, which hold it against the real shell, and the
// quoting fuzzer.

#include <string>
#include <string_view>
#include <vector>

namespace qm::test {

struct ShellCommand {
  std::vector<std::string> words;
  // False when the command expands, globs, redirects, opens a subshell or a
  // comment, or leaves a quote open: its words are then not what runs.
  bool inert = true;
  // What follows the control operator (";", "&", "|", "&&", "||", newline)
  // that ended the command; empty at the end of the line.
  std::string_view rest;
};

// True when a "]" comes at `from` or later before the word can end.
inline bool ClosesBracket(std::string_view line, std::size_t from) {
  const std::size_t at = line.find_first_of("] \t\n;&|<>()", from);
  return at != std::string_view::npos && line[at] == ']';
}

inline ShellCommand ShellFirstCommand(std::string_view line) {
  ShellCommand cmd;
  std::string word;
  bool inWord = false;
  auto endWord = [&] {
    if (inWord) cmd.words.push_back(word);
    word.clear();
    inWord = false;
  };
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t') {
      endWord();
      ++i;
    } else if (c == '\n' || c == ';' || c == '&' || c == '|') {
      endWord();
      std::size_t after = i + 1;
      if (c != '\n' && after < line.size() && line[after] == c) ++after;  // && || ;;
      cmd.rest = line.substr(after);
      return cmd;
    } else if (c == '<' || c == '>') {
      cmd.inert = false;  // a redirection: <, >, and <<, <&, <>, >>, >&, >|
      i += i + 1 < line.size() && std::string_view("<>&|").find(line[i + 1]) != std::string_view::npos ? 2 : 1;
    } else if (c == '(' || c == ')') {
      cmd.inert = false;  // a subshell
      ++i;
    } else if (c == '[' && ClosesBracket(line, i + 1)) {
      cmd.inert = false;  // a bracket expression; a "[" without its "]" is itself
      word += c;
      inWord = true;
      ++i;
    } else if (c == '$' || c == '`' || c == '*' || c == '?') {
      cmd.inert = false;  // expansion or pathname pattern
      word += c;
      inWord = true;
      ++i;
    } else if ((c == '~' || c == '#') && !inWord) {
      cmd.inert = false;  // tilde expansion or a comment
      word += c;
      inWord = true;
      ++i;
    } else if (c == '\\') {
      inWord = true;
      if (i + 1 >= line.size()) {
        cmd.inert = false;  // a lone backslash at the very end
        ++i;
      } else if (line[i + 1] == '\n') {
        i += 2;  // line continuation
      } else {
        word += line[i + 1];
        i += 2;
      }
    } else if (c == '\'') {
      inWord = true;
      const std::size_t close = line.find('\'', i + 1);
      if (close == std::string_view::npos) {
        cmd.inert = false;
        word += line.substr(i + 1);
        i = line.size();
      } else {
        word += line.substr(i + 1, close - i - 1);
        i = close + 1;
      }
    } else if (c == '"') {
      inWord = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char d = line[i];
        if (d == '"') {
          closed = true;
          ++i;
          break;
        }
        if (d == '\\' && i + 1 < line.size() && std::string_view("$`\"\\\n").find(line[i + 1]) != std::string_view::npos) {
          if (line[i + 1] != '\n') word += line[i + 1];
          i += 2;
          continue;
        }
        if (d == '$' || d == '`') cmd.inert = false;
        word += d;
        ++i;
      }
      if (!closed) cmd.inert = false;
    } else {
      word += c;
      inWord = true;
      ++i;
    }
  }
  endWord();
  return cmd;
}

}  // namespace qm::test
