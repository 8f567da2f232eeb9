// The main window and the geometry dialog as built: every control's parent,
// place, caption and name against the pixel values of the window designs,
// the windows' frames and sizes, the focus order and the state at start.

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

#include "app/Layout.h"
#include "app/qt/GridView.h"
#include "app/qt/frmMain.h"
#include "dialogs/qt/frmSetCHS.h"

namespace qm {
namespace {

struct Expected {
  const char* window;
  const char* name;
  int index;
  const char* parent;
  QRect pixels;
  const char* text;  // nullptr: the control shows no caption
};

// Pixel values (left, top, width, height) from the window designs.
const Expected kControls[] = {
    {"frmMain", "fraToolbar", kNoIndex, "frmMain", {8, 0, 481, 52}, nullptr},
    {"frmMain", "MainGrid", kNoIndex, "frmMain", {8, 56, 481, 217}, nullptr},
    {"frmMain", "Frame2", kNoIndex, "frmMain", {8, 272, 481, 97}, nullptr},
    {"frmMain", "Frame1", kNoIndex, "frmMain", {8, 368, 481, 52}, nullptr},
    {"frmMain", "btnAggiungi", 0, "fraToolbar", {8, 8, 81, 41}, "Update"},
    {"frmMain", "btnAggiungi", 1, "fraToolbar", {96, 8, 81, 41}, "Merge"},
    {"frmMain", "btnAggiungi", 2, "fraToolbar", {184, 8, 81, 41}, "Set CHS"},
    {"frmMain", "btnRimuovi", kNoIndex, "fraToolbar", {384, 8, 89, 41}, "Rimuovi"},
    {"frmMain", "Label1", 0, "Frame2", {8, 16, 81, 17}, "Azione corrente :"},
    {"frmMain", "lblOperazione", kNoIndex, "Frame2", {96, 16, 377, 17}, ""},
    {"frmMain", "pbCurrent", kNoIndex, "Frame2", {8, 32, 465, 17}, nullptr},
    {"frmMain", "Label1", 1, "Frame2", {8, 56, 137, 17}, "Lavoro corrente"},
    {"frmMain", "pbTotal", kNoIndex, "Frame2", {8, 72, 465, 17}, nullptr},
    {"frmMain", "btnInfo", kNoIndex, "Frame1", {8, 8, 81, 41}, "Info"},
    {"frmMain", "btnAnnulla", kNoIndex, "Frame1", {288, 8, 81, 41}, "Annulla"},
    {"frmMain", "btnComprimi", kNoIndex, "Frame1", {384, 8, 89, 41}, "Avvia"},
    {"frmSetCHS", "Frame1", kNoIndex, "frmSetCHS", {8, 0, 225, 129}, nullptr},
    {"frmSetCHS", "Label1", 0, "Frame1", {16, 24, 49, 17}, "Cylinders"},
    {"frmSetCHS", "Label1", 1, "Frame1", {88, 24, 49, 17}, "Heads"},
    {"frmSetCHS", "Label1", 2, "Frame1", {160, 24, 49, 17}, "Sectors"},
    {"frmSetCHS", "txtC", kNoIndex, "Frame1", {16, 39, 49, 19}, ""},
    {"frmSetCHS", "txtH", kNoIndex, "Frame1", {88, 39, 49, 19}, ""},
    {"frmSetCHS", "txtS", kNoIndex, "Frame1", {160, 39, 49, 19}, ""},
    {"frmSetCHS", "btnSetCHS", kNoIndex, "Frame1", {16, 80, 193, 41}, "Conferma"},
};

const WindowSpec& SpecOf(const QString& window) {
  return window == QLatin1String("frmMain") ? MainWindowLayout() : SetChsLayout();
}

QString Text(const QWidget* w) {
  if (auto* button = qobject_cast<const QPushButton*>(w)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* box = qobject_cast<const QLineEdit*>(w)) return box->text();
  return {};
}

}  // namespace

class WindowLayoutTest : public QObject {
  Q_OBJECT

 private:
  QWidget* window(const QString& name) {
    return name == QLatin1String("frmMain") ? static_cast<QWidget*>(main_) : setChs_;
  }

  frmMain* main_ = nullptr;
  frmSetCHS* setChs_ = nullptr;

 private slots:
  void init() {
    main_ = new frmMain;
    setChs_ = new frmSetCHS;
  }
  void cleanup() {
    delete setChs_;
    delete main_;
  }

