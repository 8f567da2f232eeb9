// The main window and its dialogs as built and driven for real: every
// control against the window designs, captions that fit under the fonts
// this system resolves; clicks, keys and drops reaching MainController and
// its answers reaching the widgets, over real batches of the fake tool
// installed as chdman. The rules themselves are the core's tests; here each
// user path once.

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "DesignedWindows.h"
#include "FakeToolLog.h"
#include "IsolatedSettings.h"
#include "QtTestSupport.h"
#include "TempTree.h"
#include "app/qt/frmMain.h"
#include "dialogs/About.h"
#include "dialogs/qt/frmInfo.h"
#include "dialogs/qt/frmSetCHS.h"
#include "platform/processes.h"
#include "ui/CaptionFit.h"
#include "ui/Layout.h"
#include "ui/qt/GridView.h"
#include "ui/qt/QtFileOpenDialog.h"

namespace qm {
namespace {

namespace fs = std::filesystem;


// The caption a control shows (its "text" property: buttons, labels, boxes).
QString Text(const QWidget* w) { return w->property("text").toString(); }

// The two links' looks: each one's text colour, and "_" when underlined. The
// design is navy ("#000080"), the highlight red and underlined ("#ff0000_").
QString Looks(const QWidget* dialog) {
  QStringList looks;
  for (const char* link : {"lblWeb_0", "lblWeb_1"}) {
    const QLabel* label = dialog->findChild<QLabel*>(link);
    looks << label->palette().color(QPalette::WindowText).name() + (label->font().underline() ? "_" : "");
  }
  return looks.join(' ');
}

// QMessageBox::Icon's names, for reading a message box as one line.
const char* const kIcons[] = {"none", "information", "warning", "critical", "question"};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempTree> tree_;
  test::ScriptedFileDialog files_;
  std::unique_ptr<frmMain> window_;
  std::unique_ptr<frmSetCHS> setChs_;
  std::unique_ptr<frmInfo> info_;
  GridView* grid_ = nullptr;
  QStringList messages_;  // "caption: text (icon)"
  std::vector<std::string> opened_;  // urls handed to the About dialog's opener

  QWidget* window(const QString& name) {
    if (name == QLatin1String("frmMain")) return window_.get();
    return name == QLatin1String("frmSetCHS") ? static_cast<QWidget*>(setChs_.get()) : info_.get();
  }

  QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
  std::vector<test::FakeToolCall> calls() const { return test::ReadFakeToolLog(tree_->log().string()); }

  // The grid view's column `col`, row by row.
  std::vector<std::string> shown(int col) {
    std::vector<std::string> cells;
    for (int row = 0; row < grid_->model()->rowCount(); ++row)
      cells.push_back(grid_->model()->index(row, col).data().toString().toStdString());
    return cells;
  }

  fs::path image(const fs::path& relative) {
    fs::create_directories((tree_->data() / relative).parent_path());
    test::WriteAll(tree_->data() / relative, "original:" + relative.filename().string());
    return tree_->data() / relative;
  }

  // One click on `add` choosing these files in one selection.
  void add(const char* add, const std::vector<fs::path>& chosen) {
    files_.selections.emplace_back();
    for (const fs::path& p : chosen) files_.selections.back().push_back(p.string());
    QTest::mouseClick(button(add), Qt::LeftButton);
  }

