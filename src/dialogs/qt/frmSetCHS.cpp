#include "dialogs/qt/frmSetCHS.h"
#include "dialogs/DialogLayouts.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

frmSetCHS::frmSetCHS(QWidget* parent)
    : QDialog(parent),
      layout_(SetChsLayout(), *this),
      txtC_(layout_.get<QLineEdit>("txtC")),
      txtH_(layout_.get<QLineEdit>("txtH")),
      txtS_(layout_.get<QLineEdit>("txtS")) {
  setModal(true);
  for (QLineEdit* box : {txtC_, txtH_, txtS_}) box->installEventFilter(this);
  connect(layout_.get<QPushButton>("btnSetCHS"), &QPushButton::clicked, this, &frmSetCHS::onConfirm);
}

std::optional<ChsGeometry> frmSetCHS::Ask() {
  for (QLineEdit* box : {txtC_, txtH_, txtS_}) box->clear();
  confirmed_.reset();
  txtC_->setFocus();
  exec();
  return confirmed_;
}

void frmSetCHS::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  layout_.place();
}

void frmSetCHS::onConfirm() {
  confirmed_ = ConfirmChs(txtC_->text().toStdString(), txtH_->text().toStdString(),
                          txtS_->text().toStdString());
  accept();
}

bool frmSetCHS::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // Keys that type no character (arrows, Home, End) pass, and so do the keys
  // that move the focus, delete forwards or close the dialog, whose control
  // characters Qt reports but which type nothing.
  switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
      return false;
    default:
      break;
  }
  for (const QChar ch : key->text()) {
    if (FilterChsChar(ch.unicode()) == 0) return true;  // discarded, the box keeps its text
  }
  return false;
}

}  // namespace qm