  void control_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<QString>("text");
    for (const Expected& e : kControls) {
      const QString object = e.index == kNoIndex ? QString(e.name) : QStringLiteral("%1_%2").arg(e.name).arg(e.index);
      QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(e.window, object)))
          << e.window << e.name << e.index << e.parent << e.pixels << (e.text != nullptr)
          << QString::fromUtf8(e.text ? e.text : "");
    }
  }

  // The table holds the designed values, and the widget is built from it.
  void control() {
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, parent);
    QFETCH(QRect, pixels);
    QFETCH(bool, hasText);
    QFETCH(QString, text);

    const WindowSpec& spec = SpecOf(window);
    const ControlSpec* c = spec.Find(name.toStdString(), index);
    QVERIFY(c);
    const QString container = c->container.empty() ? QString::fromUtf8(spec.name.data(), spec.name.size())
                                                   : QString::fromUtf8(c->container.data(), c->container.size());
    QCOMPARE(container, parent);
    QCOMPARE(QRect(TwipsToPixels(c->left), TwipsToPixels(c->top), TwipsToPixels(c->width),
                   TwipsToPixels(c->height)),
             pixels);
    // Every twips value is a whole number of pixels.
    for (int twips : {c->left, c->top, c->width, c->height}) QCOMPARE(twips % 15, 0);
    if (hasText) QCOMPARE(QString::fromUtf8(c->caption.data(), c->caption.size()), text);

    const QString object = QString::fromStdString(ObjectName(*c));
    QWidget* w = this->window(window)->findChild<QWidget*>(object);
    QVERIFY2(w, qPrintable(object));
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->geometry(), pixels);
    if (hasText) QCOMPARE(Text(w), text);
    QVERIFY(w->isEnabled());
    QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(w->font().pointSizeF(), 8.25);
    const bool takesFocus = c->kind == ControlKind::PushButton || c->kind == ControlKind::TextBox ||
                            c->kind == ControlKind::Grid;
    QCOMPARE(w->focusPolicy() != Qt::NoFocus, takesFocus);
    if (auto* label = qobject_cast<QLabel*>(w)) {
      QVERIFY(label->alignment() & Qt::AlignVCenter);
      QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), c->align == TextAlign::Center);
    }
    if (auto* frame = qobject_cast<QFrame*>(w); frame && c->kind == ControlKind::Frame)
      QCOMPARE(frame->frameStyle(), QFrame::Box | QFrame::Plain);
    if (auto* button = qobject_cast<QPushButton*>(w)) QVERIFY(!button->icon().isNull());
  }

  // No control of either table is left out of the rows above.
  void everyControlHasARow() {
    for (const char* window : {"frmMain", "frmSetCHS"}) {
      QSet<QString> listed;
      for (const Expected& e : kControls)
        if (QLatin1String(e.window) == QLatin1String(window)) listed << QStringLiteral("%1#%2").arg(e.name).arg(e.index);
      QSet<QString> built;
      for (const ControlSpec& c : SpecOf(window).controls)
        if (c.kind != ControlKind::FileDialog)
          built << QStringLiteral("%1#%2").arg(QString::fromUtf8(c.name.data(), c.name.size())).arg(c.index);
      QCOMPARE(built, listed);
    }
  }

  void frame_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("hasIcon");
    QTest::newRow("main window") << "frmMain" << QSize(496, 427) << "Quillmere" << true;
    QTest::newRow("geometry dialog") << "frmSetCHS" << QSize(240, 136) << "Set CHS" << false;
  }

  // Fixed client size, caption, icon, and a frame without minimize or maximize box.
  void frame() {
    QFETCH(QString, window);
    QFETCH(QSize, client);
    QFETCH(QString, caption);
    QFETCH(bool, hasIcon);
    QWidget* w = this->window(window);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->objectName(), window);
    QCOMPARE(w->size(), client);
    QCOMPARE(w->minimumSize(), client);
    QCOMPARE(w->maximumSize(), client);
    QCOMPARE(w->windowTitle(), caption);
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QCOMPARE(w->windowIcon().isNull(), !hasIcon);
    w->resize(client + QSize(50, 50));
    QCOMPARE(w->size(), client);
  }

  void tabOrder_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("chain");
    // The first control is the one with the focus when the window opens.
    QTest::newRow("main window") << "frmMain"
                                 << QStringList{"MainGrid", "btnAggiungi_0", "btnRimuovi", "btnAggiungi_1",
                                                "btnComprimi", "btnAnnulla", "btnAggiungi_2", "btnInfo"};
    QTest::newRow("geometry dialog") << "frmSetCHS" << QStringList{"txtC", "txtH", "txtS", "btnSetCHS"};
  }

  // Tab visits the focusable controls in tab-index order and wraps round.
  void tabOrder() {
    QFETCH(QString, window);
    QFETCH(QStringList, chain);
    QWidget* w = this->window(window);
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

  void mainWindowAtStart() {
    QCOMPARE(main_->jobTable().JobCount(), 0);
    QCOMPARE(main_->findChild<QLabel*>("lblOperazione")->text(), QString());
    for (const char* name : {"pbCurrent", "pbTotal"}) {
      auto* bar = main_->findChild<QProgressBar*>(name);
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 100);
      QCOMPARE(bar->value(), 0);
      QCOMPARE(bar->orientation(), Qt::Horizontal);
      QVERIFY(!bar->isTextVisible());
    }
    // The header row and one blank row; no current cell while the header is current.
    auto* grid = main_->findChild<GridView*>("MainGrid");
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->model()->columnCount(), 7);
    QVERIFY(grid->verticalHeader()->isHidden());
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_));
    QCOMPARE(QApplication::focusWidget(), grid);
    QVERIFY(!grid->currentIndex().isValid());
    QCOMPARE(main_->jobTable().grid().Row(), 0);
  }

  // The geometry dialog opens centred over the main window.
  void setChsCentredOnMainWindow() {
    auto* dialog = new frmSetCHS(main_);
    main_->move(40, 30);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_));
    QPoint centre;
    QTimer::singleShot(50, dialog, [&] {
      centre = dialog->frameGeometry().center();
      dialog->close();
    });
    QVERIFY(!dialog->Ask());
    QVERIFY(qAbs(centre.x() - main_->frameGeometry().center().x()) <= 1);
    QVERIFY(qAbs(centre.y() - main_->frameGeometry().center().y()) <= 1);
  }
};

}  // namespace qm

QTEST_MAIN(qm::WindowLayoutTest)
#include "window_layout_test.moc"
