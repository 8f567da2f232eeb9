#pragma once
// The main window: tool bar, job grid, progress area and command buttons,
// built from the layout table. Widget code and wiring only: what the
// buttons do is MainController's.

#include <windows.h>

#include <memory>
#include <string>

#include "app/MainController.h"
#include "ui/win32/GridListView.h"
#include "ui/win32/TopWindow.h"
#include "ui/win32/Win32FileOpenDialog.h"

namespace qm {

class frmInfo;
class frmSetCHS;

class frmMain : public TopWindow, public MainView {
 public:
  // Creates the window, hidden, with the job table set up.
  frmMain();
  ~frmMain() override;

  void Show(int showCommand = SW_SHOWNORMAL);
  // Ends the program's message loop (WM_QUIT) once the window is destroyed.
  void QuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  MainController& controller() { return *controller_; }
  JobTable& jobTable() { return controller_->table(); }
  BatchRunner& runner() { return controller_->runner(); }

  // The modal dialogs, as the buttons open them.
  std::optional<ChsGeometry> AskGeometry() override;
  void ShowAbout() override;
  // The About dialog, created on first use.
  frmInfo& about();

  // MainView
  void SetToolbarEnabled(bool enabled) override;
  FileOpenDialog& SystemFileDialog() override { return systemFileDialog_; }
  void CloseWindow() override { ::PostMessageA(hwnd(), WM_CLOSE, 0, 0); }
  // An OpenOutputWindow in front of this one.
  void ShowOutput(std::string_view title, std::string_view text) override;
  void SetAddButtonsEnabled(bool enabled) override;
  void SetBatchButtonsEnabled(bool enabled) override;
  void SetCurrentBar(int max, int value) override;
  void SetTotalBar(int max, int value) override;
  void SetOperation(std::string_view text) override;
  // MessageBoxA with the window's caption, OK only.
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  void ScheduleStep(int delayMs) override;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCommand(HWND control, int code);
  static void SetBar(HWND bar, int max, int value);
  // Shows `items` as a popup menu at screen point `at`; the command chosen, or
  // nullopt for Escape or a click outside.
  std::optional<TableCommand> ChooseFrom(const std::vector<MenuItem>& items, POINT at);
  // Files dropped on the window: on the grid, the menu of the kinds they make.
  void OnDropFiles(HDROP drop);

  std::unique_ptr<GridListView> grid_;
  Win32FileOpenDialog systemFileDialog_;
  std::unique_ptr<frmSetCHS> setChs_;  // created on first use, then reused
  std::unique_ptr<frmInfo> info_;      // created on first use, then reused
  std::unique_ptr<MainController> controller_;
  bool quitOnDestroy_ = false;
};

}  // namespace qm
