// The main window's behaviour through MainController with a recording view:
// several files in one selection, drops on the table, the table's menu, and
// each job's output, over real batches of the fake tool.
#include <gtest/gtest.h>

#include <chrono>

#include "BatchRunnerFixture.h"
#include "ScriptedFileDialog.h"
#include "app/MainController.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::Utf8;
using Strings = std::vector<std::string>;

class ControllerView : public test::RecordingViewOf<MainView> {
 public:
  void SetToolbarEnabled(bool enabled) override { toolbar = enabled; }
  FileOpenDialog& SystemFileDialog() override { return files; }
  std::optional<ChsGeometry> AskGeometry() override {
    ++geometryAsked;
    return confirm ? std::optional(ChsGeometry{"1024", "16", "63", true}) : std::nullopt;
  }
  void ShowAbout() override {}
  void CloseWindow() override { ++closed; }
  void ShowOutput(std::string_view title, std::string_view text) override { outputs.emplace_back(title, text); }

  bool toolbar = true, confirm = true;  // confirm: each geometry dialog gets 1024/16/63, else it is closed
  test::ScriptedFileDialog files{{}, [this] { return toolbar; }};
  int geometryAsked = 0, closed = 0;

  std::vector<std::pair<std::string, std::string>> outputs;
};

class MainControllerTest : public test::BatchRunnerTestOf<ControllerView> {
 protected:
  void SetUp() override {
    BatchRunnerTestOf::SetUp();
    controller.emplace(view, Settings());
    controller->Load();
  }
  Strings Column(int col) {
    Strings cells;
    for (int n = 1; n <= controller->table().JobCount(); ++n) cells.push_back(controller->table().Job(n)[col]);
    return cells;
  }
  // The captions of the items enabled or, with false, disabled.
  static Strings Captions(const std::vector<MenuItem>& items, bool enabled = true) {
    Strings captions;
    for (const MenuItem& item : items)
      if (item.enabled == enabled) captions.push_back(item.caption);
    return captions;
  }

  std::optional<MainController> controller;
};

struct SelectionRow {
  const char* name;
  int button;
  std::string_view dialogTitle;
  Strings files, args;
  bool confirm;  // the geometry
};
void PrintTo(const SelectionRow& row, std::ostream* os) { *os << row.name; }

class SelectionTest : public MainControllerTest, public testing::WithParamInterface<SelectionRow> {};

