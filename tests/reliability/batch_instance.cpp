// batch_instance PROGRAM_FOLDER PRIVATE_FOLDER INTERPRETER IMAGE...: one
// instance of the program's runner, without a window, updating each IMAGE
// (a full path) with the chdman it finds, the bridge being the one in
// PROGRAM_FOLDER. Exits 0 when every job succeeded. INTERPRETER "-" is the
// system's own.
#include <cstdio>
#include <string>

#include "jobs/AddJob.h"
#include "platform/files.h"
#include "platform/os.h"
#include "runner/BatchRunner.h"

namespace {

class QuietView : public qm::BatchView {
 public:
  void SetAddButtonsEnabled(bool) override {}
  void SetBatchButtonsEnabled(bool) override {}
  void SetCurrentBar(int, int) override {}
  void SetTotalBar(int, int) override {}
  void SetOperation(std::string_view) override {}
  void ShowMessage(std::string_view text, qm::MessageIcon) override { std::printf("%.*s\n", int(text.size()), text.data()); }
  void ScheduleStep(int) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  qm::JobTable table;
  table.SetUp();
  for (int i = 4; i < argc; ++i) {
    const std::string path = argv[i];
    table.Append(qm::ComposeJob(qm::JobKind::Update, {path.substr(path.find_last_of("/\\") + 1), path}, nullptr, {},
                                {qm::NativePathStyle(), qm::NativeInterpreter()}));
  }
  QuietView view;
  qm::RunnerSettings settings{argv[1], qm::ToolFileName(), qm::BatchFileName(), qm::NativeInterpreter(), argv[2],
                              std::string_view(argv[3]) == "-" ? "" : argv[3]};
  settings.bridgePath = settings.programFolder + qm::BridgeFileName();
  qm::BatchRunner runner(table, view, settings);
  runner.Start();
  while (runner.Running()) runner.Step();
  for (int row = 1; row <= table.JobCount(); ++row)
    if (table.grid().Mark(row) != qm::RowMark::Succeeded) return 1;
  return 0;
}
