#include "ui/qt/LayoutBuilder.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "ui/qt/GridView.h"
#include "ui/qt/Icons.h"

namespace qm {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont ToQFont(const FontSpec& spec) {
  // Where the face is missing, narrow sans faces keep captions inside the
  // widths the layout was drawn for; Qt's default sans comes last.
  QFont font(ToQString(spec.face));
  font.setFamilies({ToQString(spec.face), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")});
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

// A substitute face may be wider than the one the layout was drawn for; a
// caption that would be clipped is drawn narrower instead (down to 75%).
void FitCaption(QLabel& label) {
  const int needed = label.fontMetrics().horizontalAdvance(label.text());
  if (needed <= label.width() || needed == 0) return;
  QFont font = label.font();
  font.setStretch(std::max(75, 100 * label.width() / needed));
  label.setFont(font);
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
  if (auto* label = qobject_cast<QLabel*>(w); label && control.kind == ControlKind::Label) FitCaption(*label);
  if (control.kind == ControlKind::Frame || control.kind == ControlKind::Label ||
      control.kind == ControlKind::ProgressBar || control.kind == ControlKind::Image) {
    w->setFocusPolicy(Qt::NoFocus);
  }
  return w;
}

void LayoutBuilder::ChainTabOrder() const {
  std::vector<std::pair<int, QWidget*>> focusable;
  for (const auto& [control, built] : widgets_) {
    if (built && control->tabIndex != kNoTab && built->focusPolicy() != Qt::NoFocus)
      focusable.emplace_back(control->tabIndex, built);
  }
  std::sort(focusable.begin(), focusable.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < focusable.size(); ++i)
    QWidget::setTabOrder(focusable[i - 1].second, focusable[i].second);
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
