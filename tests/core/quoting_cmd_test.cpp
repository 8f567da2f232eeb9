// Quoting for the Windows command interpreter, checked by reading the quoted
// line back the way the two readers on Windows do: cmd.exe (which decides
// what is an operator) and the C runtime of the tool (which splits the
// arguments). The readers are modelled in CmdReader.h, so this runs on every
// platform.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "CmdReader.h"
#include "core/Quoting.h"

namespace qm {
namespace {

using test::CmdOperatorOutsideQuotes;
using test::CrtArguments;

struct NameRow {
  std::string_view label;
  std::string_view name;
};

// Names a Windows user could pick or craft, plus characters the file system
// forbids but a caller might still pass.
const NameRow kHostileNames[] = {
    {"Blank", "my disk.chd"},
    {"LeadingAndTrailingBlanks", "  disk.chd  "},
    {"Ampersand", "a&b.chd"},
    {"ChainedCommand", "x & del /q *.*"},
    {"DoubleAmpersand", "x && echo pwned"},
    {"Pipe", "a|b.chd"},
    {"Redirections", "x > out.txt < in.txt"},
    {"Parentheses", "Giochi (2003).chd"},
    {"Caret", "a^b.chd"},
    {"CommaSemicolonEquals", "a,b;c=d.chd"},
    {"EmbeddedQuote", "a\"b.chd"},
    {"OnlyQuote", "\""},
    {"QuotePair", "\"\""},
    {"QuoteThenOperator", "\" & echo pwned & \""},
    {"TrailingBackslash", "dir\\"},
    {"BlankAndTrailingBackslash", "my dir\\"},
    {"BlankAndTwoTrailingBackslashes", "my dir\\\\"},
    {"BackslashBeforeQuote", "a\\\"b"},
    {"TwoBackslashesBeforeQuote", "a\\\\\"b"},
    {"InnerBackslashes", "a\\\\b"},
    {"Tab", "a\tb.chd"},
    {"Accented", "Perché così è.chd"},
    {"Empty", ""},
};

TEST(CmdQuotingLineTest, AllNamesOnOneLineReadBackInOrder) {
  std::string line = "chdman.exe";
  std::vector<std::string> expected{"chdman.exe"};
  for (const NameRow& row : kHostileNames) {
    line += ' ' + QuoteName(row.name, Interpreter::Cmd);
    expected.emplace_back(row.name);
  }
  bool endsQuoted = false;
  EXPECT_EQ(CmdOperatorOutsideQuotes(line, &endsQuoted), 0) << line;
  EXPECT_FALSE(endsQuoted);
  EXPECT_EQ(CrtArguments(line), expected) << line;
}

}  // namespace
}  // namespace qm
