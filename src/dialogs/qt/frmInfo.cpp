#include "dialogs/qt/frmInfo.h"

#include <QLabel>
#include <QMouseEvent>

#include "dialogs/About.h"
#include "dialogs/DialogLayouts.h"
#include "platform/shell.h"

namespace qm {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// 0x00BBGGRR, as the layout tables write colours.
QColor ToQColor(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// A click is a left-button release over the control it was pressed on.
bool IsClick(const QEvent* event, const QWidget* over) {
  if (event->type() != QEvent::MouseButtonRelease) return false;
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  return mouse->button() == Qt::LeftButton && over->rect().contains(mouse->position().toPoint());
}

bool IsMouseButton(const QEvent* event) {
  return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick;
}

}  // namespace

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent),
      layout_(InfoLayout(), *this),
      lblWeb_{layout_.get<QLabel>("lblWeb", 0), layout_.get<QLabel>("lblWeb", 1)} {
  setModal(true);
  for (const ControlSpec& control : layout_.spec().controls) {
    if (QWidget* w = layout_.widget(control.name, control.index)) w->installEventFilter(this);
  }
  for (QLabel* link : lblWeb_) {
    link->setMouseTracking(true);  // pointer movement without a button pressed
    link->setCursor(Qt::PointingHandCursor);
  }
  Load();
}

void frmInfo::setNavigator(Navigator navigate) { navigate_ = std::move(navigate); }

void frmInfo::ShowModal() {
  Load();
  exec();
}

void frmInfo::Load() {
  setWindowTitle(ToQString(AboutCaption(BuildVersion())));
  for (const ControlSpec& control : layout_.spec().controls) {
    if (control.kind != ControlKind::Label) continue;
    if (auto* label = layout_.get<QLabel>(control.name, control.index)) label->setText(ToQString(control.caption));
  }
  for (int link = 0; link < 2; ++link) SetHighlight(link, false);
}

void frmInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  layout_.place();
}

void frmInfo::SetHighlight(int link, bool on) {
  QLabel* label = lblWeb_[link];
  QFont font = label->font();
  font.setUnderline(on);
  label->setFont(font);
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, ToQColor(on ? kRed : kNavy));
  label->setPalette(colours);
}

void frmInfo::OpenLink(int link) {
  const std::string url = LinkUrl(link, lblWeb_[link]->text().toStdString());
  if (navigate_) {
    navigate_(url);
  } else {
    Navigate(url);
  }
  reject();
}

const ControlSpec* frmInfo::SpecOf(QObject* watched) const {
  for (const ControlSpec& control : layout_.spec().controls) {
    if (layout_.widget(control.name, control.index) == watched) return &control;
  }
  return nullptr;
}

bool frmInfo::eventFilter(QObject* watched, QEvent* event) {
  const ControlSpec* spec = SpecOf(watched);
  const AboutClick click = spec ? ClickOn(*spec) : AboutClick::Nothing;
  const int link = spec ? spec->index : -1;
  auto* w = qobject_cast<QWidget*>(watched);
  if (click == AboutClick::OpenLink) {
    switch (event->type()) {
      case QEvent::MouseMove:
        SetHighlight(link, true);
        return false;
      case QEvent::Leave:
        // Leaving a link puts both back to their design look.
        for (int k = 0; k < 2; ++k) SetHighlight(k, false);
        return false;
      default:
        break;
    }
  }
  if (!w || !IsMouseButton(event)) return QDialog::eventFilter(watched, event);
  // Every button event of a control ends here, so none reaches the frame or
  // the dialog below it: a click on an image stays a click on nothing.
  if (IsClick(event, w)) {
    if (click == AboutClick::OpenLink) {
      OpenLink(link);
    } else if (click == AboutClick::Close) {
      reject();
    }
  }
  return true;
}

void frmInfo::mousePressEvent(QMouseEvent* event) { event->accept(); }

void frmInfo::mouseReleaseEvent(QMouseEvent* event) {
  // The dialog's own surface: the margin outside the frame.
  if (IsClick(event, this)) reject();
}

}  // namespace qm
