#include "app/MainController.h"

#include "platform/os.h"

namespace qm {
namespace {

// The kind each add command of the menus queues, with the captions of the
// table's menu and of the drop menu, in the menus' order.
struct AddCommand {
  TableCommand command;
  JobKind kind;
  const char* tableCaption;
  const char* dropCaption;
};

constexpr AddCommand kAddCommands[] = {
    {TableCommand::AddUpdate, JobKind::Update, "Aggiungi Update...", "Update"},
    {TableCommand::AddMerge, JobKind::Merge, "Aggiungi Merge...", "Merge"},
    {TableCommand::AddSetChs, JobKind::SetChs, "Aggiungi Set CHS...", "Set CHS..."},
    {TableCommand::AddCreateCd, JobKind::CreateCd, "Aggiungi Crea CHD (CD)...", "Crea CHD (CD)"},
    {TableCommand::AddCreateDvd, JobKind::CreateDvd, "Aggiungi Crea CHD (DVD)...", "Crea CHD (DVD)"},
    {TableCommand::AddVerify, JobKind::Verify, "Aggiungi Verifica...", "Verifica"},
    {TableCommand::AddExtract, JobKind::Extract, "Aggiungi Estrai...", "Estrai"},
};

// The drop menu keeps the order it had before the kinds of today's tool.
constexpr TableCommand kDropOrder[] = {TableCommand::AddUpdate,   TableCommand::AddSetChs,  TableCommand::AddMerge,
                                       TableCommand::AddVerify,   TableCommand::AddExtract, TableCommand::AddCreateCd,
                                       TableCommand::AddCreateDvd};

const AddCommand* AddCommandOf(TableCommand command) {
  for (const AddCommand& add : kAddCommands)
    if (add.command == command) return &add;
  return nullptr;
}

}  // namespace

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
  // Today's kinds come last, so every item before them keeps its place.
  std::vector<MenuItem> items;
  for (const AddCommand& add : kAddCommands)
    if (!IsCurrentKind(add.kind)) items.push_back({add.command, add.tableCaption, editable});
  items.push_back({TableCommand::RemoveJob, "Rimuovi questo lavoro", editable && job});
  items.push_back({TableCommand::ShowOutput, "Mostra l'output del lavoro", Finished(row)});
  items.push_back({TableCommand::RemoveSucceeded, "Rimuovi i lavori riusciti", editable && succeeded});
  for (const AddCommand& add : kAddCommands)
    if (IsCurrentKind(add.kind)) items.push_back({add.command, add.tableCaption, editable});
  return items;
}

void MainController::OnTableMenu(TableCommand command, int row) {
  if (const AddCommand* add = AddCommandOf(command)) {
    if (Editable()) Add(static_cast<int>(add->kind));
    return;
  }
  switch (command) {
    case TableCommand::RemoveJob:
      if (Editable()) table_.RemoveJob(row);
      break;
    case TableCommand::ShowOutput: ShowOutput(row); break;
    case TableCommand::RemoveSucceeded: RemoveSucceeded(); break;
    default: break;
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
  const std::size_t chd = ImagesFor(JobKind::Update, dropped_).size();
  std::vector<MenuItem> items;
  for (TableCommand command : kDropOrder) {
    const AddCommand& add = *AddCommandOf(command);
    // Merge takes exactly one image and one diff, and nothing else.
    const bool fits = add.kind == JobKind::Merge ? chd == 1 && dropped_.images.size() == 1 && dropped_.diffs.size() == 1
                                                 : !ImagesFor(add.kind, dropped_).empty();
    if (fits) items.push_back({add.command, add.dropCaption, true});
  }
  return items;
}

void MainController::OnDropMenu(TableCommand command) {
  const DroppedFiles dropped = std::move(dropped_);
  dropped_ = {};
  const AddCommand* add = AddCommandOf(command);
  if (!add || !Editable()) return;
  const std::vector<FileChoice> images = ImagesFor(add->kind, dropped);
  if (images.empty()) return;
  if (table_.Full()) return ShowMessage(kTableFullMessage, MessageIcon::Warning);
  if (add->kind == JobKind::Merge && (dropped.images.size() != 1 || dropped.diffs.size() != 1)) return;
  const ChsGeometry geometry = add->kind == JobKind::SetChs ? GetCHS() : ChsGeometry{};
  QueueJobs(table_, add->kind, images, add->kind == JobKind::Merge ? &dropped.diffs[0] : nullptr, geometry, *this,
            {NativePathStyle(), NativeInterpreter()});
}

ChsGeometry MainController::GetCHS() {
  if (std::optional<ChsGeometry> confirmed = view_.AskGeometry()) geometry_ = *confirmed;
  return geometry_;
}

}  // namespace qm
