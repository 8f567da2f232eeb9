#pragma once
// The geometry dialog: cylinders, heads and sectors typed as digits. One
// instance is reused; every showing starts with empty boxes.

#include <QDialog>
#include <optional>

#include "dialogs/Chs.h"
#include "ui/qt/LayoutBuilder.h"

class QLineEdit;

namespace qm {

class frmSetCHS : public QDialog {
  Q_OBJECT

 public:
  explicit frmSetCHS(QWidget* parent = nullptr);

  // Shows the dialog modally over its parent with empty boxes and the focus
  // in txtC. The confirmed geometry, or nullopt when closed another way.
  std::optional<ChsGeometry> Ask();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Centres the dialog once its frame is known.
  void showEvent(QShowEvent* event) override;

 private slots:
  void onConfirm();

 private:
  LayoutBuilder layout_;
  QLineEdit* txtC_;
  QLineEdit* txtH_;
  QLineEdit* txtS_;
  std::optional<ChsGeometry> confirmed_;
};

}  // namespace qm
