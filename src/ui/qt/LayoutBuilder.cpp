#include "ui/qt/LayoutBuilder.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "ui/CaptionFit.h"
#include "ui/qt/GridView.h"
#include "ui/qt/Icons.h"

namespace qm {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont ToQFont(const FontSpec& spec) {
  // Where the designed face is missing, faces of about its width: Liberation
  // Sans (Debian's fonts-liberation2, which the install names), then a
  // condensed face; DejaVu Sans, which every Debian has, last.
  QFont font(ToQString(spec.face));
  font.setFamilies({ToQString(spec.face), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("DejaVu Sans")});
  font.setPointSizeF(spec.points);
  font.setBold(spec.bold);
  return font;
}

// 0x00BBGGRR, as the tables write colours.
QColor ToQColor(std::uint32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

Qt::Alignment ToQAlignment(TextAlign align) {
  return (align == TextAlign::Center ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

// The control's font for its caption by the shared rule, measured in the
// face Qt resolves. A stretch is asked for only below 100: Qt may answer
// any stretch with another face of the family, as a condensed one.
void FitCaptionFont(QWidget& control, const QString& text, QSize room) {
  if (text.isEmpty()) return;
  const QFont designed = control.font();
  const auto at = [&](double points, int widthPercent) {
    QFont font = designed;
    if (points != designed.pointSizeF()) font.setPointSizeF(points);
    if (widthPercent != 100) font.setStretch(widthPercent);
    return font;
  };
  const CaptionFit fit = FitCaption(designed.pointSizeF(), [&](double points, int widthPercent) {
    const QFontMetrics metrics(at(points, widthPercent));
    return metrics.horizontalAdvance(text) <= room.width() && metrics.height() <= room.height();
  });
  control.setFont(at(fit.points, fit.widthPercent));
}

// The room for a button's caption: its width less the style's margins and
// the icon with its gap.
QSize CaptionRoom(QPushButton& button) {
  const int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
  return {button.width() - 2 * margin - button.iconSize().width() - 4, button.height()};
}

bool IsContainer(const ControlSpec& control) { return control.container.empty(); }

}  // namespace

LayoutBuilder::LayoutBuilder(const WindowSpec& spec, QWidget& window) : spec_(spec), window_(window) {
  window_.setObjectName(ToQString(spec_.name));
  window_.setWindowTitle(ToQString(spec_.caption));
  window_.setFont(ToQFont(kDefaultFont));
  const Qt::WindowFlags type = qobject_cast<QDialog*>(&window_) ? Qt::Dialog : Qt::Window;
  window_.setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  window_.setFixedSize(TwipsToPixels(spec_.clientWidth), TwipsToPixels(spec_.clientHeight));
  if (spec_.icon != IconId::None) window_.setWindowIcon(MakeIcon(spec_.icon));

  // Controls of the client area first, so every frame exists before its children.
  for (bool pass : {true, false}) {
    for (const ControlSpec& control : spec_.controls) {
      if (IsContainer(control) != pass) continue;
      QWidget* container = pass ? &window_ : widget(control.container);
      if (!container) container = &window_;
      widgets_.emplace_back(&control, Create(control, container));
    }
  }
  ChainTabOrder();
}

QWidget* LayoutBuilder::widget(std::string_view name, int index) const {
  for (const auto& [control, built] : widgets_) {
    if (control->name == name && control->index == index) return built;
  }
  return nullptr;
}

QWidget* LayoutBuilder::Create(const ControlSpec& control, QWidget* container) const {
  QWidget* w = nullptr;
  switch (control.kind) {
    case ControlKind::FileDialog:
      return nullptr;  // a component with no place on screen
    case ControlKind::Frame: {
      auto* frame = new QFrame(container);
      frame->setFrameStyle(QFrame::Box | QFrame::Plain);
      w = frame;
      break;
    }
    case ControlKind::Grid:
      w = new GridView(container);
      break;
    case ControlKind::PushButton: {
      auto* button = new QPushButton(MakeIcon(control.icon), ToQString(control.caption), container);
      button->setAutoDefault(false);
      w = button;
      break;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(ToQString(control.caption), container);
      label->setAlignment(ToQAlignment(control.align));
      if (control.color != kDefaultColor) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, ToQColor(control.color));
        label->setPalette(colours);
      }
      w = label;
      break;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(container);
      bar->setOrientation(Qt::Horizontal);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      w = bar;
      break;
    }
    case ControlKind::TextBox:
      w = new QLineEdit(ToQString(control.caption), container);
      break;
    case ControlKind::Image: {
      auto* image = new QLabel(container);
      image->setPixmap(IconPixmap(control.icon, TwipsToPixels(control.width)));
      w = image;
      break;
    }
  }
  w->setObjectName(QString::fromStdString(ObjectName(control)));
  w->setGeometry(TwipsToPixels(control.left), TwipsToPixels(control.top),
                 TwipsToPixels(control.width), TwipsToPixels(control.height));
  w->setFont(ToQFont(control.font));
  if (control.kind == ControlKind::Label) FitCaptionFont(*w, ToQString(control.caption), w->size());
  if (auto* button = qobject_cast<QPushButton*>(w)) FitCaptionFont(*w, button->text(), CaptionRoom(*button));
  if (!TakesFocus(control.kind)) w->setFocusPolicy(Qt::NoFocus);
  return w;
}

void LayoutBuilder::ChainTabOrder() const {
  QWidget* previous = nullptr;
  for (const ControlSpec* control : TabChain(spec_.controls)) {
    for (const auto& [spec, built] : widgets_) {
      if (spec != control || !built) continue;
      if (previous) QWidget::setTabOrder(previous, built);
      previous = built;
    }
  }
}

void LayoutBuilder::place() const {
  QRect area;
  switch (spec_.placement) {
    case Placement::SystemDefault:
      return;
    case Placement::CenterOwner:
      if (QWidget* owner = window_.parentWidget()) {
        area = owner->window()->frameGeometry();
        break;
      }
      [[fallthrough]];
    case Placement::CenterScreen:
      if (QScreen* screen = window_.screen()) area = screen->availableGeometry();
      break;
  }
  if (!area.isValid()) return;
  QRect frame = window_.frameGeometry();
  frame.moveCenter(area.center());
  window_.move(frame.topLeft());
}

}  // namespace qm
