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

const std::string kComment = "# Written by Quillmere for one job.";
std::string Taken(const std::string& temp) {
  return "if [ -e " + temp + " ] || [ -L " + temp + " ]; then echo 'Lavoro non eseguito: il file di uscita esiste' >&2; exit 5; fi";
}
const std::string kRefusal = "echo 'Aggiornamento non eseguito: esiste il file .old' >&2; exit 3; fi";
const std::string kNoOutput = "echo 'Aggiornamento non eseguito: manca il file temporaneo' >&2; exit 4; fi";

class PosixScriptRows : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(PosixScriptRows, WholeText) {
  EXPECT_EQ(PosixBatchScript(GetParam().job, GetParam().tool), Join(GetParam().lines, "\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Batch, PosixScriptRows,
    ::testing::Values(
        ScriptRow{"Update",
                  {"game.chd", "Update", "game.tmp", "/data/Images", "-update game.chd game.tmp"},
                  {"/opt/q/chdman"},
                  {kComment, "cd -- /data/Images || exit 1", Taken("game.tmp"),
                   "if [ -e game.old ] || [ -L game.old ]; then " + kRefusal,
                   "/opt/q/chdman -update game.chd game.tmp || exit $?",
                   "if [ ! -f game.tmp ]; then " + kNoOutput, "mv -- game.chd game.old || exit $?",
                   "mv -- game.tmp game.chd"}},
        ScriptRow{"LowerCaseUpdateDoesNotRename",
                  {"game.chd", "update", "game.tmp", "/data/Images", "-update game.chd game.tmp"},
                  {"/opt/q/chdman"},
                  {kComment, "cd -- /data/Images || exit 1", Taken("game.tmp"), "exec /opt/q/chdman -update game.chd game.tmp"}}),
    test::RowName());

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
