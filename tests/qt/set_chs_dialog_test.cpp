// The geometry dialog: the key filter of its three boxes, what Conferma
// makes of their texts, closing without confirming, and reopening.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "QtTestSupport.h"
#include "app/qt/frmMain.h"
#include "dialogs/qt/frmSetCHS.h"

namespace qm {
namespace {

const char* const kBoxes[] = {"txtC", "txtH", "txtS"};

QLineEdit* Box(QWidget* dialog, int i) { return dialog->findChild<QLineEdit*>(kBoxes[i]); }

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

class SetChsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void keyFilter_data() {
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("text");

    auto typed = [](const QString& text) {
      QTestEventList keys;
      keys.addKeyClicks(text);
      return keys;
    };
    QTest::newRow("digits among others") << typed("1a2-3.4 5") << "12345";

    // Editing keys pass the filter; Return neither confirms nor types.
    QTestEventList editing = typed("123");
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete, Qt::Key_Return})
      editing.addKeyClick(key);
    editing.addKeyClicks("4");
    QTest::newRow("editing keys") << editing << "42";
  }

  // The same keys give the same text in each of the three boxes.
  void keyFilter() {
    QFETCH(QTestEventList, keys);
    QFETCH(QString, text);
    frmSetCHS dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (int i = 0; i < 3; ++i) {
      keys.simulate(Box(&dialog, i));
      QCOMPARE(Box(&dialog, i)->text(), text);
    }
    QVERIFY(dialog.isVisible());  // no key closed or confirmed it
  }

  // Conferma takes the texts without the blanks a paste brings around them.
  void confirmTrimsPastedBlanks() {
    frmSetCHS dialog;
    test::WhenModal<frmSetCHS>([&](frmSetCHS* shown) {
      const char* pasted[] = {"  1024 ", " 16", "63  "};
      for (int i = 0; i < 3; ++i) Box(shown, i)->setText(pasted[i]);  // bypasses the key filter
      QTest::mouseClick(shown->findChild<QPushButton*>("btnSetCHS"), Qt::LeftButton);
    });
    const std::optional<ChsGeometry> geometry = dialog.Ask();
    QVERIFY(geometry);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ToQString(geometry->ChsValue()), QStringLiteral("1024 16 63 "));
    QCOMPARE(ToQString(geometry->cylinders), QStringLiteral("1024"));
  }

  // The geometry dialog as the main window opens it: each showing starts
  // centred over the window with empty boxes and the focus in txtC; closing
  // confirms nothing.
  void reopenedEmptyAndClosingConfirmsNothing() {
    frmMain window;
    window.move(40, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QStringList answers{"1 2 3", "4 5 6", "close"}, values{"1 2 3 ", "4 5 6 ", ""};
    for (qsizetype n = 0; n < answers.size(); ++n) {
      QStringList seen;
      QPoint offCentre;
      const QString answer = answers[n];
      test::WhenModal<frmSetCHS>([&, answer](frmSetCHS* shown) {
        for (int i = 0; i < 3; ++i) seen << Box(shown, i)->text();
        seen << QApplication::focusWidget()->objectName();
        offCentre = shown->frameGeometry().center() - window.frameGeometry().center();
        if (answer == QLatin1String("close")) {
          shown->close();
          return;
        }
        const QStringList fields = answer.split(QLatin1Char(' '));
        for (int i = 0; i < 3; ++i) QTest::keyClicks(Box(shown, i), fields[i]);
        QTest::mouseClick(shown->findChild<QPushButton*>("btnSetCHS"), Qt::LeftButton);
      });
      const std::optional<ChsGeometry> geometry = window.AskGeometry();
      QCOMPARE(geometry ? ToQString(geometry->ChsValue()) : QString(), values[n]);
      QCOMPARE(seen, (QStringList{"", "", "", "txtC"}));
      QVERIFY(offCentre.manhattanLength() <= 2);
    }
    QCOMPARE(window.findChildren<frmSetCHS*>().size(), 1);  // one dialog, reused
  }
};

}  // namespace qm

QTEST_MAIN(qm::SetChsDialogTest)
#include "set_chs_dialog_test.moc"
