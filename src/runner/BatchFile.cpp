#include "runner/BatchFile.h"

#include <utility>

#include "core/Quoting.h"
#include "jobs/modMain.h"

namespace qm {
namespace {

// Printed when an update stops before any rename: IMG.old is already there,
// or the tool left no TMP. Plain ASCII without characters either interpreter
// would read specially.
constexpr std::string_view kBackupExistsMessage = "Aggiornamento non eseguito: esiste il file .old";
constexpr std::string_view kNoOutputMessage = "Aggiornamento non eseguito: manca il file temporaneo";
constexpr std::string_view kOutputExistsMessage = "Lavoro non eseguito: il file di uscita esiste";

bool Renames(const BatchJob& job) { return job.action == "Update"; }

std::string Shell(std::string_view name) { return QuoteName(name, Interpreter::PosixShell); }

// cmd.exe expands %NAME% even inside quotes; "%%" in a batch file is one "%".
std::string DoublePercent(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// An argument of cmd's own commands (CD, PUSHD, IF EXIST, REN). These take
// quotes as plain grouping and a backslash as an ordinary character, so the
// name is only wrapped, never escaped: CD "D:\My Images\" works as it stands.
// Windows names cannot hold a double quote.
std::string CmdWord(std::string_view name) {
  const std::string text = DoublePercent(name);
  return NeedsQuoting(name, Interpreter::Cmd) ? '"' + text + '"' : text;
}

bool StartsWithDrive(std::string_view folder) {
  if (folder.size() < 2 || folder[1] != ':') return false;
  const char c = folder[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

class CmdLines {
 public:
  void Add(std::string_view line) {
    text_ += line;
    text_ += "\r\n";
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// IF ERRORLEVEL n is true for n and above only, so a crash status (negative)
// would pass it; the comparison catches every non-zero status.
constexpr std::string_view kStopOnFailure = "IF %ERRORLEVEL% NEQ 0 EXIT %ERRORLEVEL%";

}  // namespace

std::string PosixBatchScript(const BatchJob& job, const ToolCommand& command) {
  std::string s = "# Written by Quillmere for one job.\n";
  s += "cd -- " + Shell(job.folder) + " || exit 1\n";
  if (!job.temp.empty()) {
    const std::string temp = Shell(job.temp);
    s += "if [ -e " + temp + " ] || [ -L " + temp + " ]; then echo " + Shell(kOutputExistsMessage) + " >&2; exit " +
         std::to_string(kOutputExistsStatus) + "; fi\n";
  }
  if (!command.bridged.empty()) s += "export QUILLMERE_CHDMAN=" + Shell(command.bridged) + '\n';
  const std::string tool = Shell(command.program) + ' ' + job.args;
  if (!Renames(job)) {
    // exec: the script's status is the tool's, and no shell is left behind
    // once the tool is stopped.
    s += "exec " + tool + '\n';
    return s;
  }
  const std::string image = Shell(job.image);
  const std::string temp = Shell(job.temp);
  const std::string old = Shell(GetBaseName(job.image, false, PathStyle::Posix) + ".old");
  s += "if [ -e " + old + " ] || [ -L " + old + " ]; then echo " + Shell(kBackupExistsMessage) +
       " >&2; exit " + std::to_string(kBackupExistsStatus) + "; fi\n";
  s += tool + " || exit $?\n";
  s += "if [ ! -f " + temp + " ]; then echo " + Shell(kNoOutputMessage) + " >&2; exit " +
       std::to_string(kNoOutputStatus) + "; fi\n";
  s += "mv -- " + image + ' ' + old + " || exit $?\n";
  s += "mv -- " + temp + ' ' + image + '\n';
  return s;
}

std::string CmdBatchFile(const BatchJob& job, const ToolCommand& command) {
  CmdLines bat;
  bat.Add("@ECHO OFF");
  const std::string folder = job.folder + '\\';
  if (StartsWithDrive(folder)) {
    bat.Add(folder.substr(0, 2));
    bat.Add("CD " + CmdWord(folder));
  } else {
    // A UNC path cannot be cmd's current folder; PUSHD maps it to a drive.
    bat.Add("PUSHD " + CmdWord(folder));
  }
  // A fresh cmd starts at level 0, and a failed drive change or CD sets 1.
  bat.Add("IF ERRORLEVEL 1 EXIT 1");

  const bool renames = Renames(job);
  const std::string old = CmdWord(GetBaseName(job.image, false, PathStyle::Windows) + ".old");
  if (renames) {
    bat.Add("IF EXIST " + old + " ECHO " + std::string(kBackupExistsMessage));
    bat.Add("IF EXIST " + old + " EXIT " + std::to_string(kBackupExistsStatus));
  }

  if (!job.temp.empty()) {
    const std::string temp = CmdWord(job.temp);
    bat.Add("IF EXIST " + temp + " ECHO " + std::string(kOutputExistsMessage));
    bat.Add("IF EXIST " + temp + " EXIT " + std::to_string(kOutputExistsStatus));
  }

  // SET "NAME=VALUE": the quotes keep the value whole and drop out.
  if (!command.bridged.empty()) bat.Add("SET \"QUILLMERE_CHDMAN=" + DoublePercent(command.bridged) + '"');
  bat.Add('"' + DoublePercent(command.program) + "\" " + DoublePercent(job.args));

  if (renames) {
    bat.Add(kStopOnFailure);
    const std::string temp = CmdWord(job.temp);
    bat.Add("IF NOT EXIST " + temp + " ECHO " + std::string(kNoOutputMessage));
    bat.Add("IF NOT EXIST " + temp + " EXIT " + std::to_string(kNoOutputStatus));
    bat.Add("REN " + CmdWord(job.image) + ' ' + old);
    bat.Add(kStopOnFailure);
    bat.Add("REN " + temp + ' ' + CmdWord(job.image));
  }
  // EXIT without /B: the status of cmd.exe itself, which is what the runner sees.
  bat.Add("EXIT %ERRORLEVEL%");
  return bat.Take();
}

}  // namespace qm