// Each chosen file is one job, in the order chosen, from the dialog for the
// kind's files, shown with the tool bar disabled. A geometry dialog closed
// without confirming gives the last confirmed geometry: none at first, so
// the jobs have empty fields (the windows' tests see a later one kept).
TEST_P(SelectionTest, OneJobPerFileInOrder) {
  const SelectionRow& row = GetParam();
  view.confirm = row.confirm;
  view.files.selections.emplace_back();
  for (const std::string& name : row.files) view.files.selections.back().push_back(Utf8(Image(name)));
  controller->Add(row.button);

  EXPECT_EQ(view.files.titles, Strings{std::string(row.dialogTitle)});
  EXPECT_EQ(std::pair(view.files.toolbarEnabled, view.toolbar), std::pair(std::vector<bool>{false}, true));
  EXPECT_EQ(view.geometryAsked, row.button == 2 ? 1 : 0);  // Set CHS asks once a selection
  EXPECT_EQ(Column(kColArgs), row.args);
  EXPECT_EQ(Column(kColFolder), Strings(row.files.size(), Utf8(tree.data())));
  EXPECT_TRUE(view.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Selections, SelectionTest,
    testing::Values(SelectionRow{"UpdateThree", 0, kChdRequest.DialogTitle, {"c.chd", "a.chd", "b.chd"},
                                 {"-update c.chd c.tmp", "-update a.chd a.tmp", "-update b.chd b.tmp"}, true},
                    SelectionRow{"SetChsThreeAskOnce", 2, kChdRequest.DialogTitle, {"a.chd", "b.chd", "c.chd"},
                                 {"-setchs a.chd 1024 16 63 ", "-setchs b.chd 1024 16 63 ", "-setchs c.chd 1024 16 63 "}, true},
                    SelectionRow{"SetChsUnconfirmed", 2, kChdRequest.DialogTitle, {"a.chd", "b.chd"},
                                 {"-setchs a.chd ", "-setchs b.chd "}, false},
                    SelectionRow{"CreateCdTakesEveryDiscImage", 3, kCdRequest.DialogTitle, {"b.gdi", "a.cue", "c.iso"},
                                 {"-createcd b.gdi b.tmp", "-createcd a.cue a.tmp", "-createcd c.iso c.tmp"}, true},
                    SelectionRow{"CreateDvd", 4, kDvdRequest.DialogTitle, {"d.iso"}, {"-createdvd d.iso d.tmp"}, true},
                    SelectionRow{"VerifyTwo", 5, kChdRequest.DialogTitle, {"a.chd", "b.chd"},
                                 {"-verify a.chd", "-verify b.chd"}, true},
                    SelectionRow{"ExtractCancelled", 6, kChdRequest.DialogTitle, {}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Closing during a batch cancels it, leaves no backup or temporary name,
// and closes the window once it has ended. (The image, the message and the
// tool are the windows' close tests'; Qt's retries the close until it
// takes, so only this sees the batch's end close the window.)
TEST_F(MainControllerTest, ClosingDuringABatchClosesOnceTheBatchHasEnded) {
  view.files.push(Utf8(Image("HANG.chd")));
  controller->Add(0);
  EXPECT_TRUE(controller->RequestClose());  // idle: closes at once
  controller->Start();
  while (Calls().empty()) controller->Step();
  EXPECT_FALSE(controller->RequestClose());
  EXPECT_EQ(view.closed, 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (controller->runner().Running() && std::chrono::steady_clock::now() < deadline) controller->Step();
  EXPECT_EQ(view.closed, 1);
  ExpectUntouched("HANG.chd");
}

TEST_F(MainControllerTest, ASelectionPastTheLimitAddsWhatFitsAndSaysHowManyWereLeftOut) {
  const JobCells cells{"x.chd", "D:", "Update", "x.tmp", "D:", "", "-update x.chd x.tmp"};
  for (int n = 1; n <= JobTable::kMaxJobs - 2; ++n) ASSERT_TRUE(controller->table().Append(cells));
  view.files.selections.push_back({});
  for (const char* name : {"a.chd", "b.chd", "c.chd", "d.chd", "e.chd"}) view.files.selections.back().push_back(Utf8(Image(name)));
  controller->Add(0);
  EXPECT_EQ(controller->table().JobCount(), JobTable::kMaxJobs);
  EXPECT_EQ(controller->table().Job(JobTable::kMaxJobs)[kColImage], "b.chd");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, LeftOutMessage(3));
  controller->Add(1);  // a full table refuses before any dialog
  EXPECT_EQ(view.messages.back().text, kTableFullMessage);
  EXPECT_EQ(view.files.titles.size(), 1u);
}

// A folder gives its .chd files at any depth, in name order, and nothing else.
TEST_F(MainControllerTest, DropOfAFolderOffersUpdateAndSetChsAndQueuesItsImagesInNameOrder) {
  const fs::path top = tree.data() / "raccolta";
  fs::create_directories(top / "b sub" / "deeper");
  for (const char* name : {"b sub/deeper/z.chd", "b sub/a.chd", "c.CHD", "a.chd", "notes.txt", "x.diff", "chd"})
    test::WriteAll(top / test::PathOf(name), "x");
  EXPECT_TRUE(controller->DropMenu({Utf8(tree.data() / "nothing here.txt")}).empty());

  EXPECT_EQ(Captions(controller->DropMenu({Utf8(top)})), (Strings{"Update", "Set CHS...", "Verifica", "Estrai"}));
  controller->OnDropMenu(TableCommand::AddUpdate);
  EXPECT_EQ(Column(kColImage), (Strings{"a.chd", "a.chd", "z.chd", "c.CHD"}));
  EXPECT_EQ(Column(kColFolder), (Strings{Utf8(top), Utf8(top / "b sub"), Utf8(top / "b sub" / "deeper"), Utf8(top)}));
  controller->OnDropMenu(TableCommand::AddUpdate);  // the menu's choice is used once
  EXPECT_EQ(controller->table().JobCount(), 4);
}

TEST_F(MainControllerTest, DropOfOneImageAndOneDiffOffersMerge) {
  const fs::path chd = Image("disk.chd"), diff = Image("patch.diff");
  EXPECT_EQ(Captions(controller->DropMenu({Utf8(diff), Utf8(chd)})),
            (Strings{"Update", "Set CHS...", "Merge", "Verifica", "Estrai"}));
  controller->OnDropMenu(TableCommand::AddMerge);
  EXPECT_EQ(Column(kColArgs), Strings{"-merge disk.chd patch.diff patch.tmp"});

  EXPECT_EQ(Captions(controller->DropMenu({Utf8(chd), Utf8(Image("other.chd")), Utf8(diff)})),
            (Strings{"Update", "Set CHS...", "Verifica", "Estrai"}));
}

// Disc images offer the creates that take them: an .iso both, the others
// the CD's; each choice queues only the files it takes, in drop order.
TEST_F(MainControllerTest, DropOfDiscImagesOffersTheCreatesThatTakeThem) {
  const fs::path top = tree.data() / "dischi";
  fs::create_directories(top / "sub");
  for (const char* name : {"sub/b.GDI", "a.cue", "a.bin", "c.toc"}) test::WriteAll(top / test::PathOf(name), "x");
  const fs::path iso = Image("z.iso");
  EXPECT_EQ(Captions(controller->DropMenu({Utf8(Image("y.cue"))})), Strings{"Crea CHD (CD)"});
  EXPECT_EQ(Captions(controller->DropMenu({Utf8(iso), Utf8(top)})), (Strings{"Crea CHD (CD)", "Crea CHD (DVD)"}));
  controller->OnDropMenu(TableCommand::AddCreateDvd);
  controller->DropMenu({Utf8(iso), Utf8(top)});
  controller->OnDropMenu(TableCommand::AddCreateCd);
  EXPECT_EQ(Column(kColArgs), (Strings{"-createdvd z.iso z.tmp", "-createcd z.iso z.tmp", "-createcd a.cue a.tmp",
                                       "-createcd c.toc c.tmp", "-createcd b.GDI b.tmp"}));
}

// After a batch with a failure: its output holds what the tool said, the
// succeeded jobs can be removed, and "Avvia" runs the failed one again.
TEST_F(MainControllerTest, FailedJobShowsItsOutputAndIsRunAgainAlone) {
  view.files.selections.push_back({Utf8(Image("one.chd")), Utf8(Image("FAIL.chd")), Utf8(Image("three.chd"))});
  controller->Add(0);
  RunBatch(controller->runner());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].text.find(kSeeOutputNote), std::string::npos);

  controller->ShowOutput(2);
  controller->ShowOutput(0);  // the header has no output
  EXPECT_EQ(view.outputs, (decltype(view.outputs){{"Output di FAIL.chd", "Error: something failed\n"}}));

  EXPECT_EQ(Captions(controller->TableMenu(2)),
            (Strings{"Aggiungi Update...", "Aggiungi Merge...", "Aggiungi Set CHS...", "Rimuovi questo lavoro",
                     "Mostra l'output del lavoro", "Rimuovi i lavori riusciti", "Aggiungi Crea CHD (CD)...",
                     "Aggiungi Crea CHD (DVD)...", "Aggiungi Verifica...", "Aggiungi Estrai..."}));
  controller->OnTableMenu(TableCommand::RemoveSucceeded, 2);
  EXPECT_EQ(Column(kColImage), Strings{"FAIL.chd"});
  EXPECT_EQ(Captions(controller->TableMenu(0), false),
            (Strings{"Rimuovi questo lavoro", "Mostra l'output del lavoro", "Rimuovi i lavori riusciti"}));

  RunBatch(controller->runner());
  ASSERT_EQ(Calls().size(), 4u);
  EXPECT_EQ(Calls()[3].argv[2], "FAIL.chd");
  controller->OnTableMenu(TableCommand::RemoveJob, 1);
  EXPECT_EQ(controller->table().JobCount(), 0);
}

}  // namespace
}  // namespace qm
