// The About dialog driven for real: links handed to a scripted opener,
// pointing at the links, clicks on each part, reopening from the Info button
// in the design state, and a link the system cannot open.

#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "QtTestSupport.h"
#include "TempTree.h"
#include "app/qt/frmMain.h"
#include "dialogs/About.h"
#include "dialogs/qt/frmInfo.h"
#include "ui/Layout.h"

namespace qm {
namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const QColor kNavyColour(0, 0, 128);
const QColor kRedColour(255, 0, 0);

// One call of the opener, and whether the dialog was still showing then.
struct Opened {
  QString url;
  bool dialogVisible;
};

// Whether a link label shows its highlight: underlined and red. The design
// look is neither; anything else (underlined navy, plain red) is a fault.
enum class Look { Design, Highlighted, Mixed };

Look LookOf(const QLabel* label) {
  const bool underlined = label->font().underline();
  const QColor colour = label->palette().color(QPalette::WindowText);
  if (!underlined && colour == kNavyColour) return Look::Design;
  if (underlined && colour == kRedColour) return Look::Highlighted;
  return Look::Mixed;
}

}  // namespace

class AboutDialogTest : public QObject {
  Q_OBJECT

 private:
  // Scripts `dialog`'s opener; every call is recorded in opened_.
  void script(frmInfo* dialog) {
    dialog->setNavigator([this, dialog](const std::string& url) {
      opened_.push_back({QString::fromStdString(url), dialog->isVisible()});
    });
  }

  // Shows `dialog` modally, runs `act` inside it, and returns when it has
  // closed; `act` must close it one way or another.
  void showAndAct(frmInfo& dialog, std::function<void(frmInfo*)> act) {
    test::WhenModal<frmInfo>(std::move(act));
    dialog.ShowModal();
  }

  std::vector<Opened> opened_;

 private slots:
  void init() { opened_.clear(); }

  void clicks_data() {
    QTest::addColumn<QString>("target");  // object name; "" the dialog's own surface
    QTest::addColumn<QPoint>("at");       // in the target; (0, 0) its centre
    QTest::addColumn<QString>("text");    // set on the target first; empty: as designed
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("url");     // handed to the opener; empty: nothing
    const QString web = "http://" + ToQString(about::kWebAddress), mail = "mailto:" + ToQString(about::kMailAddress);
    QTest::newRow("web link") << "lblWeb_0" << QPoint() << "" << true << web;
    QTest::newRow("mail link") << "lblWeb_1" << QPoint() << "" << true << mail;
    QTest::newRow("web link's current text") << "lblWeb_0" << QPoint() << "altro.example.net/pagina" << true
                                             << "http://altro.example.net/pagina";
    QTest::newRow("left margin") << "" << QPoint(3, 100) << "" << true << "";
    QTest::newRow("frame, empty part") << "Frame1" << QPoint(20, 180) << "" << true << "";
    QTest::newRow("credit line") << "lblInt_0" << QPoint() << "" << true << "";
    QTest::newRow("web image") << "imgWeb_3" << QPoint() << "" << false << "";
  }

  // A link is handed to the opener once, while the dialog still shows; every
  // click but those on the images closes the dialog.
  void clicks() {
    QFETCH(QString, target);
    QFETCH(QPoint, at);
    QFETCH(QString, text);
    QFETCH(bool, closes);
    QFETCH(QString, url);
    frmInfo dialog;
    script(&dialog);
    bool stillOpen = true;
    showAndAct(dialog, [&](frmInfo* shown) {
      QWidget* w = target.isEmpty() ? shown : shown->findChild<QWidget*>(target);
      QVERIFY(w);
      if (!text.isEmpty()) qobject_cast<QLabel*>(w)->setText(text);
      // The point really is on the target, not on a control above it.
      const QPoint point = at.isNull() ? w->rect().center() : at;
      QCOMPARE(shown->childAt(w->mapTo(shown, point)), target.isEmpty() ? nullptr : w);
      QTest::mouseClick(w, Qt::LeftButton, {}, point);
      stillOpen = shown->isVisible();
      if (stillOpen) shown->close();
    });
    QCOMPARE(stillOpen, !closes);
    QCOMPARE(opened_.size(), std::size_t(url.isEmpty() ? 0 : 1));
    if (!url.isEmpty()) {
      QCOMPARE(opened_[0].url, url);
      QVERIFY(opened_[0].dialogVisible);
    }
  }

