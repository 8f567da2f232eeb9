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

// A fresh folder with two decoy files, so that a glob that escapes quoting
// expands to something visible.
class ShellFolder {
 public:
  ShellFolder() {
    for (const char* decoy : {"decoy.chd", "other.chd"}) test::WriteAll(path() / decoy, "");
  }
  fs::path path() const { return tree_.data(); }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path())) names.insert(entry.path().filename().string());
    return names;
  }

 private:
  test::TempTree tree_;
};

struct ShellResult {
  std::string output;
  int status = -1;
};

// Runs `command` with /bin/sh -c inside `folder`; collects standard output.
ShellResult RunShell(const fs::path& folder, const std::string& command) {
  const std::string line = "cd " + QuoteName(folder.string(), Interpreter::PosixShell) + " && " + command;
  ShellResult result;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return result;
  char buffer[256];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  result.status = pclose(pipe);
  return result;
}

const std::set<std::string> kDecoys{"decoy.chd", "other.chd"};

TEST(ShellQuotingLineTest, AllNamesOnOneLineComeBackOnePerLine) {
  ShellFolder folder;
  std::string command = "printf '%s\\n'";
  std::string expected;
  for (const NameRow& row : kHostileNames) {
    command += ' ' + QuoteName(row.name, Interpreter::PosixShell);
    expected += std::string(row.name) + '\n';
  }
  const ShellResult run = RunShell(folder.path(), command);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(folder.Entries(), kDecoys);
}

// Without quoting the same names do harm here, so the checks above can fail.
TEST(ShellQuotingLineTest, UnquotedNamesWouldBeActedOn) {
  ShellFolder folder;
  RunShell(folder.path(), "printf '%s\\n' x; touch MARKER");
  EXPECT_EQ(folder.Entries().count("MARKER"), 1u);
  EXPECT_EQ(RunShell(folder.path(), "printf '%s\\n' *.chd").output, "decoy.chd\nother.chd\n");
}

}  // namespace
}  // namespace qm
