// The main window, the geometry dialog and the About dialog as built: every
// control's parent, place, caption, name, font and colour against the pixel
// values of the window designs, captions that fit their controls, the
// windows' frames and sizes, the focus order and the state at start.

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "DesignedWindows.h"
#include "app/qt/frmMain.h"
#include "dialogs/qt/frmInfo.h"
#include "dialogs/qt/frmSetCHS.h"
#include "ui/CaptionFit.h"
#include "ui/Layout.h"

namespace qm {
namespace {

using Expected = test::DesignedControl;
const auto& kControls = test::kDesignedControls;

// The caption a control shows (its "text" property: buttons, labels, boxes).
QString Text(const QWidget* w) { return w->property("text").toString(); }

}  // namespace

class WindowLayoutTest : public QObject {
  Q_OBJECT

 private:
  QWidget* window(const QString& name) {
    if (name == QLatin1String("frmMain")) return main_;
    return name == QLatin1String("frmSetCHS") ? static_cast<QWidget*>(setChs_) : info_;
  }

  frmMain* main_ = nullptr;
  frmSetCHS* setChs_ = nullptr;
  frmInfo* info_ = nullptr;

  // The rows of kControls (only those with a caption, if asked), named
  // window/object, or of kDesignedWindows, named by window.
  static void addControlRows(bool captionedOnly = false) {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(kControls)); ++row) {
      const Expected& e = kControls[row];
      if (!captionedOnly || (e.text && *e.text))
        QTest::newRow((std::string(e.window) + "/" + test::ObjectNameOf(e.name, e.index)).c_str()) << row;
    }
  }
  static void addWindowRows() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(test::kDesignedWindows)); ++row)
      QTest::newRow(test::kDesignedWindows[row].window) << row;
  }

 private slots:
  void init() {
    main_ = new frmMain;
    setChs_ = new frmSetCHS;
    info_ = new frmInfo;
  }
  void cleanup() {
    delete info_;
    delete setChs_;
    delete main_;
  }

  void control_data() { addControlRows(); }

  // Each control as built, against the designed table.
  void control() {
    QFETCH(int, row);
    const Expected& e = kControls[row];
    const ControlSpec* c = test::SpecOf(e.window).Find(e.name, e.index);
    QVERIFY(c);
    // Whole pixels at 96 dots per inch, so other resolutions scale evenly.
    for (int twips : {c->left, c->top, c->width, c->height}) QCOMPARE(twips % 15, 0);
    const QString object = QString::fromStdString(ObjectName(*c));
    QWidget* w = window(e.window)->findChild<QWidget*>(object);
    QVERIFY2(w, qPrintable(object));
    QCOMPARE(w->parentWidget()->objectName(), QString(e.parent));
    QCOMPARE(w->geometry(), QRect(e.left, e.top, e.width, e.height));
    if (e.text) QCOMPARE(Text(w), QString::fromUtf8(e.text));
    QVERIFY(w->isEnabled());
    QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
    // The table's size, or smaller where this machine's face is wider (captionFits).
    QVERIFY(w->font().pointSizeF() <= e.points);
    QCOMPARE(w->font().bold(), e.bold);
    QVERIFY(!w->font().underline());
    QCOMPARE(w->palette().color(QPalette::WindowText),
             e.navy ? QColor(0, 0, 128) : window(e.window)->palette().color(QPalette::WindowText));
    const bool takesFocus = c->kind == ControlKind::PushButton || c->kind == ControlKind::TextBox ||
                            c->kind == ControlKind::Grid;
    QCOMPARE(w->focusPolicy() != Qt::NoFocus, takesFocus);
    if (auto* label = qobject_cast<QLabel*>(w); label && c->kind == ControlKind::Label) {
      QVERIFY(label->alignment() & Qt::AlignVCenter);
      QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), c->align == TextAlign::Center);
    }
    // Images show one 32-pixel picture at its natural size.
    if (auto* image = qobject_cast<QLabel*>(w); image && c->kind == ControlKind::Image) {
      QCOMPARE(image->pixmap().size(), QSize(32, 32));
      QVERIFY(!image->hasScaledContents());
    }
    if (auto* frame = qobject_cast<QFrame*>(w); frame && c->kind == ControlKind::Frame)
      QCOMPARE(frame->frameStyle(), QFrame::Box | QFrame::Plain);
    if (auto* button = qobject_cast<QPushButton*>(w)) QVERIFY(!button->icon().isNull());
    if (auto* bar = qobject_cast<QProgressBar*>(w)) {
      QCOMPARE(QPoint(bar->maximum(), bar->value()), QPoint(100, 0));
      QVERIFY(!bar->isTextVisible());
    }
  }

  void captionFits_data() { addControlRows(true); }

  // With the fonts this system resolves, every caption fits its control: a
  // label's text within its width, a button's icon, gap and text within its
  // width less the style's margins; at 7 points or more, and no smaller or
  // narrower than it needs. A face too wide for that fails here by name.
  void captionFits() {
    QFETCH(int, row);
    const Expected& e = kControls[row];
    QWidget* top = window(e.window);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top));
    QWidget* w = top->findChild<QWidget*>(QString::fromStdString(test::ObjectNameOf(e.name, e.index)));
    QVERIFY(w);
    const QString text = Text(w);
    int room = w->contentsRect().width();
    int icon = 0;
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      icon = button->iconSize().width() + 4;
      room -= 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    }
    const auto fits = [&](const QFont& font) {
      const QFontMetrics metrics(font);
      return icon + metrics.horizontalAdvance(text) <= room && metrics.height() <= w->height();
    };
    const QFont font = w->font();
    QVERIFY2(fits(font) && font.pointSizeF() >= kMinCaptionPoints,
             qPrintable(QStringLiteral("\"%1\" in %2 at %3 pt, %4%: needs %5 pixels, has %6")
                            .arg(text, QFontInfo(font).family())
                            .arg(font.pointSizeF())
                            .arg(font.stretch())
                            .arg(icon + QFontMetrics(font).horizontalAdvance(text))
                            .arg(room)));
    // One step back towards the designed look (wider, else larger) no longer fits.
    QFont larger = font;
    if (font.stretch() != QFont::AnyStretch && font.stretch() < 100) {
      const int wider = font.stretch() + kCaptionWidthStep;
      larger.setStretch(wider < 100 ? wider : QFont::AnyStretch);
    } else if (font.pointSizeF() < e.points) {
      larger.setPointSizeF(font.pointSizeF() + kCaptionPointStep);
    }
    if (larger != font) QVERIFY(!fits(larger));
  }

  void frame_data() { addWindowRows(); }

  // Fixed client size, caption, icon, and a frame without minimize or maximize box.
  void frame() {
    QFETCH(int, row);
    const test::DesignedWindow& f = test::kDesignedWindows[row];
    const QSize client(f.width, f.height);
    QWidget* w = window(f.window);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->objectName(), QString(f.window));
    w->resize(client + QSize(50, 50));
    QCOMPARE(w->size(), client);
    QCOMPARE(w->minimumSize(), client);
    QCOMPARE(w->maximumSize(), client);
    QCOMPARE(w->windowTitle(), QString(f.caption));
    QCOMPARE(w->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    QCOMPARE(w->windowIcon().isNull(), !f.icon);
  }

  void tabOrder_data() { addWindowRows(); }

  // Tab visits the focusable controls in tab-index order and wraps round.
  void tabOrder() {
    QFETCH(int, row);
    QStringList chain;
    for (const std::string& name : test::kDesignedWindows[row].tabChain) chain << QString::fromStdString(name);
    if (chain.isEmpty()) QSKIP("no control takes the focus");
    QWidget* w = window(test::kDesignedWindows[row].window);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTRY_VERIFY(QApplication::focusWidget());
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (qsizetype i = 0; i < chain.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, chain + QStringList{chain.first()});
  }
};

}  // namespace qm

QTEST_MAIN(qm::WindowLayoutTest)
#include "window_layout_test.moc"
