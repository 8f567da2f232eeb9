// Quoting of names for both interpreters on any legal file name: the quoted
// names, alone and inside the real batch text of an update and a merge, are
// read back by a model of the interpreter (CmdReader.h for cmd.exe and the C
// runtime, ShellReader.h for /bin/sh) as exactly the names, and nothing in
// them becomes an operator, an expansion or a command of its own.
//
// Input: two names (the image and the temporary file) cut from the bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CmdReader.h"
#include "FuzzCheck.h"
#include "ShellReader.h"
#include "core/Quoting.h"
#include "core/ToolContract.h"
#include "jobs/modMain.h"
#include "runner/BatchFile.h"

namespace {

using qm::Interpreter;
using Words = std::vector<std::string>;

// Windows forbids control characters and < > : " / \ | ? * in a file name.
bool WindowsNameByte(char c) {
  return static_cast<unsigned char>(c) >= 0x20 && std::string_view("<>:\"/\\|?*").find(c) == std::string_view::npos;
}
// POSIX forbids only NUL and "/".
bool PosixNameByte(char c) { return c != '\0' && c != '/'; }

template <typename Legal>
std::string LegalName(std::string_view bytes, Legal&& legal) {
  std::string name;
  std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(name), legal);
  return name;
}

// A line of a batch file as cmd.exe runs it: after its percent phase, with no
// operator outside quotes.
std::string CmdLine(std::string_view line) {
  const std::optional<std::string> expanded = qm::test::CmdBatchPercents(line);
  QM_FUZZ_CHECK(expanded.has_value());
  bool endsQuoted = false;
  QM_FUZZ_CHECK(qm::test::CmdOperatorOutsideQuotes(*expanded, &endsQuoted) == 0);
  QM_FUZZ_CHECK(!endsQuoted);
  return *expanded;
}

std::vector<std::string> Lines(const std::string& text, std::string_view eol) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(eol, from)) != std::string::npos; from = at + eol.size())
    lines.push_back(text.substr(from, at - from));
  return lines;
}

// The lines of the batch file that carry the names: the tool's (read by cmd
// and then by the tool's C runtime) and those of cmd's own IF and REN.
void CheckCmd(const std::string& image, const std::string& temp) {
  const std::string tool = "C:\\Program Files\\Quillmere 100%\\chdman.exe";
  const std::string old = qm::GetBaseName(image, false, qm::PathStyle::Windows) + ".old";
  const qm::BatchJob update{image, "Update", temp, "D:\\Giochi (2003)",
                            qm::UpdateArguments(image, temp, Interpreter::Cmd)};
  int toolLines = 0, renames = 0;
  for (const std::string& line : Lines(qm::CmdBatchFile(update, {tool}), "\r\n")) {
    if (line.rfind('"', 0) == 0) {
      ++toolLines;
      QM_FUZZ_CHECK(qm::test::CrtArguments(CmdLine(line)) == (Words{tool, "-update", image, temp}));
    } else if (line.rfind("REN ", 0) == 0) {
      const Words words = qm::test::CmdBuiltinArguments(CmdLine(line));
      QM_FUZZ_CHECK(words == (Words{"REN", image, old}) || words == (Words{"REN", temp, image}));
      ++renames;
    } else if (line.rfind("IF EXIST ", 0) == 0) {
      const Words words = qm::test::CmdBuiltinArguments(CmdLine(line));
      QM_FUZZ_CHECK(words.size() >= 4 && (words[2] == old || words[2] == temp));
    } else if (line.rfind("IF NOT EXIST ", 0) == 0) {
      const Words words = qm::test::CmdBuiltinArguments(CmdLine(line));
      QM_FUZZ_CHECK(words.size() >= 5 && words[3] == temp);
    }
  }
  QM_FUZZ_CHECK(toolLines == 1 && renames == 2);

  const qm::BatchJob merge{image, "Merge", temp, "D:\\Giochi", qm::MergeArguments(image, "patch.diff", temp, Interpreter::Cmd)};
  toolLines = 0;
  for (const std::string& line : Lines(qm::CmdBatchFile(merge, {tool}), "\r\n")) {
    if (line.rfind('"', 0) != 0) continue;
    ++toolLines;
    QM_FUZZ_CHECK(qm::test::CrtArguments(CmdLine(line)) == (Words{tool, "-merge", image, "patch.diff", temp}));
  }
  QM_FUZZ_CHECK(toolLines == 1);
}