  void hover_data() {
    QTest::addColumn<QStringList>("path");  // controls the pointer moves over, in order
    QTest::addColumn<int>("web");           // Look of lblWeb_0 afterwards
    QTest::addColumn<int>("mail");          // Look of lblWeb_1 afterwards
    const int d = int(Look::Design), h = int(Look::Highlighted);
    QTest::newRow("over the web link") << QStringList{"lblWeb_0"} << h << d;
    QTest::newRow("from web to mail") << QStringList{"lblWeb_0", "lblWeb_1"} << d << h;
    QTest::newRow("web, then the frame") << QStringList{"lblWeb_0", "Frame1"} << d << d;
    QTest::newRow("mail, then its image") << QStringList{"lblWeb_1", "imgWeb_0"} << d << d;
  }

  // Pointing at a link underlines it in red; only that one changes, and
  // leaving it brings back the navy, not underlined look.
  void hover() {
    QFETCH(QStringList, path);
    QFETCH(int, web);
    QFETCH(int, mail);
    frmInfo dialog;
    script(&dialog);
    QList<int> looks;
    showAndAct(dialog, [&](frmInfo* shown) {
      for (const QString& name : path) {
        auto* w = shown->findChild<QWidget*>(name);
        QTest::mouseMove(w, w->rect().center());
        QTest::mouseMove(w, w->rect().center() + QPoint(1, 0));
      }
      for (const char* link : {"lblWeb_0", "lblWeb_1"}) looks << int(LookOf(shown->findChild<QLabel*>(link)));
      shown->close();
    });
    QCOMPARE(looks, (QList<int>{web, mail}));
    QVERIFY(opened_.empty());
  }

  // Info opens one dialog, centred on the screen wherever the main window
  // is; closed with a link highlighted and its text changed, it shows its
  // design state again when Info opens it once more.
  void reopenShowsDesignStateCentred() {
    frmMain window;
    window.move(300, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QList<frmInfo*> instances;
    for (int showing = 0; showing < 2; ++showing) {
      QList<int> looks;
      QString webText;
      QPoint offCentre;
      test::WhenModal<frmInfo>([&](frmInfo* shown) {
        instances << shown;
        auto* web = shown->findChild<QLabel*>("lblWeb_0");
        for (const char* link : {"lblWeb_0", "lblWeb_1"}) looks << int(LookOf(shown->findChild<QLabel*>(link)));
        webText = web->text();
        offCentre = shown->frameGeometry().center() - shown->screen()->availableGeometry().center();
        // Spoil the state for the next showing: hiding ends the hover, so
        // the highlight is forced on directly.
        QFont underlined = web->font();
        underlined.setUnderline(true);
        web->setFont(underlined);
        QPalette red = web->palette();
        red.setColor(QPalette::WindowText, kRedColour);
        web->setPalette(red);
        web->setText(QStringLiteral("spoilt"));
        shown->close();
      });
      QTest::mouseClick(window.findChild<QPushButton*>("btnInfo"), Qt::LeftButton);
      QCOMPARE(looks, (QList<int>{int(Look::Design), int(Look::Design)}));
      QCOMPARE(webText, ToQString(about::kWebAddress));
      QVERIFY2(offCentre.manhattanLength() <= 2, "the dialog is not centred on the screen");
    }
    QCOMPARE(instances.size(), 2);
    QCOMPARE(instances[0], instances[1]);
  }

  // With the system's opener and no program to open links (an empty PATH),
  // the click still closes the dialog and the program shows no message.
  void unopenableLinkClosesQuietly() {
    test::TempTree empty;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(empty.root().string()));
    frmInfo dialog;
    bool stillOpen = true;
    showAndAct(dialog, [&](frmInfo* shown) {
      QTest::mouseClick(shown->findChild<QLabel*>("lblWeb_0"), Qt::LeftButton);
      stillOpen = shown->isVisible();
      if (stillOpen) shown->close();
    });
    qputenv("PATH", path);
    QVERIFY(!stillOpen);
    QTest::qWait(200);
    for (QWidget* top : QApplication::topLevelWidgets()) {
      QVERIFY2(!(qobject_cast<QMessageBox*>(top) && top->isVisible()), "a message box appeared");
    }
  }
};

}  // namespace qm

QTEST_MAIN(qm::AboutDialogTest)
#include "about_dialog_test.moc"
