#include "app/win32/frmMain.h"

#include <commctrl.h>

#include <tuple>

#include "app/MainLayout.h"
#include "dialogs/win32/frmInfo.h"
#include "dialogs/win32/frmSetCHS.h"
#include "platform/os.h"
#include "ui/win32/WindowText.h"
#include "ui/win32/resource.h"

namespace qm {
namespace {

// The style bits of a message's icon.
UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Stop: return MB_ICONSTOP;
    case MessageIcon::None: break;
  }
  return 0;
}

}  // namespace

frmMain::frmMain()
    : fileDialog_(&systemFileDialog_),
      runner_(std::make_unique<BatchRunner>(table_, *this, NativeRunnerSettings())) {
  Create(MainWindowLayout(), nullptr);
  if (!built()) return;  // no window: the program ends (WinMain checks hwnd())
  systemFileDialog_.SetOwner(hwnd());
  // The application icon, shared (LR_SHARED): the system keeps it for the window.
  for (const auto& [which, width, height] : {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON},
                                             std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
    HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(QM_ICON_APP), IMAGE_ICON,
                               ::GetSystemMetrics(width), ::GetSystemMetrics(height), LR_SHARED);
    ::SendMessageA(hwnd(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
  grid_ = std::make_unique<GridListView>(layout().Control("MainGrid"), layout().dpi());
  grid_->SetGrid(&table_.grid());
  // The load handler: the table's header, widths and alignment, and no operation shown.
  table_.SetUp();
  SetText(layout().Control("lblOperazione"), "");
}

frmMain::~frmMain() {
  if (grid_) grid_->SetGrid(nullptr);
  info_.reset();
  setChs_.reset();
  Destroy();
}

void frmMain::Show(int showCommand) {
  if (!built()) return;
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
  ::SetFocus(layout().Control("MainGrid"));
}

void frmMain::setRunnerSettings(RunnerSettings settings) {
  if (runner_->Running()) return;
  runner_ = std::make_unique<BatchRunner>(table_, *this, std::move(settings));
}

void frmMain::setFileDialog(FileOpenDialog* dialog) { fileDialog_ = dialog ? dialog : &systemFileDialog_; }

frmInfo& frmMain::about() {
  if (!info_) info_ = std::make_unique<frmInfo>();
  return *info_;
}

LRESULT frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam) OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;  // Escape and Enter (IDCANCEL, IDOK) mean nothing here
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (grid_ && grid_->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), &result)) return result;
      break;
    }
    case WM_CLOSE:
      // Closing during a batch cancels it quietly; the window goes when it has ended.
      if (runner_->Running()) {
        runner_->Abort();
        closeAfterBatch_ = true;
        return 0;
      }
      Destroy();
      return 0;
    case WM_DESTROY:
      if (grid_) grid_->SetGrid(nullptr);
      if (quitOnDestroy_) ::PostQuitMessage(0);
      break;
    default:
      break;
  }
  return TopWindow::OnMessage(message, wParam, lParam);
}

void frmMain::OnCommand(HWND control, int code) {
  if (code != BN_CLICKED || !built()) return;
  const ControlSpec* spec = layout().SpecOf(control);
  if (!spec || spec->kind != ControlKind::PushButton) return;
  if (spec->name == "btnAggiungi") {
    onAdd(spec->index);
  } else if (spec->name == "btnRimuovi") {
    table_.Remove();
  } else if (spec->name == "btnComprimi") {
    onStart();
  } else if (spec->name == "btnAnnulla") {
    runner_->Cancel();
  } else if (spec->name == "btnInfo") {
    onInfo();
  }
}

void frmMain::onAdd(int index) {
  AddJob(table_, static_cast<JobKind>(index), *this, {NativePathStyle(), NativeInterpreter()});
}

void frmMain::onStart() {
  runner_->Start();
  if (closeAfterBatch_) {
    closeAfterBatch_ = false;
    ::PostMessageA(hwnd(), WM_CLOSE, 0, 0);
  }
}

void frmMain::onInfo() { about().ShowModal(hwnd()); }

void frmMain::SetToolbarEnabled(bool enabled) { ::EnableWindow(layout().Control("fraToolbar"), enabled); }

std::optional<FileChoice> frmMain::ShowOpen(const OpenRequest& request) { return fileDialog_->Open(request); }

ChsGeometry frmMain::GetCHS() {
  if (!setChs_) setChs_ = std::make_unique<frmSetCHS>();
  if (std::optional<ChsGeometry> confirmed = setChs_->Ask(hwnd())) chs_ = *confirmed;
  return chs_;
}

void frmMain::ShowMessage(std::string_view text, MessageIcon icon) {
  const std::string caption = GetText(hwnd());
  ::MessageBoxA(hwnd(), ToAnsi(text).c_str(), ToAnsi(caption).c_str(), MB_OK | IconStyle(icon));
}

void frmMain::SetAddButtonsEnabled(bool enabled) {
  for (int k = 0; k < 3; ++k) ::EnableWindow(layout().Control("btnAggiungi", k), enabled);
}

void frmMain::SetBatchButtonsEnabled(bool enabled) {
  ::EnableWindow(layout().Control("btnComprimi"), enabled);
  ::EnableWindow(layout().Control("btnRimuovi"), enabled);
}

void frmMain::SetBar(HWND bar, int max, int value) {
  ::SendMessageA(bar, PBM_SETRANGE32, 0, max);
  ::SendMessageA(bar, PBM_SETPOS, value, 0);
  ::UpdateWindow(bar);  // the batch services the window only between reads
}

void frmMain::SetCurrentBar(int max, int value) { SetBar(layout().Control("pbCurrent"), max, value); }

void frmMain::SetTotalBar(int max, int value) { SetBar(layout().Control("pbTotal"), max, value); }

void frmMain::SetOperation(std::string_view text) {
  HWND label = layout().Control("lblOperazione");
  SetText(label, text);
  ::UpdateWindow(label);
}

void frmMain::ServiceEvents() { DispatchPending(); }

}  // namespace qm
