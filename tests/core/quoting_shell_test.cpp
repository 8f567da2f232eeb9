// Quoting for /bin/sh, proved by the shell itself: each quoted name is handed
// to printf '%s\n' in a real /bin/sh, in a folder holding decoy files, and
// must come back exactly, while nothing in a name may create a file there.

#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TempTree.h"
#include "core/Quoting.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct NameRow {
  std::string_view label;
  std::string_view name;
};

// Every name that an unquoted shell would act on writes MARKER (or expands
// into something other than itself).
const NameRow kHostileNames[] = {
    {"Semicolon", "x; touch MARKER"},
    {"CommandSubstitution", "$(touch MARKER)"},
    {"Backticks", "`touch MARKER`"},
    {"AndList", "x && touch MARKER"},
    {"Pipe", "x | touch MARKER"},
    {"Redirection", "x > MARKER"},
    {"Background", "x & touch MARKER"},
    {"SingleQuote", "a'b"},
    {"QuoteBreakout", "'; touch MARKER; '"},
    {"DoubleQuotedSubstitution", "\"$(touch MARKER)\""},
    {"NewlineCommand", "x\ntouch MARKER"},
    {"Glob", "*"},
    {"GlobWithExtension", "*.chd"},
    {"Tilde", "~"},
    {"Variable", "$HOME"},
    {"Comment", "#x"},
    {"Blanks", "my disk.chd"},
    {"LeadingAndTrailingBlanks", "  disk.chd  "},
    {"Tab", "a\tb.chd"},
    {"Newline", "a\nb.chd"},
    {"Backslashes", "a\\nb\\"},
    {"DoubleQuote", "a\"b"},
    {"Braces", "{a,b}.chd"},
    {"Bang", "!x"},
    {"Dash", "-n"},
    {"Accented", "Perché così è.chd"},
    {"Empty", ""},
};

// Runs `command` with /bin/sh -c inside `folder`; returns its standard output
// and its status.
std::pair<std::string, int> RunShell(const fs::path& folder, const std::string& command) {
  const std::string line = "cd " + QuoteName(folder.string(), Interpreter::PosixShell) + " && " + command;
  std::string output;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return {output, -1};
  char buffer[256];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return {output, pclose(pipe)};
}

const std::set<std::string> kDecoys{"decoy.chd", "other.chd"};

TEST(ShellQuotingLineTest, AllNamesOnOneLineComeBackOnePerLine) {
  // Two decoy files, so that a glob that escapes quoting expands to something.
  test::TempTree tree;
  for (const char* decoy : {"decoy.chd", "other.chd"}) test::WriteAll(tree.data() / decoy, "");
  std::string command = "printf '%s\\n'";
  std::string expected;
  for (const NameRow& row : kHostileNames) {
    command += ' ' + QuoteName(row.name, Interpreter::PosixShell);
    expected += std::string(row.name) + '\n';
  }
  EXPECT_EQ(RunShell(tree.data(), command), std::make_pair(expected, 0));
  std::set<std::string> entries;
  for (const auto& entry : fs::directory_iterator(tree.data())) entries.insert(entry.path().filename().string());
  EXPECT_EQ(entries, kDecoys);
}

}  // namespace
}  // namespace qm
