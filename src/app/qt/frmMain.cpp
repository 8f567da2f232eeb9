#include "app/qt/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "app/MainLayout.h"
#include "dialogs/qt/frmInfo.h"
#include "dialogs/qt/frmSetCHS.h"
#include "platform/os.h"
#include "ui/qt/GridView.h"
#include "ui/qt/QtFileOpenDialog.h"

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
      qtFileDialog_(std::make_unique<QtFileOpenDialog>(this)),
      fileDialog_(qtFileDialog_.get()),
      runner_(std::make_unique<BatchRunner>(table_, *this, NativeRunnerSettings())) {
  grid_->setGrid(&table_.grid());
  // The load handler: the table's header, widths and alignment, and no operation shown.
  table_.SetUp();
  lblOperazione_->clear();

  for (int k = 0; k < 3; ++k)
    connect(btnAggiungi_[k], &QPushButton::clicked, this, [this, k] { onAdd(k); });
  connect(btnRimuovi_, &QPushButton::clicked, this, &frmMain::onRemove);
  connect(btnComprimi_, &QPushButton::clicked, this, &frmMain::onStart);
  connect(layout_.get<QPushButton>("btnAnnulla"), &QPushButton::clicked, this, &frmMain::onCancel);
  connect(layout_.get<QPushButton>("btnInfo"), &QPushButton::clicked, this, &frmMain::onInfo);

  grid_->setFocus();
}

frmMain::~frmMain() {
  // The grid dies with the table, before the view that observes it.
  grid_->setGrid(nullptr);
}

void frmMain::setRunnerSettings(RunnerSettings settings) {
  if (runner_->Running()) return;
  runner_ = std::make_unique<BatchRunner>(table_, *this, std::move(settings));
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (runner_->Running()) {
    runner_->Abort();
    closeAfterBatch_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void frmMain::setFileDialog(FileOpenDialog* dialog) {
  fileDialog_ = dialog ? dialog : qtFileDialog_.get();
}

void frmMain::onAdd(int index) {
  AddJob(table_, static_cast<JobKind>(index), *this, {NativePathStyle(), NativeInterpreter()});
}

void frmMain::onRemove() { table_.Remove(); }

void frmMain::onStart() {
  runner_->Start();
  if (closeAfterBatch_) {
    closeAfterBatch_ = false;
    close();
  }
}

void frmMain::onCancel() { runner_->Cancel(); }

void frmMain::onInfo() {
  if (!info_) info_ = std::make_unique<frmInfo>();
  info_->ShowModal();
}

void frmMain::SetToolbarEnabled(bool enabled) { fraToolbar_->setEnabled(enabled); }

std::optional<FileChoice> frmMain::ShowOpen(const OpenRequest& request) {
  return fileDialog_->Open(request);
}

ChsGeometry frmMain::GetCHS() {
  if (!setChs_) setChs_ = new frmSetCHS(this);
  if (std::optional<ChsGeometry> confirmed = setChs_->Ask()) chs_ = *confirmed;
  return chs_;
}

void frmMain::ShowMessage(std::string_view text, MessageIcon icon) {
  QMessageBox box(ToQIcon(icon), windowTitle(), ToQString(text), QMessageBox::Ok, this);
  box.exec();
}

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
  bar->repaint();  // the batch pumps events only between reads
}

void frmMain::SetCurrentBar(int max, int value) { SetBar(pbCurrent_, max, value); }

void frmMain::SetTotalBar(int max, int value) { SetBar(pbTotal_, max, value); }

void frmMain::SetOperation(std::string_view text) { lblOperazione_->setText(ToQString(text)); }

void frmMain::ServiceEvents() { QCoreApplication::processEvents(); }

}  // namespace qm
