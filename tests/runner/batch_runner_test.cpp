// The batch runner end to end without a window: the system's own interpreter
// (/bin/sh, or cmd.exe on Windows) running the real batch file, the fake tool
// installed under the tool's name in a program folder whose path has a blank,
// and a recording view. The same cases run on both systems; a table says where
// a system's names or encoding make a row differ.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>

#include "BatchRunnerFixture.h"
#include "RowName.h"
#include "platform/environment.h"

namespace qm {
namespace {

using test::BatchRunnerTest;
using test::kCmd;
using test::PathOf;
using test::ReadAll;
using test::Utf8;
using test::WriteAll;
namespace fs = std::filesystem;

// The jobs run in order, each in its image's folder (a merge in its diff's,
// beside a namesake of the parent), from files of their own removed
// afterwards; the last job's lines stay under the kept name.
TEST_F(BatchRunnerTest, MergeAndSetChsRunInOrderInTheirFolders) {
  const fs::path disk = Image("disk.chd"), patches = tree.data() / "patches", diff = patches / "patch.diff";
  fs::create_directories(patches);
  WriteAll(diff, "delta");
  WriteAll(patches / "disk.chd", "a namesake of the parent");
  Queue(JobKind::Merge, disk, diff);
  Queue(JobKind::SetChs, disk, {}, ChsGeometry{"1024", "16", "63", true});
  // Where Windows would go for an unquoted "...\program folder\..." path.
  test::TempTree::CopyProgram(QM_FAKE_CHDMAN, tree.root() / "program.exe");

  BatchRunner runner(table, view, Settings());
  RunBatch(runner);

  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 2u);  // and none by the program beside the folder
  EXPECT_EQ(calls[0].argv, (std::vector<std::string>{calls[0].argv[0], "-merge", Utf8(disk), "patch.diff", "patch.tmp"}));
  EXPECT_EQ(PathOf(calls[0].cwd), patches);
  EXPECT_EQ(calls[1].argv, (std::vector<std::string>{calls[1].argv[0], "-setchs", "disk.chd", "1024", "16", "63"}));
  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
  EXPECT_EQ(view.operations, (std::vector<std::string>{"Update di 'disk.chd'", "Update di 'disk.chd'", ""}));
  EXPECT_EQ(view.lastTotal, (std::pair<int, int>{200, 200}));  // 1000 hunks a job
  const std::string kept = ReadAll(tree.program() / BatchFileName());
  EXPECT_TRUE(kept.find("-setchs") != std::string::npos && kept.find("patch") == std::string::npos) << kept;
  EXPECT_EQ(std::distance(fs::directory_iterator(tree.program()), fs::directory_iterator()), 2);  // tool, kept file
}

// The renames of an update run as commands of their own: a second one that
// fails, or a cancel while the first one is still at work, leaves the image
// under its name. /bin/sh finds mv on PATH, so a stand-in can be slow or fail.
struct RenameRow {
  const char* label;
  const char* mv;  // the stand-in's body; a batch is cancelled once it makes bin/moved
  RowMark mark;
};

class CutRenames : public BatchRunnerTest, public ::testing::WithParamInterface<RenameRow> {};

TEST_P(CutRenames, LeaveTheImageUnderItsName) {
  if (kCmd) GTEST_SKIP() << "cmd.exe renames inside itself";
  const fs::path bin = tree.root() / "bin";
  fs::create_directory(bin);
  WriteAll(bin / "mv", std::string("#!/bin/sh\nfor a; do last=$a; done\n") + GetParam().mv);
  fs::permissions(bin / "mv", fs::perms::owner_all);
  const std::string path = GetEnvironment("PATH").value_or("");
  test::SetEnv("PATH", Utf8(bin) + ":" + path);
  Queue(JobKind::Update, Image("game.chd"));
  BatchRunner runner(table, view, Settings());
  view.onStep = [&] {
    if (fs::exists(bin / "moved")) runner.Cancel();
  };
  RunBatch(runner);
  test::SetEnv("PATH", path);
  ExpectUntouched("game.chd");
  EXPECT_EQ(table.grid().Mark(1), GetParam().mark);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CutRenames,
    ::testing::Values(RenameRow{"SecondRenameFails",
                                "case \"$last\" in *.old) exec /bin/mv \"$@\";; esac\necho 'mv: failed' >&2; exit 1\n",
                                RowMark::Failed},
                      RenameRow{"CancelWhileTheFirstRenameRuns",
                                "/bin/mv \"$@\" && touch \"$(dirname \"$0\")/moved\" && sleep 30\n", RowMark::Cancelled}),
    test::RowName());

TEST_F(BatchRunnerTest, CancelWhileIdleTakesEffectAtTheNextStartOnly) {
  Queue(JobKind::Update, Image("game.chd"));
  BatchRunner runner(table, view, Settings());
  runner.Cancel();
  RunBatch(runner);
  EXPECT_EQ(view.messages.back().text, kCancelMessage);
  ExpectIdle(runner);

  RunBatch(runner);
  EXPECT_EQ(Calls().size(), 1u);  // and none by the cancelled batch
  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
}

// Where the tool is looked for, in order: the program folder, QUILLMERE_CHDMAN,
// PATH. Each place holds the old tool, today's (run through the bridge, here
// the old fake under the bridge's name), something else, or nothing.
struct LookupRow {
  const char* name;
  const char* inFolder;  // the old tool, today's, a sleeper, or ""
  bool inVariable;       // today's tool in a folder QUILLMERE_CHDMAN names
  bool onPath;           // today's tool in the second PATH folder
  bool bridge;
  const char* runs;      // "folder", "variable", "path"; "" when nothing may run
};

class WhereTheToolIs : public BatchRunnerTest, public ::testing::WithParamInterface<LookupRow> {};

TEST_P(WhereTheToolIs, DecidesWhatEachJobRuns) {
  const LookupRow& row = GetParam();
  const std::string inFolder = row.inFolder, runs = row.runs;
  const std::map<std::string, fs::path> places{{"folder", tree.program() / ToolFileName()},
                                               {"variable", tree.root() / "elsewhere" / ToolFileName()},
                                               {"path", tree.root() / "on path" / ToolFileName()}};
  fs::remove(places.at("folder"));
  if (!inFolder.empty()) test::TempTree::CopyProgram(inFolder, places.at("folder"));
  for (const auto& [place, wanted] : {std::pair{"variable", row.inVariable}, std::pair{"path", row.onPath}}) {
    fs::create_directories(places.at(place).parent_path());
    if (wanted) test::TempTree::CopyProgram(QM_FAKE_CURRENT, places.at(place));
  }
  const fs::path bridge = tree.program() / BridgeFileName();
  if (row.bridge) test::TempTree::CopyProgram(QM_FAKE_CHDMAN, bridge);
  RunnerSettings settings = Settings();
  settings.bridgePath = Utf8(bridge);
  settings.toolVariable = row.inVariable ? Utf8(places.at("variable")) : std::string();
  // A folder that is not there comes first.
  settings.toolPathList = Utf8(tree.root() / "none") + PathListSeparator() + Utf8(places.at("path").parent_path());
  Queue(JobKind::Update, Image("game.chd"));
  BatchRunner runner(table, view, settings);
  RunBatch(runner);

  const std::string& text = view.messages.back().text;
  if (runs.empty()) {
    EXPECT_NE(text.find(inFolder == QM_FAKE_CURRENT ? Utf8(bridge) : Utf8(places.at("folder"))), std::string::npos) << text;
    EXPECT_TRUE(Calls().empty());
    return;
  }
  EXPECT_EQ(text, kSuccessMessage);
  const std::string kept = ReadAll(tree.program() / BatchFileName());
  const bool bridged = runs != "folder" || inFolder == QM_FAKE_CURRENT;
  EXPECT_NE(kept.find(Utf8(places.at(runs))), std::string::npos) << kept;
  EXPECT_EQ(kept.find("QUILLMERE_CHDMAN=") != std::string::npos, bridged) << kept;
  EXPECT_EQ(kept.find(BridgeFileName()) != std::string::npos, bridged) << kept;
}

// Today's chdman copied into the program folder, as users do: the real bridge
// carries out an update and a Set CHS with it.
TEST_F(BatchRunnerTest, ADroppedInCurrentToolDoesTheJobsThroughTheBridge) {
  const RunnerSettings settings = BridgedSettings(QM_BRIDGE);
  Queue(JobKind::Update, Image("game.chd"));
  Queue(JobKind::SetChs, Image("disk.chd"), {}, ChsGeometry{"100", "16", "5", true});
  // Today's kinds, with names cmd.exe and /bin/sh read specially.
  const fs::path cue = tree.data() / "100% & co!.cue";
  WriteAll(cue, "FILE \"100% & co!.bin\" BINARY\n");
  Queue(JobKind::CreateCd, cue);
  Queue(JobKind::Extract, Image("%PATH% disc.chd", "CHT2"));
  BatchRunner runner(table, view, settings);
  RunBatch(runner);

  EXPECT_EQ(view.messages.back().text, kSuccessMessage);
  EXPECT_EQ(DataFiles(), (test::Files{{"game.chd", "MComprHD fake"},
                                      {"game.old", "original:game.chd"},
                                      {"disk.chd", "MComprHD fake\nCYLS:100,HEADS:16,SECS:5,BPS:512\n"},
                                      {"100% & co!.cue", "FILE \"100% & co!.bin\" BINARY\n"},
                                      {"100% & co!.chd", "MComprHD fake\nCHT2\n"},
                                      {"%PATH% disc.chd", "CHT2:%PATH% disc.chd"},
                                      {"%PATH% disc.bin", "bin"},
                                      {"%PATH% disc.cue", "cue"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Places, WhereTheToolIs,
    ::testing::Values(LookupRow{"AnOldToolInTheFolderRunsItself", QM_FAKE_CHDMAN, true, true, true, "folder"},
                      LookupRow{"TheVariableComesBeforePath", "", true, true, true, "variable"},
                      LookupRow{"PathIsLookedThrough", "", false, true, true, "path"},
                      LookupRow{"AProgramThatIsNotTheToolIsPassedOver", QM_FAKE_SLEEPER, false, true, true, "path"},
                      LookupRow{"NoToolAnywhereNamesThePlacesAndRunsNothing", "", false, false, true, ""},
                      LookupRow{"ACurrentToolWithoutTheBridgeRunsNothing", QM_FAKE_CURRENT, false, false, false, ""}),
    test::RowName());

// The window has its turns while the tool says nothing, and a cancel then
// ends it at once: the batch ends long before the tool's 30 silent seconds.
TEST_F(BatchRunnerTest, ASilentToolIsCancelledWithoutWaitingForOutput) {
  test::SetEnv("FAKE_CHDMAN_MODE", "silent=30");
  Queue(JobKind::Update, Image("quiet.chd"));
  BatchRunner runner(table, view, Settings());
  const auto start = std::chrono::steady_clock::now();
  int turnsWhileSilent = 0;
  view.onStep = [&] {
    if (!Calls().empty() && ++turnsWhileSilent == 5) runner.Cancel();
  };
  RunBatch(runner);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_EQ(view.messages.back().text, kCancelMessage);
}

// A cancel in the second job ends what this batch started, but never a tool
// of the same name it did not start.
TEST_F(BatchRunnerTest, AnotherUsersToolSurvivesACancel) {
  fs::create_directories(tree.program() / "other");
  tree.InstallTool(QM_FAKE_SLEEPER, Utf8(fs::path("other") / ToolFileName()));
  const long other = test::StartOrphan(tree.program() / "other" / ToolFileName(), 60, tree.root() / "other.pid");
  ASSERT_GT(other, 0);

  Queue(JobKind::Update, Image("first.chd"));
  Queue(JobKind::Update, Image("HANG.chd"));
  BatchRunner runner(table, view, Settings());
  view.onStep = [&] {
    if (runner.CurrentJob() == 2 && Calls().size() == 2 && fs::exists(tree.data() / "HANG.tmp")) runner.Cancel();
  };
  RunBatch(runner);
  EXPECT_EQ(view.messages.back().text, kCancelMessage);
  ExpectUntouched("HANG.chd");
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_TRUE(ProcessRunning(other)) << "a tool this program did not start was terminated";
  (void)KillProcess(other, 0);
}

// --- Today's kinds, through the bridge -----------------------------------------

// A user's file where a backup or an output would land, or a tool without
// today's commands: the job fails before the tool runs, the user's file and
// the image as they were, no temporary output left.
struct GuardRow {
  const char* label;
  JobKind kind;
  const char* image;
  const char* taken;  // the user's file beside the image; "" for none
  bool oldTool;
  std::size_t calls;    // runs of the bridge
  const char* because;  // in the failure message
};

class TodaysKindGuards : public BatchRunnerTest, public ::testing::WithParamInterface<GuardRow> {};

TEST_P(TodaysKindGuards, FailTheJobAndTouchNothing) {
  const GuardRow& row = GetParam();
  Queue(row.kind, Image(row.image));
  if (*row.taken) WriteAll(tree.data() / row.taken, "the user's own");
  const test::Files before = DataFiles();
  BatchRunner runner(table, view, row.oldTool ? Settings() : BridgedSettings());
  RunBatch(runner);

  EXPECT_EQ(DataFiles(), before);
  EXPECT_EQ(std::pair(Calls().size(), table.grid().Mark(1)), std::pair(row.calls, RowMark::Failed));
  const std::string& text = view.messages.back().text;
  EXPECT_NE(text.find(std::string(row.image) + ": "), std::string::npos) << text;
  EXPECT_NE(text.find(row.because), std::string::npos) << text;
  if (row.oldTool) { EXPECT_NE(text.find(Utf8(tree.program() / ToolFileName())), std::string::npos) << text; }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TodaysKindGuards,
    ::testing::Values(GuardRow{"UpdateBesideTheUsersOwnTmp", JobKind::Update, "game.chd", "game.tmp", true, 0, "game.tmp"},
                      GuardRow{"UpdateBesideTheUsersOwnOld", JobKind::Update, "game.chd", "game.old", true, 0, "game.old"},
                      GuardRow{"CreateCdOverAnExistingChd", JobKind::CreateCd, "game.cue", "game.chd", false, 0, "game.chd"},
                      GuardRow{"CreateDvdOverAnExistingChd", JobKind::CreateDvd, "game.iso", "game.chd", false, 0, "game.chd"},
                      GuardRow{"ExtractBesideAnExistingBin", JobKind::Extract, "game.chd", "game.bin", false, 1, "game.bin"},
                      GuardRow{"AnOldToolRefusesVerify", JobKind::Verify, "game.chd", "", true, 0, "0.130"},
                      GuardRow{"AnOldToolRefusesCreate", JobKind::CreateCd, "game.cue", "", true, 0, "Crea CHD (CD)"}),
    test::RowName());

// Debian's chdman through the real bridge: a CUE/BIN with a data and an audio
// track made into a CHD, checked, and extracted again to the same bytes.
TEST_F(BatchRunnerTest, RealChdmanCreatesChecksAndExtractsACdToTheSameBytes) {
  if (kCmd || std::system("command -v chdman >/dev/null") != 0) GTEST_SKIP() << "needs chdman (mame-tools) on PATH";
  RunnerSettings settings = BridgedSettings(QM_BRIDGE);
  fs::remove(tree.program() / ToolFileName());
  settings.toolPathList = GetEnvironment("PATH");
  std::mt19937 random(16);
  std::string bin(2352 * 300, '\0');
  for (char& c : bin) c = static_cast<char>(random());
  const fs::path cue = tree.data() / PathOf("disco & più.cue"), chd = tree.data() / PathOf("disco & più.chd");
  WriteAll(tree.data() / PathOf("disco & più.bin"), bin);
  WriteAll(cue, "FILE \"disco & più.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
                "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n");
  Queue(JobKind::CreateCd, cue);
  BatchRunner runner(table, view, settings);
  RunBatch(runner);
  ASSERT_EQ(view.messages.back().text, kSuccessMessage);

  // Only the CHD stays; the extract brings the rest back.
  fs::remove(tree.data() / PathOf("disco & più.bin"));
  fs::remove(cue);
  table.RemoveJob(1);
  Queue(JobKind::Verify, chd);
  Queue(JobKind::Extract, chd);
  RunBatch(runner);
  ASSERT_EQ(view.messages.back().text, kSuccessMessage);
  EXPECT_EQ(view.lastTotal, (std::pair<int, int>{200, 200}));  // both bars moved to their ends
  const test::Files files = DataFiles();
  EXPECT_EQ(files.size(), 3u);
  EXPECT_TRUE(files.at("disco & più.bin") == bin && files.count("disco & più.chd") && files.count("disco & più.cue"));
}

// A batch file that no folder takes (here: into a folder that is not there).
TEST_F(BatchRunnerTest, NoWritableFolderEndsTheBatchWithAnError) {
  Queue(JobKind::Update, Image("game.chd"));
  RunnerSettings settings = Settings();
  settings.batchFileName = Utf8(fs::path("missing") / BatchFileName());
  BatchRunner runner(table, view, settings);
  RunBatch(runner);
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(view.messages.back().icon, MessageIcon::Stop);
  EXPECT_NE(view.messages.back().text.find(Utf8(tree.privateFolder())), std::string::npos) << view.messages.back().text;
  ExpectUntouched("game.chd");
  ExpectIdle(runner);
}

// --- Names ------------------------------------------------------------------

struct NameRow {
  const char* label;
  const char* name;
  bool windowsName = true;  // Windows allows the name (no " * ? < > |)
  bool cmdReads = true;     // in cmd.exe's OEM code page
};

// An update, a check and an extract (through the bridge, whose files come out
// of a temporary folder named after the image) of an image in a folder named
// after it: each reaches the tool exactly, and nothing else runs.
class NamesTest : public BatchRunnerTest, public ::testing::WithParamInterface<NameRow> {};

TEST_P(NamesTest, ReachTheToolExactlyOrFailBeforeAnything) {
  const NameRow& row = GetParam();
  if (kCmd && !row.windowsName) GTEST_SKIP() << "not a Windows name";
  const std::string name = row.name, base = name.substr(0, name.size() - 4);
  const fs::path folder = tree.data() / PathOf("dir " + base);
  fs::create_directories(folder);
  WriteAll(folder / PathOf(name), "original");
  for (JobKind kind : {JobKind::Update, JobKind::Verify, JobKind::Extract}) Queue(kind, folder / PathOf(name));
  fs::remove("PWNED");  // what an injection at the cd line would make, in the folder the batch starts in
  BatchRunner runner(table, view, BridgedSettings());
  RunBatch(runner);

  const auto calls = Calls();
  const std::string& text = view.messages.back().text;
  EXPECT_FALSE(fs::exists("PWNED")) << "an injected command ran";
  if (kCmd && !row.cmdReads) {  // cmd.exe would read another name: each job fails before it runs
    EXPECT_TRUE((calls.empty() && DataFiles(folder) == test::Files{{name, "original"}}));
    EXPECT_NE(text.find(name + ": un nome non si"), std::string::npos) << text;  // ... scrivere nella codifica
    return;
  }
  ASSERT_EQ(calls.size(), 3u) << text;
  EXPECT_EQ(calls[0].argv, (std::vector<std::string>{calls[0].argv[0], "-update", name, base + ".tmp"}));
  EXPECT_EQ(PathOf(calls[0].cwd), folder);
  EXPECT_EQ(calls[1].argv, (std::vector<std::string>{calls[1].argv[0], "-verify", name}));
  EXPECT_EQ(calls[2].argv, (std::vector<std::string>{calls[2].argv[0], "-extract", name, base + ".tmp"}));
  EXPECT_EQ(DataFiles(folder), (test::Files{{name, "UPDATED:original"},
                                            {base + ".old", "original"},
                                            {base + ".bin", "EXTRACTED:UPDATED:original"},
                                            {base + ".cue", "FILE \"" + base + ".bin\" BINARY\n"}}));
  EXPECT_EQ(text, kSuccessMessage);
}

INSTANTIATE_TEST_SUITE_P(
    HostileNames, NamesTest,
    ::testing::Values(NameRow{"Blanks", "my disk  image.chd"}, NameRow{"SingleQuote", "it's.chd"},
                      NameRow{"DoubleQuote", "say \"hi\".chd", false}, NameRow{"Substitution", "$(touch PWNED).chd"},
                      NameRow{"Ampersand", "a&touch PWNED&.chd"}, NameRow{"AmpersandWithoutBlank", "a&b.chd"},
                      NameRow{"Percent", "100%x%.chd"}, NameRow{"Dash", "-update.chd"},
                      NameRow{"Glob", "*?[a].chd", false},
                      // What cmd.exe reads specially: a command after &, escapes, variables.
                      NameRow{"CmdCommand", "a & copy NUL PWNED & (b).chd"}, NameRow{"Carets", "a^b^^c ^&.chd"},
                      NameRow{"Parentheses", "game (Disc 1) (v1.1).chd"}, NameRow{"VariableName", "%PATH% %1 %%.chd"},
                      NameRow{"DelayedExpansion", "!PATH!.chd"}, NameRow{"CommaEqualsSemicolon", "a,b=c;d.chd"}),
    test::RowName());

// cmd.exe reads a batch file in the OEM code page (850 on an Italian system),
// which lacks some letters of the ANSI one (1252) and has some it lacks: a
// name written in any other encoding would reach the tool as another name.
INSTANTIATE_TEST_SUITE_P(
    EncodedNames, NamesTest,
    ::testing::Values(NameRow{"AccentedInBoth", "citt\xc3\xa0 \xc3\xa8 perch\xc3\xa9.chd"},
                      NameRow{"BoxDrawingOnlyInOem", "\xe2\x95\x94\xe2\x95\x90\xe2\x95\x97 box.chd"},
                      NameRow{"EuroOnlyInAnsi", "prezzo \xe2\x82\xac.chd", true, false},
                      NameRow{"Japanese", "\xe6\x97\xa5\xe6\x9c\xac.chd", true, false}),
    test::RowName());

}  // namespace
}  // namespace qm
