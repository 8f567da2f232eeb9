#include "app/win32/frmMain.h"

#include <commctrl.h>
#include <shellapi.h>

#include <tuple>

#include "app/MainLayout.h"
#include "dialogs/win32/frmInfo.h"
#include "dialogs/win32/frmSetCHS.h"
#include "platform/win32/CodePage.h"
#include "ui/win32/OutputWindow.h"
#include "ui/win32/WindowText.h"
#include "ui/win32/resource.h"

namespace qm {
namespace {

// The batch's turn: the one timer of the main window.
constexpr UINT_PTR kStepTimer = 1;

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

frmMain::frmMain() : controller_(std::make_unique<MainController>(*this)) {
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
  grid_->SetGrid(&controller_->table().grid());
  grid_->onDoubleClick = [this](int row) { controller_->ShowOutput(row); };
  grid_->onContextMenu = [this](int row, POINT at) {
    if (auto command = ChooseFrom(controller_->TableMenu(row), at)) controller_->OnTableMenu(*command, row);
  };
  // The drop lands on the grid's parent, the first window that accepts files.
  ::DragAcceptFiles(hwnd(), TRUE);
  controller_->Load();
}

frmMain::~frmMain() {
  if (grid_) grid_->SetGrid(nullptr);
  info_.reset();
  setChs_.reset();
  Destroy();
  controller_.reset();
}

void frmMain::Show(int showCommand) {
  if (!built()) return;
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
  ::SetFocus(layout().Control("MainGrid"));
}

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
    case WM_TIMER:
      if (wParam == kStepTimer) {
        ::KillTimer(hwnd(), kStepTimer);
        controller_->Step();
        return 0;
      }
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      if (controller_->RequestClose()) Destroy();
      return 0;
    case WM_DESTROY:
      ::KillTimer(hwnd(), kStepTimer);
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
    controller_->Add(spec->index);
  } else if (spec->name == "btnRimuovi") {
    controller_->Remove();
  } else if (spec->name == "btnComprimi") {
    controller_->Start();
  } else if (spec->name == "btnAnnulla") {
    controller_->Cancel();
  } else if (spec->name == "btnInfo") {
    controller_->Info();
  }
}

std::optional<TableCommand> frmMain::ChooseFrom(const std::vector<MenuItem>& items, POINT at) {
  if (items.empty()) return std::nullopt;
  OwnedMenu menu(::CreatePopupMenu());
  if (!menu.valid()) return std::nullopt;
  for (const MenuItem& item : items) {
    const std::wstring caption = win32::Widen(item.caption).value_or(L"");
    // Ids start at 1: TrackPopupMenu answers 0 for no choice.
    ::AppendMenuW(menu.get(), MF_STRING | (item.enabled ? 0 : MF_GRAYED),
                  static_cast<UINT_PTR>(item.command) + 1, caption.c_str());
  }
  ::SetForegroundWindow(hwnd());  // so that a click outside closes the menu
  const int chosen = static_cast<int>(
      ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd(), nullptr));
  if (chosen <= 0) return std::nullopt;
  return static_cast<TableCommand>(chosen - 1);
}

void frmMain::OnDropFiles(HDROP handle) {
  const OwnedDrop drop(handle);
  POINT at{};
  ::DragQueryPoint(drop.get(), &at);  // client point of this window
  HWND list = layout().Control("MainGrid");
  POINT onList = at;
  ::MapWindowPoints(hwnd(), list, &onList, 1);
  RECT area{};
  ::GetClientRect(list, &area);
  if (!::PtInRect(&area, onList)) return;  // only the table takes files

  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(::DragQueryFileW(drop.get(), i, nullptr, 0) + 1, L'\0');
    path.resize(::DragQueryFileW(drop.get(), i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(win32::Narrow(path));
  }
  ::ClientToScreen(hwnd(), &at);
  if (auto command = ChooseFrom(controller_->DropMenu(paths), at)) controller_->OnDropMenu(*command);
}

void frmMain::ShowOutput(std::string_view title, std::string_view text) { OpenOutputWindow(hwnd(), title, text); }

void frmMain::ShowAbout() { about().ShowModal(hwnd()); }

void frmMain::SetToolbarEnabled(bool enabled) { ::EnableWindow(layout().Control("fraToolbar"), enabled); }

std::optional<ChsGeometry> frmMain::AskGeometry() {
  if (!setChs_) setChs_ = std::make_unique<frmSetCHS>();
  return setChs_->Ask(hwnd());
}

void frmMain::ShowMessage(std::string_view text, MessageIcon icon) {
  const std::string caption = GetText(hwnd());
  ::MessageBoxA(hwnd(), ToAnsi(text).c_str(), ToAnsi(caption).c_str(), MB_OK | IconStyle(icon));
}

// A timer, not a posted message: the system makes WM_TIMER only when the
// queue is otherwise empty, so input and painting always come first.
void frmMain::ScheduleStep(int delayMs) {
  if (hwnd()) ::SetTimer(hwnd(), kStepTimer, static_cast<UINT>(delayMs > 0 ? delayMs : USER_TIMER_MINIMUM), nullptr);
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
}

void frmMain::SetCurrentBar(int max, int value) { SetBar(layout().Control("pbCurrent"), max, value); }

void frmMain::SetTotalBar(int max, int value) { SetBar(layout().Control("pbTotal"), max, value); }

void frmMain::SetOperation(std::string_view text) { SetText(layout().Control("lblOperazione"), text); }

}  // namespace qm
