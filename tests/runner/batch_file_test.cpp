// The whole text of the per-job batch file for both interpreters, line by line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RowName.h"
#include "runner/BatchFile.h"

namespace qm {
namespace {

std::string Join(const std::vector<std::string>& lines, const char* eol) {
  std::string text;
  for (const auto& line : lines) text += line + eol;
  return text;
}

struct ScriptRow {
  const char* name;
  BatchJob job;
  ToolCommand tool;
  std::vector<std::string> lines;
};

// Only the action "Update" renames: a lower-case "update" runs the tool alone.
TEST(PosixScript, LowerCaseUpdateDoesNotRename) {
  EXPECT_EQ(PosixBatchScript({"game.chd", "update", "game.tmp", "/data/Images", "-update game.chd game.tmp"},
                             {"/opt/q/chdman"}),
            Join({"# Written by Quillmere for one job.", "cd -- /data/Images || exit 1",
                  "if [ -e game.tmp ] || [ -L game.tmp ]; then echo 'Lavoro non eseguito: il file di uscita esiste' "
                  ">&2; exit 5; fi",
                  "exec /opt/q/chdman -update game.chd game.tmp"},
                 "\n"));
}

const std::string kStop = "IF %ERRORLEVEL% NEQ 0 EXIT %ERRORLEVEL%";
const std::string kEcho = " ECHO Aggiornamento non eseguito: esiste il file .old";
const std::string kNoOutputEcho = " ECHO Aggiornamento non eseguito: manca il file temporaneo";
const std::string kTakenEcho = " ECHO Lavoro non eseguito: il file di uscita esiste";

class CmdFileRows : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(CmdFileRows, WholeText) {
  EXPECT_EQ(CmdBatchFile(GetParam().job, GetParam().tool), Join(GetParam().lines, "\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Batch, CmdFileRows,
    ::testing::Values(
        ScriptRow{"Update",
                  {"game.chd", "Update", "game.tmp", "D:\\Images", "-update game.chd game.tmp"},
                  {"C:\\Tools\\chdman.exe"},
                  {"@ECHO OFF", "D:", "CD D:\\Images\\", "IF ERRORLEVEL 1 EXIT 1", "IF EXIST game.old" + kEcho,
                   "IF EXIST game.old EXIT 3", "IF EXIST game.tmp" + kTakenEcho, "IF EXIST game.tmp EXIT 5",
                   "\"C:\\Tools\\chdman.exe\" -update game.chd game.tmp", kStop,
                   "IF NOT EXIST game.tmp" + kNoOutputEcho, "IF NOT EXIST game.tmp EXIT 4", "REN game.chd game.old",
                   kStop, "REN game.tmp game.chd", "EXIT %ERRORLEVEL%"}},
        ScriptRow{"MergeWithCmdCharacters",
                  {"a^b (1).chd", "Merge", "x%y.tmp", "D:\\Giochi & Demo (100%)",
                   "-merge \"a^b (1).chd\" \"x%y.diff\" \"x%y.tmp\""},
                  {"C:\\Program Files\\Q 100%\\chdman.exe"},
                  {"@ECHO OFF", "D:", "CD \"D:\\Giochi & Demo (100%%)\\\"", "IF ERRORLEVEL 1 EXIT 1",
                   "IF EXIST x%%y.tmp" + kTakenEcho, "IF EXIST x%%y.tmp EXIT 5",
                   "\"C:\\Program Files\\Q 100%%\\chdman.exe\" -merge \"a^b (1).chd\" \"x%%y.diff\" \"x%%y.tmp\"",
                   "EXIT %ERRORLEVEL%"}},
        ScriptRow{"UncFolder",
                  {"disk.chd", "SetCHS", "", "\\\\nas\\roms\\hd", "-setchs disk.chd 100 16 63 "},
                  {"C:\\Tools\\chdman.exe"},
                  {"@ECHO OFF", "PUSHD \\\\nas\\roms\\hd\\", "IF ERRORLEVEL 1 EXIT 1",
                   "\"C:\\Tools\\chdman.exe\" -setchs disk.chd 100 16 63 ", "EXIT %ERRORLEVEL%"}},
        ScriptRow{"DriveRootAndLowerCaseUpdate",
                  {"game.chd", "update", "game.tmp", "D:", "-update game.chd game.tmp"},
                  {"C:\\chdman.exe"},
                  {"@ECHO OFF", "D:", "CD D:\\", "IF ERRORLEVEL 1 EXIT 1", "IF EXIST game.tmp" + kTakenEcho,
                   "IF EXIST game.tmp EXIT 5",
                   "\"C:\\chdman.exe\" -update game.chd game.tmp", "EXIT %ERRORLEVEL%"}}),
    test::RowName());

}  // namespace
}  // namespace qm
