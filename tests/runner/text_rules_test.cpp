// The runner's text rules, row by row: progress lines, the per-job batch
// file, the line quoted for a failed job, what a tool says it is, and which
// processes a cancel ends by name.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "RowName.h"
#include "runner/BatchFile.h"
#include "runner/KillApp.h"
#include "runner/LastLine.h"
#include "runner/ProgressParser.h"
#include "runner/ToolLookup.h"

namespace qm {
namespace {

// --- Progress lines: the bars each call reports. That no cut changes them and
// the buffer stays bounded is the fuzzer's check
// (tests/fuzz/fuzz_progress_parser.cpp), over any output.

// "MAX VALUE TOTAL" of the bars a call reports, "" when it reports none.
std::string Shown(const std::optional<ProgressUpdate>& u) {
  return u ? std::to_string(u->currentMax) + " " + std::to_string(u->currentValue) + " " + std::to_string(u->totalValue) : "";
}

// A "7/9" line padded with blanks to `length`, without its ")".
std::string Padded(std::size_t length) { return "Compressing hunk 7/9." + std::string(length - 21, ' '); }

// Chunks of a tool's output, and what the last one fed leaves.
struct FeedRow {
  const char* name;
  std::vector<std::string> chunks;
  std::string expected;
  int job = 2;  // the parser's arguments
  int totalMax = 1000;
};

class FeedRows : public ::testing::TestWithParam<FeedRow> {};

TEST_P(FeedRows, LastCallReportsNewestLine) {
  ProgressParser parser;
  std::optional<ProgressUpdate> last;
  for (const auto& chunk : GetParam().chunks) last = parser.Feed(chunk, GetParam().job, GetParam().totalMax);
  EXPECT_EQ(Shown(last), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, FeedRows,
    ::testing::Values(
        FeedRow{"WorkedExample", {"Compressing hunk 250/1000... (ratio=50%)\r"}, "10 2 125"},
        FeedRow{"NewestLineWins", {"Compressing hunk 100/1000.)Compressing hunk 990/1000.)"}, "10 9 199"},
        // Cuts are the fuzzer's; these rows pin them in every build.
        FeedRow{"SplitInsidePrefix", {"Compressing hu", "nk 250/1000... (ratio=50%)\r"}, "10 2 125"},
        FeedRow{"WaitsForParenthesis", {"Compressing hunk 250/10", "00... (ratio=50%"}, ""},
        FeedRow{"ParenthesisCompletes", {"Compressing hunk 250/10", "00... (ratio=50%", ")"}, "10 2 125"},
        FeedRow{"ParenthesisBeforePrefix", {") x ) Compressing hunk 500/1000. )"}, "10 5 150"},
        FeedRow{"LongestLineThenParenthesis", {Padded(ProgressParser::kMaxPendingLine), ")"}, "9 7 177"},
        FeedRow{"TooLongThenParenthesis", {Padded(ProgressParser::kMaxPendingLine + 1), ")"}, ""},
        FeedRow{"TooLongAcrossChunksIsDropped",
                {"Compressing hunk 1/2. ", std::string(5000, 'a'), "Compressing hunk 9/10.)"}, "10 9 190"},
        FeedRow{"LastLineOf1050", {"Compressing hunk 1050/1050.)"}, "10 10 205"},
        FeedRow{"LastLineOf1050InLastJob", {"Compressing hunk 1050/1050.)"}, "10 10 300", 3, 300},
        FeedRow{"BelowHundredTrueFraction", {"Compressing hunk 3/7.)"}, "7 3 142"},
        FeedRow{"DoneAboveTotal", {"Compressing hunk 9/7.)"}, "7 7 228"},
        FeedRow{"ZeroTotal", {"Compressing hunk 0/0.)"}, ""},
        FeedRow{"GoodThenZeroTotal", {"Compressing hunk 500/1000.)Compressing hunk 5/0.)"}, "10 5 150"},
        FeedRow{"NoSlash", {"Compressing hunk 12.)"}, ""},
        FeedRow{"NoDot", {"Compressing hunk 1/100)"}, ""},
        FeedRow{"BlankBeforeDot", {"Compressing hunk 1/100 .)"}, ""},
        FeedRow{"OtherCase", {"compressing Hunk 5/100.)"}, ""},
        FeedRow{"PrefixInsideLine", {"Compressing hunk Compressing hunk 3/100.)"}, ""},
        FeedRow{"MalformedThenGood",
                {"Compressing hunk x/100. )Compressing hunk 12. )", "Compressing hunk 1/100)Compressing hunk 50/100. )"},
                "1 0 150"},
        FeedRow{"DoneBeyond32Bits", {"Compressing hunk 2147483648/4294967296.)"}, ""},
        FeedRow{"TotalBeyond32Bits", {"Compressing hunk 5/2147483648.)"}, ""},
        FeedRow{"Largest32Bit", {"Compressing hunk 2147483647/2147483647.)"}, "21474836 21474836 200"},
        FeedRow{"LeadingZeros", {"Compressing hunk 00000000000000000050/000000000000100.)"}, "1 0 150"}),
    test::RowName());

// Between jobs: neither the parser's unfinished line nor the last line of the
// job before reaches the next job.
TEST(Reset, ForgetsTheJobBefore) {
  ProgressParser parser;
  EXPECT_EQ(Shown(parser.Feed("Compressing hunk 900/1000... (rat", 1, 300)), "");
  parser.Reset();
  EXPECT_EQ(Shown(parser.Feed("io=5%)", 2, 300)), "");
  EXPECT_EQ(parser.Buffer(), "");
  EXPECT_EQ(Shown(parser.Feed("Compressing hunk 1/100.)", 2, 300)), "1 0 101");
  LastLine last;
  last.Feed("Error: disk full\n");
  last.Reset();
  EXPECT_EQ(last.Text(), "");
}

// --- The whole text of the per-job batch file, line by line.

struct ScriptRow {
  const char* name;
  bool cmd;  // cmd.exe's batch file, else /bin/sh's script
  BatchJob job;
  ToolCommand tool;
  std::vector<std::string> lines;
};

class BatchFileRows : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(BatchFileRows, WholeText) {
  const ScriptRow& row = GetParam();
  std::string text;
  for (const auto& line : row.lines) text += line + (row.cmd ? "\r\n" : "\n");
  EXPECT_EQ(row.cmd ? CmdBatchFile(row.job, row.tool) : PosixBatchScript(row.job, row.tool), text);
}

const std::string kStop = "IF %ERRORLEVEL% NEQ 0 EXIT %ERRORLEVEL%";
const std::string kTakenEcho = " ECHO Lavoro non eseguito: il file di uscita esiste";

INSTANTIATE_TEST_SUITE_P(
    Batch, BatchFileRows,
    ::testing::Values(
        ScriptRow{"PosixUpdate", false,
                  {"game.chd", "Update", "game.tmp", "/data/Images", "-update game.chd game.tmp"},
                  {"/opt/q/chdman"},
                  {"# Written by Quillmere for one job.", "cd -- /data/Images || exit 1",
                   "if [ -e game.tmp ] || [ -L game.tmp ]; then echo 'Lavoro non eseguito: il file di uscita esiste' >&2; exit 5; fi",
                   "if [ -e game.old ] || [ -L game.old ]; then echo 'Aggiornamento non eseguito: esiste il file .old' >&2; exit 3; fi",
                   "/opt/q/chdman -update game.chd game.tmp || exit $?",
                   "if [ ! -f game.tmp ]; then echo 'Aggiornamento non eseguito: manca il file temporaneo' >&2; exit 4; fi",
                   "mv -- game.chd game.old || exit $?", "mv -- game.tmp game.chd"}},
        ScriptRow{"CmdUpdate", true,
                  {"game.chd", "Update", "game.tmp", "D:\\Images", "-update game.chd game.tmp"},
                  {"C:\\Tools\\chdman.exe"},
                  {"@ECHO OFF", "D:", "CD D:\\Images\\", "IF ERRORLEVEL 1 EXIT 1", "IF EXIST game.old ECHO Aggiornamento non eseguito: esiste il file .old",
                   "IF EXIST game.old EXIT 3", "IF EXIST game.tmp" + kTakenEcho, "IF EXIST game.tmp EXIT 5",
                   "\"C:\\Tools\\chdman.exe\" -update game.chd game.tmp", kStop,
                   "IF NOT EXIST game.tmp ECHO Aggiornamento non eseguito: manca il file temporaneo",
                   "IF NOT EXIST game.tmp EXIT 4", "REN game.chd game.old", kStop, "REN game.tmp game.chd", "EXIT %ERRORLEVEL%"}},
        // Names with cmd.exe's characters are HostileNames rows; a program folder is not.
        ScriptRow{"CmdUncFolderAndPercentInTheProgramFolder", true,
                  {"disk.chd", "SetCHS", "", "\\\\nas\\roms\\hd", "-setchs disk.chd 100 16 63 "},
                  {"C:\\Program Files\\Q 100%\\chdman.exe"},
                  {"@ECHO OFF", "PUSHD \\\\nas\\roms\\hd\\", "IF ERRORLEVEL 1 EXIT 1",
                   "\"C:\\Program Files\\Q 100%%\\chdman.exe\" -setchs disk.chd 100 16 63 ", "EXIT %ERRORLEVEL%"}},
        ScriptRow{"CmdDriveRootAndLowerCaseUpdate", true,
                  {"game.chd", "update", "game.tmp", "D:", "-update game.chd game.tmp"},
                  {"C:\\chdman.exe"},
                  {"@ECHO OFF", "D:", "CD D:\\", "IF ERRORLEVEL 1 EXIT 1", "IF EXIST game.tmp" + kTakenEcho,
                   "IF EXIST game.tmp EXIT 5", "\"C:\\chdman.exe\" -update game.chd game.tmp", "EXIT %ERRORLEVEL%"}}),
    test::RowName());

// --- The line quoted for a failed job: the last meaningful thing the tool said.

class LastLineRows : public ::testing::TestWithParam<FeedRow> {};

TEST_P(LastLineRows, KeepsTheLastMeaningfulLine) {
  LastLine last;
  for (const auto& chunk : GetParam().chunks) last.Feed(chunk);
  EXPECT_EQ(last.Text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LastLineRows,
    ::testing::Values(
        FeedRow{"Empty", {}, ""},
        FeedRow{"ErrorAfterProgress", {"Compressing hunk 1/10... (ratio=5%)\r", "Error: disk full\n"}, "Error: disk full"},
        FeedRow{"SplitAcrossChunks", {"Err", "or: bad", " file\r\n"}, "Error: bad file"},
        FeedRow{"BlankLinesIgnored", {"first\n", "   \n", "\r\n"}, "first"},
        FeedRow{"UnfinishedLineWins", {"done\n", "Error: no newline"}, "Error: no newline"},
        FeedRow{"Trimmed", {"  padded  \r"}, "padded"},
        FeedRow{"ProgressAfterTheErrorIsNoReason",
                    {"Error: bad sector\n", "Compressing hunk 5/10... (ratio=5%)\r"}, "Error: bad sector"},
        FeedRow{"TodaysProgressIsNoReasonEither",
                    {"Error: read failed\n", "Compressing, 45.3% complete... (ratio=40.2%)\r"}, "Error: read failed"},
        FeedRow{"EndlessLineStaysBounded", std::vector<std::string>(100, std::string(4096, 'x')),
                std::string(LastLine::kMaxLength, 'x')}),
    test::RowName());

// --- What a chdman says of itself when started without arguments. Debian's
// own banner and a program that is no tool are the runner's end-to-end rows
// (RealChdman..., WhereTheToolIs).

// The whole output in one chunk; "old VERSION", "current VERSION", or "" for no tool.
class ToolBanners : public ::testing::TestWithParam<FeedRow> {};

TEST_P(ToolBanners, TellTheOldToolFromTodays) {
  const std::optional<ToolBanner> banner = ReadToolBanner(GetParam().chunks.at(0));
  EXPECT_EQ(!banner ? "" : (banner->dialect == ToolDialect::Old ? "old " : "current ") + banner->version, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ToolBanners,
    ::testing::Values(
        FeedRow{"LastOld", {"chdman - MAME Compressed Hunks of Data (CHD) manager 0.145\r\n"}, "old 0.145"},
        FeedRow{"FirstCurrent", {"manager 0.146 (mame0146)\n"}, "current 0.146"},
        FeedRow{"AfterAnErrorLine", {"Error: Required parameters missing\nchdman - ... manager 0.264\n"}, "current 0.264"},
        FeedRow{"ALaterMajor", {"CHD manager 1.02\n"}, "current 1.02"},
        FeedRow{"UsageOnly", {"Usage:\n chdman -update in out\n chdman -setchs inout c h s\n"}, "old "},
        FeedRow{"ManagerWithoutANumber", {"task manager running\n"}, ""}),
    test::RowName());

// --- Which processes of a job a cancel ends by name: those whose image name
// ends with the tool's name, in any case.

// Image name, tool name, whether they match.
class ImageName : public ::testing::TestWithParam<std::tuple<const char*, const char*, bool>> {};

TEST_P(ImageName, MatchesTheEndIgnoringCase) {
  const auto& [image, name, matches] = GetParam();
  EXPECT_EQ(ImageNameMatches(image, name), matches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImageName,
    ::testing::Values(std::tuple("ChdMan.Exe", "chdman.exe", true), std::tuple("xchdman.exe", "chdman.exe", true),
                      std::tuple("C:\\Tools\\chdman.exe", "chdman.exe", true), std::tuple("chdman.exe.bak", "chdman.exe", false),
                      std::tuple("man.exe", "chdman.exe", false), std::tuple("chdman2", "chdman", false),
                      std::tuple("", "chdman", false)));

}  // namespace
}  // namespace qm
