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

// Windows forbids control characters and < > : " / \ | ? * in a file name;
// POSIX only NUL and "/".
std::string LegalName(std::string_view bytes, bool windows) {
  std::string name;
  std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(name), [windows](char c) {
    return windows ? static_cast<unsigned char>(c) >= 0x20 && std::string_view("<>:\"/\\|?*").find(c) == std::string_view::npos
                   : c != '\0' && c != '/';
  });
  return name;
}

// An update (which renames) and a merge of `image` into `temp`, with the
// words each must run the tool with.
std::vector<std::pair<qm::BatchJob, Words>> Jobs(const std::string& image, const std::string& temp, Interpreter in,
                                                 const std::string& tool) {
  return {{{image, "Update", temp, "D:\\Giochi (2003)", qm::UpdateArguments(image, temp, in)}, {tool, "-update", image, temp}},
          {{image, "Merge", temp, "/data/Giochi d'epoca", qm::MergeArguments(image, "patch.diff", temp, in)},
           {tool, "-merge", image, "patch.diff", temp}}};
}

// The lines of the batch file that carry the names, after cmd's percent
// phase and with no operator outside quotes: the tool's (split by its C
// runtime) and those of cmd's own IF and REN.
void CheckCmd(const std::string& image, const std::string& temp) {
  const std::string tool = "C:\\Program Files\\Quillmere 100%\\chdman.exe";
  const std::string old = qm::GetBaseName(image, false, qm::PathStyle::Windows) + ".old";
  for (const auto& [job, args] : Jobs(image, temp, Interpreter::Cmd, tool)) {
    int toolLines = 0, renames = 0;
    const std::string text = qm::CmdBatchFile(job, {tool});
    for (std::size_t from = 0, at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2) {
      const std::string_view raw = std::string_view(text).substr(from, at - from);
      const std::optional<std::string> line = qm::test::CmdPlainLine(raw, true);
      const Words words = line ? qm::test::CmdBuiltinArguments(*line) : Words{};
      if (raw.starts_with('"')) {
        ++toolLines;
        QM_FUZZ_CHECK(line && qm::test::CrtArguments(*line) == args);
      } else if (raw.starts_with("REN ")) {
        ++renames;
        QM_FUZZ_CHECK(words == (Words{"REN", image, old}) || words == (Words{"REN", temp, image}));
      } else if (raw.starts_with("IF EXIST ") || raw.starts_with("IF NOT EXIST ")) {
        const std::size_t at = raw.starts_with("IF EXIST ") ? 2 : 3;  // the name tested
        QM_FUZZ_CHECK(words.size() > at + 1 && (words[at] == old || words[at] == temp));
      }
    }
    QM_FUZZ_CHECK(toolLines == 1 && renames == (job.action == "Update" ? 2 : 0));
  }
}

void CheckShell(const std::string& image, const std::string& temp) {
  const std::string tool = "/opt/my tools/chdman";
  const std::string old = qm::GetBaseName(image, false, qm::PathStyle::Posix) + ".old";
  for (const auto& [job, args] : Jobs(image, temp, Interpreter::PosixShell, tool)) {
    int toolRuns = 0, renames = 0;
    // The commands of the script in order, after its comment line.
    const std::string script = qm::PosixBatchScript(job, {tool});
    for (std::string_view rest = std::string_view(script).substr(script.find('\n') + 1); !rest.empty();) {
      const qm::test::ShellCommand cmd = qm::test::ShellFirstCommand(rest);
      rest = cmd.rest;
      if (cmd.words.empty()) continue;
      const Words words(cmd.words.begin() + (cmd.words[0] == "exec"), cmd.words.end());
      const std::string& first = words.front();
      // A name that escaped its quotes would start a command of its own here.
      QM_FUZZ_CHECK(first == tool || first == "cd" || first == "if" || first == "[" || first == "then" ||
                    first == "exit" || first == "fi" || first == "mv");
      if (first == tool) {
        ++toolRuns;
        QM_FUZZ_CHECK(cmd.inert && words == args);
      } else if (first == "mv") {
        ++renames;
        QM_FUZZ_CHECK(cmd.inert && (words == (Words{"mv", "--", image, old}) || words == (Words{"mv", "--", temp, image})));
      } else if (first == "[" || first == "if") {
        // The tests before the tool and the renames: IMG.old absent, TMP present.
        QM_FUZZ_CHECK(cmd.inert && words.size() >= 4);
        QM_FUZZ_CHECK(words[words.size() - 2] == old || words[words.size() - 2] == temp);
      }
    }
    QM_FUZZ_CHECK(toolRuns == 1 && renames == (job.action == "Update" ? 2 : 0));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string first = in.ConsumeRandomLengthString(200);
  const std::string second = in.ConsumeRandomLengthString(200);
  // Quotes and backslashes cannot be in a Windows name, but the quoting must
  // carry them too: any text of one line reaches the C runtime unchanged.
  if (first.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos) {
    const std::string line = "chdman.exe " + qm::QuoteName(first, Interpreter::Cmd) + " x";
    QM_FUZZ_CHECK(qm::test::CmdPlainLine(line, false).has_value());
    QM_FUZZ_CHECK(qm::test::CrtArguments(line) == (Words{"chdman.exe", first, "x"}));
  }
  for (const bool windows : {true, false}) {
    const std::string image = LegalName(first, windows), temp = LegalName(second, windows);
    if (image.empty() || temp.empty()) continue;
    if (windows) CheckCmd(image, temp);
    else CheckShell(image, temp);
  }
  return 0;
}
