#include "app/qt/frmMain.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "app/MainLayout.h"
#include "dialogs/qt/frmInfo.h"
#include "dialogs/qt/frmSetCHS.h"
#include "ui/qt/GridView.h"

namespace qm {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

frmMain::frmMain(QWidget* parent)
    : QWidget(parent),
      layout_(MainWindowLayout(), *this),
      grid_(layout_.get<GridView>("MainGrid")),
      fraToolbar_(layout_.get<QFrame>("fraToolbar")),
      lblOperazione_(layout_.get<QLabel>("lblOperazione")),
      pbCurrent_(layout_.get<QProgressBar>("pbCurrent")),
      pbTotal_(layout_.get<QProgressBar>("pbTotal")),
      btnAggiungi_{layout_.get<QPushButton>("btnAggiungi", 0), layout_.get<QPushButton>("btnAggiungi", 1),
                   layout_.get<QPushButton>("btnAggiungi", 2)},
      btnRimuovi_(layout_.get<QPushButton>("btnRimuovi")),
      btnComprimi_(layout_.get<QPushButton>("btnComprimi")),
      fileDialog_(this),
      controller_(std::make_unique<MainController>(*this)) {
  grid_->setGrid(&controller_->table().grid());
  controller_->Load();

  stepTimer_.setSingleShot(true);
  connect(&stepTimer_, &QTimer::timeout, this, [this] { controller_->Step(); });
  for (int k = 0; k < 3; ++k)
    connect(btnAggiungi_[k], &QPushButton::clicked, this, [this, k] { controller_->Add(k); });
  connect(btnRimuovi_, &QPushButton::clicked, this, [this] { controller_->Remove(); });
  connect(btnComprimi_, &QPushButton::clicked, this, [this] { controller_->Start(); });
  connect(layout_.get<QPushButton>("btnAnnulla"), &QPushButton::clicked, this, [this] { controller_->Cancel(); });
  connect(layout_.get<QPushButton>("btnInfo"), &QPushButton::clicked, this, [this] { controller_->Info(); });

  grid_->setFocus();
}

frmMain::~frmMain() {
  // The grid view lets go of the table before the controller that holds it goes.
  grid_->setGrid(nullptr);
  controller_.reset();
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!controller_->RequestClose()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void frmMain::SetToolbarEnabled(bool enabled) { fraToolbar_->setEnabled(enabled); }

std::optional<ChsGeometry> frmMain::AskGeometry() {
  if (!setChs_) setChs_ = new frmSetCHS(this);
  return setChs_->Ask();
}

void frmMain::ShowAbout() {
  if (!info_) info_ = std::make_unique<frmInfo>();
  info_->ShowModal();
}

void frmMain::ShowMessage(std::string_view text, MessageIcon icon) {
  QMessageBox box(ToQIcon(icon), windowTitle(), ToQString(text), QMessageBox::Ok, this);
  box.exec();
}

void frmMain::ScheduleStep(int delayMs) { stepTimer_.start(delayMs); }

void frmMain::SetAddButtonsEnabled(bool enabled) {
  for (QPushButton* button : btnAggiungi_) button->setEnabled(enabled);
}

void frmMain::SetBatchButtonsEnabled(bool enabled) {
  btnComprimi_->setEnabled(enabled);
  btnRimuovi_->setEnabled(enabled);
}

void frmMain::SetBar(QProgressBar* bar, int max, int value) {
  bar->setMaximum(max);
  bar->setValue(value);
}

void frmMain::SetCurrentBar(int max, int value) { SetBar(pbCurrent_, max, value); }

void frmMain::SetTotalBar(int max, int value) { SetBar(pbTotal_, max, value); }

void frmMain::SetOperation(std::string_view text) { lblOperazione_->setText(ToQString(text)); }

}  // namespace qm
