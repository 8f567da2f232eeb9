// Quoting of names, read back by the interpreters: cmd.exe and the tool's C
// runtime as CmdReader.h models them (on every platform), and a real /bin/sh,
// which also holds ShellReader.h, the fuzzer's model of it, to the real thing.
// fuzz_quoting covers any name against the models; these are the named
// examples, all on one line.

#include <gtest/gtest.h>

#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CmdReader.h"
#include "ShellReader.h"
#include "TempTree.h"
#include "core/Quoting.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Both interpreters: operators, expansions, blanks, quotes and backslashes.
const std::vector<std::string> kBothNames = {
    "my disk.chd", "  disk.chd  ", "x & del /q *.*", "x && echo pwned", "a|b.chd", "x > out < in",
    "Giochi (2003).chd", "a^b.chd", "a,b;c=d.chd", "a\"b.chd", "\"", "\" & echo pwned & \"", "dir\\",
    "my dir\\\\", "a\\\\\"b", "a\\\\b", "a\tb.chd", "Perché così è.chd", "-n", "",
};
// Only /bin/sh reads these specially; a newline cannot be on a cmd.exe line.
const std::vector<std::string> kShellNames = {
    "x; touch MARKER", "$(touch MARKER)", "`touch MARKER`", "'; touch MARKER; '", "\"$(touch MARKER)\"",
    "x\ntouch MARKER", "*", "*.chd", "[d]ecoy.chd", "~", "$HOME", "#x", "{a,b}.chd", "!x", "a\\nb\\",
};

TEST(Quoting, CmdAndTheCRuntimeReadEveryNameBack) {
  std::string line = "chdman.exe";
  std::vector<std::string> expected{"chdman.exe"};
  for (const std::string& name : kBothNames) {
    line += ' ' + QuoteName(name, Interpreter::Cmd);
    expected.push_back(name);
  }
  bool endsQuoted = false;
  EXPECT_EQ(test::CmdOperatorOutsideQuotes(line, &endsQuoted), 0) << line;
  EXPECT_FALSE(endsQuoted);
  EXPECT_EQ(test::CrtArguments(line), expected) << line;
}

#if !defined(_WIN32)
// In a folder holding decoys, so that an escaped glob matches something; a
// name that ran as a command would leave MARKER there.
TEST(Quoting, TheShellAndItsModelReadEveryNameBackAndRunNothing) {
  test::TempTree tree;
  for (const char* decoy : {"decoy.chd", "other.chd"}) test::WriteAll(tree.data() / decoy, "");
  std::string command = "printf '%s\\n'", expected;
  std::vector<std::string> words{"printf", "%s\\n"};
  for (const std::vector<std::string>* names : {&kBothNames, &kShellNames}) {
    for (const std::string& name : *names) {
      command += ' ' + QuoteName(name, Interpreter::PosixShell);
      expected += name + '\n';
      words.push_back(name);
    }
  }
  const test::ShellCommand modelled = test::ShellFirstCommand(command);
  EXPECT_TRUE(modelled.inert && modelled.rest.empty());
  EXPECT_EQ(modelled.words, words);

  FILE* pipe = ::popen(("cd " + QuoteName(tree.data().string(), Interpreter::PosixShell) + " && " + command).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_EQ(output, expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(tree.data()), fs::directory_iterator()), 2);
}
#endif

}  // namespace
}  // namespace qm
