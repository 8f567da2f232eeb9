#pragma once
// How /bin/sh reads the start of a line, modelled in plain C++ (the POSIX
// token rules, as dash follows them): the words of the first simple command
// after quote removal, and whether anything in it is more than plain text.
// Double quotes are not modelled: a command with one is not inert. The
// quoting fuzzer reads scripts with it; quoting_test holds it to the real shell.

#include <string>
#include <string_view>
#include <vector>

namespace qm::test {

struct ShellCommand {
  std::vector<std::string> words;
  // False when the command expands, globs, redirects, opens a subshell or a
  // comment, has a double quote, or leaves a quote open: its words are then
  // not what runs.
  bool inert = true;
  // What follows the control operator (";", "&", "|", "&&", "||", newline)
  // that ended the command; empty at the end of the line.
  std::string_view rest;
};

inline ShellCommand ShellFirstCommand(std::string_view line) {
  ShellCommand cmd;
  std::string word;
  bool inWord = false;
  auto endWord = [&] {
    if (inWord) cmd.words.push_back(word);
    word.clear();
    inWord = false;
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    const std::string_view next = line.substr(i + 1);
    if (c == ' ' || c == '\t') {
      endWord();
    } else if (c == '\n' || c == ';' || c == '&' || c == '|') {
      endWord();
      cmd.rest = line.substr(i + 1 + (c != '\n' && !next.empty() && next[0] == c));  // && || ;;
      return cmd;
    } else if (c == '<' || c == '>' || c == '(' || c == ')' || c == '"') {
      cmd.inert = false;  // a redirection, a subshell, or a double quote
      i += (c == '<' || c == '>') && !next.empty() && std::string_view("<>&|").find(next[0]) != std::string_view::npos;
    } else if (c == '\\') {
      inWord = true;
      if (next.empty()) cmd.inert = false;  // a lone backslash at the very end
      if (!next.empty() && next[0] != '\n') word += next[0];  // else a line continuation
      ++i;
    } else if (c == '\'') {
      inWord = true;
      const std::size_t close = next.find('\'');
      if (close == std::string_view::npos) cmd.inert = false;
      word += next.substr(0, close);
      i = close == std::string_view::npos ? line.size() : i + close + 1;
    } else {
      // Expansions and patterns; "~" and "#" only at the start of a word; a
      // "[" only when a "]" comes before the word can end.
      const std::size_t end = next.find_first_of("] \t\n;&|<>()");
      const bool bracket = c == '[' && end != std::string_view::npos && next[end] == ']';
      if (bracket || std::string_view("$`*?").find(c) != std::string_view::npos ||
          ((c == '~' || c == '#') && !inWord))
        cmd.inert = false;
      word += c;
      inWord = true;
    }
  }
  endWord();
  return cmd;
}

}  // namespace qm::test
