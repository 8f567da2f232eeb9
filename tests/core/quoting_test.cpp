// Quoting for /bin/sh, proved by the shell itself: the quoted names are
// handed to printf '%s\n' in a real /bin/sh, in a folder holding decoys (so
// that an escaped glob matches something), and must come back exactly,
// while nothing in a name may create a file there. The same line holds
// ShellReader.h, the quoting fuzzer's model of the shell, to the real one.
// (cmd.exe's quoting: the fuzzer against CmdReader.h, and HostileNames
// through the real cmd.exe.)

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ShellReader.h"
#include "TempTree.h"
#include "core/Quoting.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kNames = {
    "x; touch MARKER", "$(touch MARKER)", "`touch MARKER`", "x && touch MARKER", "x | touch MARKER", "x > MARKER",
    "x & touch MARKER", "a'b", "'; touch MARKER; '", "\"$(touch MARKER)\"", "x\ntouch MARKER", "*", "*.chd",
    "[d]ecoy.chd", "~", "$HOME", "#x", "my disk.chd", "  disk.chd  ", "a\tb.chd", "a\nb.chd", "a\\nb\\", "a\"b",
    "{a,b}.chd", "!x", "-n", "Giochi (2003).chd", "Perché così è.chd", "",
};

TEST(Quoting, TheShellAndItsModelReadEveryNameBackAndRunNothing) {
  test::TempTree tree;
  for (const char* decoy : {"decoy.chd", "other.chd"}) test::WriteAll(tree.data() / decoy, "");
  std::string command = "printf '%s\\n'", expected;
  std::vector<std::string> words{"printf", "%s\\n"};
  for (const std::string& name : kNames) {
    command += ' ' + QuoteName(name, Interpreter::PosixShell);
    expected += name + '\n';
    words.push_back(name);
  }
  const test::ShellCommand modelled = test::ShellFirstCommand(command);
  EXPECT_TRUE(modelled.inert && modelled.rest.empty());
  EXPECT_EQ(modelled.words, words);

  const std::string folder = QuoteName(test::Utf8(tree.data()), Interpreter::PosixShell);
  EXPECT_EQ(std::system(("cd " + folder + " && " + command + " > ../out").c_str()), 0);
  EXPECT_EQ(test::ReadAll(tree.root() / "out"), expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(tree.data()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace qm