  // Presses "Avvia" and answers every message box of the batch with OK.
  void runBatch() {
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages_ << box->windowTitle() + ": " + box->text() + " (" + kIcons[box->icon()] + ")";
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->accept();
      }
    });
    watcher.start(5);
    QTest::mouseClick(button("btnComprimi"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->runner().Running(), 60000);
  }

  // The colour of the mark the grid shows on a job: the design's pale green
  // (#beebbe), red (#f5b9b9) or grey (#cdcdcd), or "none" as the rest of the row.
  QString hue(int row) {
    const QVariant brush = grid_->model()->index(row - 1, 0).data(Qt::BackgroundRole);
    if (brush == grid_->model()->index(row - 1, 1).data(Qt::BackgroundRole)) return "none";
    return brush.value<QBrush>().color().name();
  }

  // Answers the next popup menu: the item `choice` is chosen, or Escape
  // pressed when it is empty.
  void answerMenu(const QString& choice) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, choice] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !menu->isVisible()) return;
      timer->deleteLater();
      timer->stop();
      for (QAction* action : menu->actions())
        if (action->text() == choice) menu->setActiveAction(action);
      QTest::keyClick(menu, choice.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
    });
    timer->start(5);
  }

  // Shows the About dialog alone, runs `act` inside it and closes it if
  // `act` did not; true when `act` closed it.
  bool withAbout(const std::function<void(frmInfo*)>& act) {
    window_->hide();  // else the pointer's moves reach the main window under the dialog
    bool closed = false;
    test::WhenModal<frmInfo>([&](frmInfo* shown) {
      act(shown);
      closed = !shown->isVisible();
      if (!closed) shown->close();
    });
    info_->ShowModal();
    return closed;
  }

 private slots:
  void init() {
    tree_ = std::make_unique<test::TempTree>();
    tree_->InstallTool(QM_FAKE_CHDMAN);
    qputenv("FAKE_CHDMAN_LOG", QByteArray::fromStdString(tree_->log().string()));
    qunsetenv("FAKE_CHDMAN_MODE");
    window_ = std::make_unique<frmMain>();
    setChs_ = std::make_unique<frmSetCHS>();
    info_ = std::make_unique<frmInfo>();
    info_->setNavigator([this](const std::string& url) {
      QVERIFY(info_->isVisible());
      opened_.push_back(url);
    });
    grid_ = window_->findChild<GridView*>("MainGrid");
    window_->controller().SetRunnerSettings(test::Isolated({tree_->program().string() + "/", "chdman", "automate.sh",
                                                            Interpreter::PosixShell, tree_->privateFolder().string() + "/"}));
    files_ = test::ScriptedFileDialog({}, [this] { return window_->findChild<QWidget*>("fraToolbar")->isEnabled(); });
    window_->controller().SetFileDialog(&files_);
    window_->move(40, 30);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    messages_.clear();
    opened_.clear();
  }

  void cleanup() {
    info_.reset();
    setChs_.reset();
    window_.reset();
    tree_.reset();
  }

  void control_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(test::kDesignedControls)); ++row) {
      const test::DesignedControl& e = test::kDesignedControls[row];
      QTest::newRow((std::string(e.window) + "/" + test::ObjectNameOf(e.name, e.index)).c_str()) << row;
    }
  }

  // Each control as built, against the designed table. With the fonts this
  // system resolves, every caption fits its control: a label's text within
  // its width, a button's icon, gap and text within its width less the
  // style's margins; at 7 points or more, and no smaller or narrower than it
  // needs. A face too wide for that fails here by name.
  void control() {
    QFETCH(int, row);
    const test::DesignedControl& e = test::kDesignedControls[row];
    const ControlSpec* c = test::SpecOf(e.window).Find(e.name, e.index);
    QVERIFY(c);
    // Whole pixels at 96 dots per inch, so other resolutions scale evenly.
    for (int twips : {c->left, c->top, c->width, c->height}) QCOMPARE(twips % 15, 0);
    QWidget* top = window(e.window);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top));
    const QString object = QString::fromStdString(ObjectName(*c));
    QWidget* w = top->findChild<QWidget*>(object);
    QVERIFY2(w, qPrintable(object));
    QCOMPARE(w->parentWidget()->objectName(), QString(e.parent));
    QCOMPARE(w->geometry(), QRect(e.left, e.top, e.width, e.height));
    if (e.text) QCOMPARE(Text(w), QString::fromUtf8(e.text));
    QVERIFY(w->isEnabled());
    const QFont font = w->font();
    QCOMPARE(font.family() + (font.bold() ? " bold" : "") + (font.underline() ? " underlined" : ""),
             QString("MS Sans Serif") + (e.bold ? " bold" : ""));
    QVERIFY(font.pointSizeF() <= e.points);  // smaller where this machine's face is wider
    QCOMPARE(w->palette().color(QPalette::WindowText),
             e.navy ? QColor(0, 0, 128) : top->palette().color(QPalette::WindowText));
    const bool takesFocus = c->kind == ControlKind::PushButton || c->kind == ControlKind::TextBox ||
                            c->kind == ControlKind::Grid;
    QCOMPARE(w->focusPolicy() != Qt::NoFocus, takesFocus);
    if (auto* label = qobject_cast<QLabel*>(w); label && c->kind == ControlKind::Label)
      QCOMPARE(label->alignment(), Qt::AlignVCenter | (c->align == TextAlign::Center ? Qt::AlignHCenter : Qt::AlignLeft));
    // Images show one 32-pixel picture at its natural size.
    if (auto* image = qobject_cast<QLabel*>(w); image && c->kind == ControlKind::Image)
      QCOMPARE(std::pair(image->pixmap().size(), image->hasScaledContents()), std::pair(QSize(32, 32), false));
    if (auto* frame = qobject_cast<QFrame*>(w); frame && c->kind == ControlKind::Frame)
      QCOMPARE(frame->frameStyle(), QFrame::Box | QFrame::Plain);
    if (auto* button = qobject_cast<QPushButton*>(w)) QVERIFY(!button->icon().isNull());
    if (auto* bar = qobject_cast<QProgressBar*>(w))
      QCOMPARE(std::tuple(bar->maximum(), bar->value(), bar->isTextVisible()), std::tuple(100, 0, false));
    if (!e.text || !*e.text) return;
    const QString text = Text(w);
    int room = w->contentsRect().width();
    int icon = 0;
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      icon = button->iconSize().width() + 4;
      room -= 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    }
    const auto fits = [&](const QFont& tried) {
      const QFontMetrics metrics(tried);
      return icon + metrics.horizontalAdvance(text) <= room && metrics.height() <= w->height();
    };
    QVERIFY2(fits(font) && font.pointSizeF() >= kMinCaptionPoints,
             qPrintable(QStringLiteral("\"%1\" in %2 at %3 pt, %4%: needs %5 pixels, has %6")
                            .arg(text, QFontInfo(font).family()).arg(font.pointSizeF()).arg(font.stretch())
                            .arg(icon + QFontMetrics(font).horizontalAdvance(text)).arg(room)));
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

  void frame_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < int(std::size(test::kDesignedWindows)); ++row)
      QTest::newRow(test::kDesignedWindows[row].window) << row;
  }

  // Fixed client size, caption, icon, a frame without minimize or maximize
  // box; Tab visits the focusable controls in tab-index order and wraps round.
  void frame() {
    QFETCH(int, row);
    const test::DesignedWindow& f = test::kDesignedWindows[row];
    const QSize client(f.width, f.height);
    QWidget* w = window(f.window);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(w->objectName(), QString(f.window));
    w->resize(client + QSize(50, 50));
    QCOMPARE((QList<QSize>{w->size(), w->minimumSize(), w->maximumSize()}), QList<QSize>(3, client));
    QCOMPARE(w->windowTitle(), QString(f.caption));
    QCOMPARE(w->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    QCOMPARE(w->windowIcon().isNull(), !f.icon);
    if (f.tabChain.empty()) return;
    QTRY_VERIFY(QApplication::focusWidget());
    for (const std::string& expected : f.tabChain) {
      QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromStdString(expected));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromStdString(f.tabChain.front()));  // wraps round
  }

  // Each add button asks through the window's dialogs with the tool bar off;
  // the geometry dialog opens empty, centred, with the focus in txtC, and
  // closing it confirms nothing new; a click on a grid row and Rimuovi take
  // that job off.
  void addAndRemoveByClicks() {
    add("btnAggiungi_0", {"/img/a.chd"});
    files_.push("/a/disk.chd");
    files_.push("");  // the diff selection is cancelled
    QTest::mouseClick(button("btnAggiungi_1"), Qt::LeftButton);
    QStringList seen;
    for (const bool confirm : {true, false}) {
      test::WhenModal<frmSetCHS>([&](frmSetCHS* shown) {
        for (const char* box : {"txtC", "txtH", "txtS"}) seen << shown->findChild<QLineEdit*>(box)->text();
        seen << QApplication::focusWidget()->objectName();
        QVERIFY((shown->frameGeometry().center() - window_->frameGeometry().center()).manhattanLength() <= 2);
        if (!confirm) return QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        // Only digits and the editing keys pass.
        auto* c = shown->findChild<QLineEdit*>("txtC");
        QTest::keyClicks(c, "91k0-24.5");
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete}) QTest::keyClick(c, key);
        QTest::keyClicks(shown->findChild<QLineEdit*>("txtH"), "+1 6");
        QTest::keyClicks(shown->findChild<QLineEdit*>("txtS"), "6.x3");
        QTest::mouseClick(shown->findChild<QPushButton*>("btnSetCHS"), Qt::LeftButton);
      });
      add("btnAggiungi_2", {confirm ? "/img/b.chd" : "/img/c.chd"});
    }
    QCOMPARE(seen, (QStringList{"", "", "", "txtC", "", "", "", "txtC"}));
    QCOMPARE(window_->findChildren<frmSetCHS*>().size(), 1);  // one dialog, reused
    QCOMPARE(files_.titles, (std::vector<std::string>{"Seleziona file CHD...", "Seleziona file CHD...",
                                                      "Seleziona file Diff...", "Seleziona file CHD...",
                                                      "Seleziona file CHD..."}));
    QCOMPARE(files_.toolbarEnabled, std::vector<bool>(5, false));
    QVERIFY(button("btnAggiungi_0")->isEnabled());
    QCOMPARE(shown(kColArgs), (std::vector<std::string>{"-update a.chd a.tmp", "-setchs b.chd 1024 16 63 ",
                                                         "-setchs c.chd 1024 16 63 "}));

    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, grid_->visualRect(grid_->model()->index(1, 0)).center());
    QTest::mouseClick(button("btnRimuovi"), Qt::LeftButton);
    QCOMPARE(shown(kColImage), (std::vector<std::string>{"a.chd", "c.chd"}));
    // The current cell stays one in grid and view: after the removal, moved
    // by keys, and no row current after a click on the header.
    const Grid& grid = window_->jobTable().grid();
    const auto inStep = [&] { return grid_->currentIndex() == grid_->model()->index(grid.Row() - 1, grid.Col()); };
    QVERIFY(inStep() && grid.Row() == 2);
    QTest::keyClick(grid_, Qt::Key_Up);
    QTest::keyClick(grid_, Qt::Key_Right);
    QCOMPARE(QPoint(grid.Row(), grid.Col()), QPoint(1, 1));
    QVERIFY(inStep());
    QHeaderView* header = grid_->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 4, 4));
    QCOMPARE(QPoint(grid.Row(), grid.Col()), QPoint(0, 2));
    QVERIFY(inStep() && !grid_->currentIndex().isValid());
  }

  // The system's file dialog takes the job's filter in Qt's form.
  void qtFilter() {
    const std::pair<const char*, const char*> rows[] = {
        {"Immagini|*.chd", "Immagini (*.chd)"},  // a description without pattern
        {"Immagini (vecchie)|*.img;*.chd", "Immagini (vecchie) (*.img *.chd)"},
        {"CHD (*.chd)|*.chd|Diff (*.diff)|*.diff", "CHD (*.chd);;Diff (*.diff)"},
    };
    for (const auto& [filter, qt] : rows) QCOMPARE(QtFileOpenDialog::QtFilter(filter), QString(qt));
  }

  // The grid at start: the header and one blank row, left-aligned plain
  // cells; columns 3..6 begin beyond the right edge of the first three; a
  // later width reaches the view.
  void columns() {
    QAbstractItemModel* model = grid_->model();
    QCOMPARE(model->rowCount(), 1);
    QVERIFY(grid_->verticalHeader()->isHidden());
    QStringList seen;  // width in pixels, header, its weight
    for (int column = 0; column < model->columnCount(); ++column) {
      const QFont header = model->headerData(column, Qt::Horizontal, Qt::FontRole).value<QFont>();
      seen << QString::number(grid_->columnWidth(column)) + " " + model->headerData(column, Qt::Horizontal).toString() +
                  (header.bold() ? " bold" : "");
      QVERIFY(!model->index(0, column).data(Qt::FontRole).value<QFont>().bold());
      QCOMPARE(Qt::Alignment(model->index(0, column).data(Qt::TextAlignmentRole).toInt()),
               Qt::AlignLeft | Qt::AlignVCenter);
      if (column >= 3) QVERIFY(grid_->columnViewportPosition(column) >= 476);
    }
    // 4150 twips rounded to 277 pixels.
    QCOMPARE(seen, (QStringList{"100 Immagine bold", "277 Percorso bold", "100 Azione bold", "64  bold", "64 ", "64 ", "64 "}));
    window_->jobTable().grid().SetColWidth(1, 1500);
    QCOMPARE(grid_->columnWidth(1), 100);
  }

  void aboutClicks_data() {
    QTest::addColumn<QString>("target");   // object name; "" the dialog's own surface
    QTest::addColumn<QPoint>("at");        // in the target; (0, 0) its centre
    QTest::addColumn<QString>("text");     // set on the target first; empty: as designed
    QTest::addColumn<QString>("outcome");  // whether the dialog closes, and each url handed to the opener
    QTest::newRow("web link") << "lblWeb_0" << QPoint() << "" << "closes http://" + QString::fromUtf8(about::kWebAddress);
    QTest::newRow("mail link") << "lblWeb_1" << QPoint() << "" << "closes mailto:" + QString::fromUtf8(about::kMailAddress);
    QTest::newRow("web link, current text") << "lblWeb_0" << QPoint() << "altro.example.net" << "closes http://altro.example.net";
    QTest::newRow("left margin") << "" << QPoint(3, 100) << "" << "closes";
    QTest::newRow("frame, empty part") << "Frame1" << QPoint(20, 180) << "" << "closes";
    QTest::newRow("credit line") << "lblInt_0" << QPoint() << "" << "closes";
    QTest::newRow("web image") << "imgWeb_3" << QPoint() << "" << "stays";
  }

  // A link is handed to the opener once, while the dialog still shows; every
  // click but those on the images closes the dialog.
  void aboutClicks() {
    QFETCH(QString, target);
    QFETCH(QPoint, at);
    QFETCH(QString, text);
    QFETCH(QString, outcome);
    const bool closed = withAbout([&](frmInfo* shown) {
      QWidget* w = target.isEmpty() ? shown : shown->findChild<QWidget*>(target);
      if (!text.isEmpty()) qobject_cast<QLabel*>(w)->setText(text);
      // The point really is on the target, not on a control above it.
      const QPoint point = at.isNull() ? w->rect().center() : at;
      QCOMPARE(shown->childAt(w->mapTo(shown, point)), target.isEmpty() ? nullptr : w);
      QTest::mouseClick(w, Qt::LeftButton, {}, point);
    });
    QString seen = closed ? "closes" : "stays";
    for (const std::string& url : opened_) seen += " " + QString::fromStdString(url);
    QCOMPARE(seen, outcome);
  }

  // Pointing at a link underlines it in red; only that one changes, and
  // leaving it, for the other link, the frame or an image, brings back the
  // design look.
  void aboutHover() {
    QStringList seen;
    withAbout([&](frmInfo* shown) {
      for (const char* name : {"lblWeb_0", "lblWeb_1", "lblWeb_0", "Frame1", "lblWeb_1", "imgWeb_0"}) {
        auto* w = shown->findChild<QWidget*>(name);
        QTest::mouseMove(w, w->rect().center());
        QTest::mouseMove(w, w->rect().center() + QPoint(1, 0));
        seen << Looks(shown);
      }
    });
    const QString web = "#ff0000_ #000080", mail = "#000080 #ff0000_", none = "#000080 #000080";
    QCOMPARE(seen, (QStringList{web, mail, web, none, mail, none}));
    QVERIFY(opened_.empty());
  }

  // Info opens one dialog, centred on the screen wherever the main window
  // is; closed with a link highlighted and its text changed, it shows its
  // design state again when Info opens it once more.
  void aboutReopensInTheDesignState() {
    QSet<frmInfo*> instances;
    QStringList seen;  // the links' looks and the web link's text, and whether centred
    for (int showing = 0; showing < 2; ++showing) {
      test::WhenModal<frmInfo>([&](frmInfo* shown) {
        instances << shown;
        auto* web = shown->findChild<QLabel*>("lblWeb_0");
        const QPoint offCentre = shown->frameGeometry().center() - shown->screen()->availableGeometry().center();
        seen << Looks(shown) + " " + web->text() + (offCentre.manhattanLength() <= 2 ? " centred" : " off centre");
        // Spoilt for the next showing: hiding ends the hover, so the
        // highlight is forced on directly.
        QFont underlined = web->font();
        underlined.setUnderline(true);
        web->setFont(underlined);
        web->setPalette(QPalette(Qt::red));  // no longer navy text
        web->setText("spoilt");
        shown->close();
      });
      QTest::mouseClick(button("btnInfo"), Qt::LeftButton);
    }
    const QString design = "#000080 #000080 " + QString::fromUtf8(about::kWebAddress) + " centred";
    QCOMPARE(seen, (QStringList{design, design}));
    QCOMPARE(instances.size(), 1);
  }

  // Several images in one selection are one job each. Clicks reach the
  // controller and its batch reaches the widgets: bars, label, locked
  // buttons, the row marks and the message box; Annulla during the second
  // job ends the batch there.
  void batchThroughTheWindow() {
    qputenv("FAKE_CHDMAN_MODE", "slow=15");
    const fs::path hang = image("HANG.chd");
    add("btnAggiungi_0", {image("game.chd"), hang, image("third.chd")});
    QCOMPARE(shown(kColImage), (std::vector<std::string>{"game.chd", "HANG.chd", "third.chd"}));
    int highestTotal = 0;
    bool sawJobMaximum = false, locked = true;
    QStringList operations;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
      if (!window_->runner().Running()) return;
      highestTotal = std::max(highestTotal, window_->findChild<QProgressBar*>("pbTotal")->value());
      sawJobMaximum = sawJobMaximum || window_->findChild<QProgressBar*>("pbCurrent")->maximum() == 10;
      for (const char* name : {"btnComprimi", "btnRimuovi", "btnAggiungi_1"})
        locked = locked && !button(name)->isEnabled();
      const QString op = window_->findChild<QLabel*>("lblOperazione")->text();
      if (!operations.contains(op)) operations << op;
      if (calls().size() == 2 && fs::exists(tree_->data() / "HANG.tmp"))
        QTest::mouseClick(button("btnAnnulla"), Qt::LeftButton);
    });
    sampler.start(1);
    runBatch();
    sampler.stop();

    QCOMPARE(calls().size(), size_t{2});
    QCOMPARE(messages_, QStringList{"Quillmere: Operazione annullata dall'utente. (critical)"});
    QVERIFY2(highestTotal >= 100, "the batch bar never reached the end of the first job");
    QVERIFY(sawJobMaximum);  // 1000 hunks: a maximum of 1000 / 100
    QVERIFY(locked);
    QVERIFY(operations.contains("Update di 'game.chd'"));
    QCOMPARE((QStringList{hue(1), hue(2), hue(3)}), (QStringList{"#beebbe", "#cdcdcd", "none"}));
    QCOMPARE(test::ReadAll(hang), std::string("original:HANG.chd"));
    // Idle again.
    for (QPushButton* b : window_->findChildren<QPushButton*>()) QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
    for (QProgressBar* bar : window_->findChildren<QProgressBar*>()) QCOMPARE(bar->value(), 0);
    QCOMPARE(window_->findChild<QLabel*>("lblOperazione")->text(), QString());
    for (const test::FakeToolCall& call : calls()) QVERIFY(!ProcessRunning(call.pid));
  }

  // The About dialog's own loop does not hold the batch up: the second job
  // starts and the batch ends while the dialog stays open.
  void theBatchGoesOnWhileTheAboutDialogIsOpen() {
    qputenv("FAKE_CHDMAN_MODE", "slow=20");
    add("btnAggiungi_0", {image("first.chd"), image("second.chd")});
    bool endedWhileOpen = false;
    test::WhenModal<frmInfo>([&](frmInfo* about) {
      endedWhileOpen = QTest::qWaitFor([&] { return !window_->runner().Running(); }, 30000) && about->isVisible();
      about->close();
    });
    QTimer::singleShot(0, this, [this] { QTest::mouseClick(button("btnInfo"), Qt::LeftButton); });
    runBatch();
    QVERIFY(endedWhileOpen);
    QCOMPARE(calls().size(), size_t{2});
    QCOMPARE(messages_, QStringList{"Quillmere: Operazione terminata con successo. (information)"});
  }

  void closingDuringABatchCancelsItQuietly() {
    const fs::path hang = image("HANG.chd");
    add("btnAggiungi_0", {hang});
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
      if (calls().size() == 1 && window_->isVisible()) window_->close();
    });
    closer.start(10);
    runBatch();

    QVERIFY(!window_->isVisible());
    QVERIFY(messages_.isEmpty());
    QCOMPARE(test::ReadAll(hang), std::string("original:HANG.chd"));
    for (const test::FakeToolCall& call : calls()) QVERIFY(!ProcessRunning(call.pid));
  }

  // A folder dropped on the table offers the menu at the drop point; Escape
  // queues nothing, Update its images in name order.
  void aDroppedFolderQueuesItsImagesInNameOrder() {
    image("raccolta/b/z.chd");
    image("raccolta/a.chd");
    image("raccolta/note.txt");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((tree_->data() / "raccolta").string()))});
    for (const char* choice : {"", "Update"}) {
      answerMenu(choice);
      QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(grid_->viewport(), &enter);
      QApplication::sendEvent(grid_->viewport(), &drop);
      if (!*choice) QCOMPARE(window_->jobTable().JobCount(), 0);
    }
    QCOMPARE(shown(kColImage), (std::vector<std::string>{"a.chd", "z.chd"}));
  }

  // After a failure: the row marked, its output on a double-click, the
  // succeeded jobs removed from the table's menu, and "Avvia" runs the rest.
  void aFailedJobIsShownAndRunAgain() {
    add("btnAggiungi_0", {image("one.chd"), image("FAIL.chd")});
    runBatch();
    QVERIFY2(messages_.size() == 1 && messages_[0].endsWith("(warning)"), qPrintable(messages_.join('\n')));
    QCOMPARE(hue(2), QStringLiteral("#f5b9b9"));

    const QPoint failed = grid_->visualRect(grid_->model()->index(1, 0)).center();
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, failed);
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, failed);
    auto* output = window_->findChild<QDialog*>("frmOutput");
    QVERIFY(output && output->isVisible());
    auto* text = output->findChild<QPlainTextEdit*>("txtOutput");
    QVERIFY(text->isReadOnly());
    QVERIFY2(text->toPlainText().contains("Error: something failed"), qPrintable(text->toPlainText()));
    output->close();

    answerMenu("Rimuovi i lavori riusciti");
    QContextMenuEvent menu(QContextMenuEvent::Mouse, failed, grid_->viewport()->mapToGlobal(failed));
    QApplication::sendEvent(grid_->viewport(), &menu);
    QCOMPARE(shown(kColImage), std::vector<std::string>{"FAIL.chd"});

    runBatch();
    const auto all = calls();
    QCOMPARE(all.size(), size_t{3});
    QCOMPARE(all[2].argv[2], std::string("FAIL.chd"));
  }
};

}  // namespace qm

QTEST_MAIN(qm::MainWindowTest)
#include "main_window_test.moc"
