#include "app/MainController.h"

#include "platform/os.h"

namespace qm {

MainController::MainController(MainView& view, RunnerSettings settings)
    : view_(view), runner_(std::make_unique<BatchRunner>(table_, view, std::move(settings))) {}

MainController::~MainController() = default;

void MainController::Load() {
  table_.SetUp();
  view_.SetOperation("");
}

void MainController::Add(int index) {
  AddJob(table_, static_cast<JobKind>(index), *this, {NativePathStyle(), NativeInterpreter()});
}

void MainController::Remove() { table_.Remove(); }

void MainController::Start() { runner_->Start(); }

void MainController::Cancel() { runner_->Cancel(); }

void MainController::Info() { view_.ShowAbout(); }

bool MainController::RequestClose() {
  if (!runner_->Running()) return true;
  runner_->Abort();
  closeAfterBatch_ = true;
  return false;
}

void MainController::Step() {
  runner_->Step();
  if (closeAfterBatch_ && !runner_->Running()) {
    closeAfterBatch_ = false;
    view_.CloseWindow();
  }
}

void MainController::SetRunnerSettings(RunnerSettings settings) {
  if (runner_->Running()) return;
  runner_ = std::make_unique<BatchRunner>(table_, view_, std::move(settings));
}

std::optional<FileChoice> MainController::ShowOpen(const OpenRequest& request) {
  return (fileDialog_ ? *fileDialog_ : view_.SystemFileDialog()).Open(request);
}

ChsGeometry MainController::GetCHS() {
  if (std::optional<ChsGeometry> confirmed = view_.AskGeometry()) geometry_ = *confirmed;
  return geometry_;
}

}  // namespace qm
