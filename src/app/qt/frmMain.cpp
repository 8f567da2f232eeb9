#include "app/qt/frmMain.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>
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

  connect(grid_, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { controller_->ShowOutput(index.row() + 1); });
  connect(grid_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    const QModelIndex index = grid_->indexAt(pos);
    const int row = index.isValid() ? index.row() + 1 : 0;
    if (auto command = ChooseFrom(controller_->TableMenu(row), grid_->viewport()->mapToGlobal(pos)))
      controller_->OnTableMenu(*command, row);
  });
  connect(grid_, &GridView::filesDropped, this, [this](const QStringList& paths, const QPoint& at) {
    std::vector<std::string> dropped;
    for (const QString& path : paths) dropped.push_back(path.toStdString());
    if (auto command = ChooseFrom(controller_->DropMenu(dropped), at)) controller_->OnDropMenu(*command);
  });

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

std::optional<TableCommand> frmMain::ChooseFrom(const std::vector<MenuItem>& items, const QPoint& globalPos) {
  if (items.empty()) return std::nullopt;
  QMenu menu(this);
  menu.setObjectName("mnuTable");
  for (const MenuItem& item : items) {
    QAction* action = menu.addAction(ToQString(item.caption));
    action->setEnabled(item.enabled);
    action->setData(static_cast<int>(item.command));
  }
  const QAction* chosen = menu.exec(globalPos);
  if (!chosen) return std::nullopt;
  return static_cast<TableCommand>(chosen->data().toInt());
}

void frmMain::ShowOutput(std::string_view title, std::string_view text) {
  auto* dialog = new QDialog(this);
  dialog->setObjectName("frmOutput");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(ToQString(title));
  auto* edit = new QPlainTextEdit(dialog);
  edit->setObjectName("txtOutput");
  edit->setReadOnly(true);  // still selectable and copyable
  edit->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit->setPlainText(ToQString(text));
  auto* box = new QVBoxLayout(dialog);
  box->addWidget(edit);
  dialog->resize(640, 400);
  dialog->show();
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
