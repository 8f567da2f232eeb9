#pragma once
// The main window: tool bar, job grid, progress area and command buttons,
// built from the layout table. Widget code and wiring only: what the
// buttons do is MainController's.

#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/MainController.h"
#include "ui/qt/LayoutBuilder.h"
#include "ui/qt/QtFileOpenDialog.h"

class QFrame;
class QMenu;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qm {

class GridView;
class frmInfo;
class frmSetCHS;

class frmMain : public QWidget, public MainView {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  MainController& controller() { return *controller_; }
  JobTable& jobTable() { return controller_->table(); }
  BatchRunner& runner() { return controller_->runner(); }

  // The modal dialogs, as the buttons open them.
  std::optional<ChsGeometry> AskGeometry() override;
  void ShowAbout() override;

  // MainView
  void SetToolbarEnabled(bool enabled) override;
  FileOpenDialog& SystemFileDialog() override { return fileDialog_; }
  void CloseWindow() override { close(); }
  // A dialog "frmOutput" with a read-only QPlainTextEdit "txtOutput"; it goes when closed.
  void ShowOutput(std::string_view title, std::string_view text) override;
  void SetAddButtonsEnabled(bool enabled) override;
  void SetBatchButtonsEnabled(bool enabled) override;
  void SetCurrentBar(int max, int value) override;
  void SetTotalBar(int max, int value) override;
  void SetOperation(std::string_view text) override;
  // A modal box with the window's caption and OK only.
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  void ScheduleStep(int delayMs) override;

 protected:
  // Closing during a batch cancels it first; the window closes when it ends.
  void closeEvent(QCloseEvent* event) override;

 private:
  static void SetBar(QProgressBar* bar, int max, int value);
  // Shows `items` as a popup menu at `globalPos`; the command chosen, or
  // nullopt for Escape or a click outside.
  std::optional<TableCommand> ChooseFrom(const std::vector<MenuItem>& items, const QPoint& globalPos);

  LayoutBuilder layout_;
  GridView* grid_;
  QFrame* fraToolbar_;
  QLabel* lblOperazione_;
  QProgressBar* pbCurrent_;
  QProgressBar* pbTotal_;
  QPushButton* btnAggiungi_[3];
  QPushButton* btnRimuovi_;
  QPushButton* btnComprimi_;
  QtFileOpenDialog fileDialog_;
  QTimer stepTimer_;
  frmSetCHS* setChs_ = nullptr;    // created on first use, then reused
  std::unique_ptr<frmInfo> info_;  // no owner window: created on first use, then reused
  std::unique_ptr<MainController> controller_;
};

}  // namespace qm
