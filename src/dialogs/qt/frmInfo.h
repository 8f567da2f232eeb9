#pragma once
// The About dialog: the program's name and version in the caption, a credit
// line and two links. One instance is reused; every showing loads it afresh.
// Pointing at a link underlines it in red, leaving it restores the navy look;
// clicking a link opens it and closes the dialog, clicking the background,
// the frame or a text line closes it, clicking an image does nothing.

#include <QDialog>
#include <functional>
#include <string>

#include "ui/qt/LayoutBuilder.h"

class QLabel;

namespace qm {

class frmInfo : public QDialog {
  Q_OBJECT

 public:
  // Opens a link; its failures are not reported.
  using Navigator = std::function<void(const std::string& url)>;

  explicit frmInfo(QWidget* parent = nullptr);

  // Opens links with `navigate` instead of the system's handler (qm::Navigate);
  // an empty function goes back to the system's handler.
  void setNavigator(Navigator navigate);

  // Loads the dialog in its design state (caption from the version, texts,
  // links not highlighted) and shows it modally; returns when it has closed.
  void ShowModal();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Centres the dialog on its screen once its frame is known.
  void showEvent(QShowEvent* event) override;

 private:
  void Load();
  void SetHighlight(int link, bool on);
  void OpenLink(int link);
  // The table entry of one of the dialog's controls; null for anything else.
  const ControlSpec* SpecOf(QObject* watched) const;

  LayoutBuilder layout_;
  QLabel* lblWeb_[2];
  Navigator navigate_;
};

}  // namespace qm
