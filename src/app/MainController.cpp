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

std::optional<FileChoice> MainController::ShowOpen(const OpenRequest& request) { return Files().Open(request); }

std::vector<FileChoice> MainController::ShowOpenMany(const OpenRequest& request) {
  return Files().OpenMany(request);
}

bool MainController::Finished(int row) const {
  return row >= 1 && row <= table_.JobCount() && table_.grid().Mark(row) != RowMark::None;
}

std::vector<MenuItem> MainController::TableMenu(int row) const {
  const bool editable = Editable();
  const bool job = row >= 1 && row <= table_.JobCount();
  bool succeeded = false;
  for (int n = 1; n <= table_.JobCount() && !succeeded; ++n)
    succeeded = table_.grid().Mark(n) == RowMark::Succeeded;
  return {{TableCommand::AddUpdate, "Aggiungi Update...", editable},
          {TableCommand::AddMerge, "Aggiungi Merge...", editable},
          {TableCommand::AddSetChs, "Aggiungi Set CHS...", editable},
          {TableCommand::RemoveJob, "Rimuovi questo lavoro", editable && job},
          {TableCommand::ShowOutput, "Mostra l'output del lavoro", Finished(row)},
          {TableCommand::RemoveSucceeded, "Rimuovi i lavori riusciti", editable && succeeded}};
}

void MainController::OnTableMenu(TableCommand command, int row) {
  switch (command) {
    case TableCommand::AddUpdate:
    case TableCommand::AddMerge:
    case TableCommand::AddSetChs:
      if (Editable()) Add(static_cast<int>(command) - static_cast<int>(TableCommand::AddUpdate));
      break;
    case TableCommand::RemoveJob:
      if (Editable()) table_.RemoveJob(row);
      break;
    case TableCommand::ShowOutput: ShowOutput(row); break;
    case TableCommand::RemoveSucceeded: RemoveSucceeded(); break;
  }
}

void MainController::ShowOutput(int row) {
  if (!Finished(row)) return;
  const std::string text = table_.Output(row).Text();
  view_.ShowOutput("Output di " + table_.grid().TextMatrix(row, kColImage),
                   text.empty() ? "(chdman non ha scritto nulla)" : text);
}

void MainController::RemoveSucceeded() {
  if (Editable()) table_.RemoveSucceeded();
}

std::vector<MenuItem> MainController::DropMenu(const std::vector<std::string>& paths) {
  dropped_ = {};
  if (!Editable()) return {};
  dropped_ = CollectDropped(paths);
  std::vector<MenuItem> items;
  if (!dropped_.images.empty()) {
    items.push_back({TableCommand::AddUpdate, "Update", true});
    items.push_back({TableCommand::AddSetChs, "Set CHS...", true});
  }
  if (dropped_.images.size() == 1 && dropped_.diffs.size() == 1) items.push_back({TableCommand::AddMerge, "Merge", true});
  return items;
}

void MainController::OnDropMenu(TableCommand command) {
  const DroppedFiles dropped = std::move(dropped_);
  dropped_ = {};
  if (!Editable() || dropped.images.empty()) return;
  if (table_.Full()) return ShowMessage(kTableFullMessage, MessageIcon::Warning);
  const PathRules rules{NativePathStyle(), NativeInterpreter()};
  switch (command) {
    case TableCommand::AddUpdate:
      QueueJobs(table_, JobKind::Update, dropped.images, nullptr, {}, *this, rules);
      break;
    case TableCommand::AddSetChs:
      QueueJobs(table_, JobKind::SetChs, dropped.images, nullptr, GetCHS(), *this, rules);
      break;
    case TableCommand::AddMerge:
      if (dropped.images.size() == 1 && dropped.diffs.size() == 1)
        QueueJobs(table_, JobKind::Merge, dropped.images, &dropped.diffs[0], {}, *this, rules);
      break;
    default: break;
  }
}

ChsGeometry MainController::GetCHS() {
  if (std::optional<ChsGeometry> confirmed = view_.AskGeometry()) geometry_ = *confirmed;
  return geometry_;
}

}  // namespace qm