// The commands of a script, in order, read by the shell model; the comment
// line at the top is skipped.
std::vector<qm::test::ShellCommand> Commands(const std::string& script) {
  std::vector<qm::test::ShellCommand> commands;
  std::string_view rest(script);
  if (rest.rfind('#', 0) == 0) rest.remove_prefix(rest.find('\n') + 1);
  while (!rest.empty()) {
    qm::test::ShellCommand cmd = qm::test::ShellFirstCommand(rest);
    rest = cmd.rest;
    if (!cmd.words.empty()) commands.push_back(std::move(cmd));
  }
  return commands;
}

void CheckShell(const std::string& image, const std::string& temp) {
  const qm::test::ShellCommand direct = qm::test::ShellFirstCommand(
      "printf %s " + qm::QuoteName(image, Interpreter::PosixShell) + ' ' + qm::QuoteName(temp, Interpreter::PosixShell));
  QM_FUZZ_CHECK(direct.inert && direct.rest.empty());
  QM_FUZZ_CHECK(direct.words == (Words{"printf", "%s", image, temp}));

  const std::string tool = "/opt/my tools/chdman";
  const std::string old = qm::GetBaseName(image, false, qm::PathStyle::Posix) + ".old";
  const qm::BatchJob update{image, "Update", temp, "/data/Giochi d'epoca",
                            qm::UpdateArguments(image, temp, Interpreter::PosixShell)};
  int toolRuns = 0, renames = 0;
  for (const qm::test::ShellCommand& cmd : Commands(qm::PosixBatchScript(update, {tool}))) {
    const std::string& first = cmd.words.front();
    // A name that escaped its quotes would start a command of its own here.
    const bool known = first == tool || first == "cd" || first == "if" || first == "[" || first == "then" ||
                       first == "exit" || first == "fi" || first == "mv";
    QM_FUZZ_CHECK(known);
    if (first == tool) {
      ++toolRuns;
      QM_FUZZ_CHECK(cmd.inert && cmd.words == (Words{tool, "-update", image, temp}));
    } else if (first == "mv") {
      ++renames;
      QM_FUZZ_CHECK(cmd.inert);
      QM_FUZZ_CHECK(cmd.words == (Words{"mv", "--", image, old}) || cmd.words == (Words{"mv", "--", temp, image}));
    } else if (first == "[" || first == "if") {
      // The tests before the renames: IMG.old absent, TMP present.
      QM_FUZZ_CHECK(cmd.inert && cmd.words.size() >= 4);
      const std::string& tested = cmd.words[cmd.words.size() - 2];
      QM_FUZZ_CHECK(tested == old || tested == temp);
    }
  }
  QM_FUZZ_CHECK(toolRuns == 1 && renames == 2);

  const qm::BatchJob merge{image, "Merge", temp, "/data",
                           qm::MergeArguments(image, "patch.diff", temp, Interpreter::PosixShell)};
  toolRuns = 0;
  for (const qm::test::ShellCommand& cmd : Commands(qm::PosixBatchScript(merge, {tool}))) {
    if (cmd.words.front() != "exec") continue;
    ++toolRuns;
    QM_FUZZ_CHECK(cmd.inert && cmd.words == (Words{"exec", tool, "-merge", image, "patch.diff", temp}));
  }
  QM_FUZZ_CHECK(toolRuns == 1);
}

// Quotes and backslashes cannot be in a Windows name, but the quoting must
// carry them too: any text of one line reaches the C runtime unchanged.
void CheckCrtRoundTrip(const std::string& text) {
  if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) return;
  const std::string line = "chdman.exe " + qm::QuoteName(text, Interpreter::Cmd) + " x";
  bool endsQuoted = false;
  QM_FUZZ_CHECK(qm::test::CmdOperatorOutsideQuotes(line, &endsQuoted) == 0 && !endsQuoted);
  QM_FUZZ_CHECK(qm::test::CrtArguments(line) == (Words{"chdman.exe", text, "x"}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string first = in.ConsumeRandomLengthString(200);
  const std::string second = in.ConsumeRandomLengthString(200);
  CheckCrtRoundTrip(first);

  const std::string windowsImage = LegalName(first, WindowsNameByte);
  const std::string windowsTemp = LegalName(second, WindowsNameByte);
  if (!windowsImage.empty() && !windowsTemp.empty()) CheckCmd(windowsImage, windowsTemp);

  const std::string posixImage = LegalName(first, PosixNameByte);
  const std::string posixTemp = LegalName(second, PosixNameByte);
  if (!posixImage.empty() && !posixTemp.empty()) CheckShell(posixImage, posixTemp);
  return 0;
}
