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

// The readers themselves, so that a broken model cannot pass every name.
TEST(CmdReaderModelTest, SeesOperatorsAndSplitsUnquotedNames) {
  bool endsQuoted = false;
  EXPECT_EQ(CmdOperatorOutsideQuotes("a & b", &endsQuoted), '&');
  EXPECT_EQ(CmdOperatorOutsideQuotes("\"a\" & \"b\"", &endsQuoted), '&');
  EXPECT_EQ(CmdOperatorOutsideQuotes("\"a & b\"", &endsQuoted), 0);
  EXPECT_EQ(CmdOperatorOutsideQuotes("\"a\\\" & b\"", &endsQuoted), '&');  // \" still toggles cmd
  EXPECT_EQ(CmdOperatorOutsideQuotes("\"a", &endsQuoted), 0);
  EXPECT_TRUE(endsQuoted);
  EXPECT_EQ(CrtArguments("my disk.chd"), (std::vector<std::string>{"my", "disk.chd"}));
  EXPECT_EQ(CrtArguments("\"a\\\"b\" c\\d \"\""), (std::vector<std::string>{"a\"b", "c\\d", ""}));
  EXPECT_EQ(CrtArguments("\"a\"\"b\" \"x\\\\\""), (std::vector<std::string>{"a\"b", "x\\"}));
}

TEST(CmdReaderModelTest, ReadsPercentsAndTheArgumentsOfBuiltins) {
  EXPECT_EQ(test::CmdBatchPercents("100%% \"50%%\""), "100% \"50%\"");
  for (std::string_view expands : {"%PATH%", "\"%1\"", "a %* b", "%~dp0", "end %"}) {
    EXPECT_EQ(test::CmdBatchPercents(expands), std::nullopt) << expands;
  }
  EXPECT_EQ(test::CmdBuiltinArguments("REN \"my disk.chd\" a,b;c=d\te\\f"),
            (std::vector<std::string>{"REN", "my disk.chd", "a", "b", "c", "d", "e\\f"}));
  EXPECT_EQ(test::CmdBuiltinArguments("CD \"D:\\a;b\\\""), (std::vector<std::string>{"CD", "D:\\a;b\\"}));
}

}  // namespace
}  // namespace qm
