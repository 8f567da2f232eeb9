// GetFolder, GetBaseName and ShortenPath in both path forms, on every
// platform (they only split text), and the folder cells a job gets from them. fuzz_path_functions holds their general
// properties on any text; these rows are the named examples and what it
// does not pin: the edge cases of each form and which folders ShortenPath
// replaces.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "RowName.h"
#include "jobs/AddJob.h"
#include "jobs/modMain.h"

namespace qm {
namespace {

constexpr PathStyle W = PathStyle::Windows;
constexpr PathStyle P = PathStyle::Posix;

struct SplitRow {
  std::string_view name;
  PathStyle style;
  std::string_view path, folder, baseName;
};

void PrintTo(const SplitRow& row, std::ostream* os) { *os << row.name; }
class SplitTest : public testing::TestWithParam<SplitRow> {};

TEST_P(SplitTest, FolderAndNameWithoutItsLastExtension) {
  const SplitRow& row = GetParam();
  EXPECT_EQ(GetFolder(row.path, row.style), row.folder);
  EXPECT_EQ(GetBaseName(row.path, false, row.style), row.baseName);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitTest,
    testing::Values(SplitRow{"DotInFolderIsNoExtension", W, "C:\\dir.x\\disk.part1.chd", "C:\\dir.x", "disk.part1"},
                    SplitRow{"DriveRelative", W, "C:name.chd", "C:", "name"},
                    SplitRow{"DriveRootKeepsNoBackslash", W, "C:\\name.chd", "C:", "name"},
                    SplitRow{"TrailingBackslash", W, "C:\\dir\\", "C:\\dir", ""},
                    SplitRow{"LeadingBackslashOnly", W, "\\name.", "", "name"},
                    SplitRow{"DotInFirstPositionIsKept", W, ".chd", "", ".chd"},
                    SplitRow{"OnlyExtensionAfterFolder", W, "C:\\dir\\.chd", "C:\\dir", ""},
                    SplitRow{"ForwardSlashIsNoWindowsSeparator", W, "img/disk.chd", "", "img/disk"},
                    SplitRow{"FileInRootGivesRoot", P, "/name.chd", "/", "name"},
                    SplitRow{"DoubleLeadingSlash", P, "//server/share/f.chd", "//server/share", "f"},
                    SplitRow{"ColonIsNoPosixSeparator", P, "C:name.chd", "", "C:name"},
                    SplitRow{"BackslashIsNoPosixSeparator", P, "img\\disk.chd", "", "img\\disk"}),
    test::RowName());

struct ShortenRow {
  std::string_view name;
  PathStyle style;
  int maxLength;
  std::string_view path, expected;
};

void PrintTo(const ShortenRow& row, std::ostream* os) { *os << row.name; }
class ShortenPathTest : public testing::TestWithParam<ShortenRow> {};

// Inner folders become "..." from the left until the path fits.
TEST_P(ShortenPathTest, ReplacesInnerFoldersFromTheLeft) {
  const ShortenRow& row = GetParam();
  EXPECT_EQ(ShortenPath(row.path, row.maxLength, row.style), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShortenPathTest,
    testing::Values(
        ShortenRow{"One", W, 40, "C:\\Documents and Settings\\Utente\\Desktop\\CHD", "C:\\...\\Utente\\Desktop\\CHD"},
        ShortenRow{"Two", W, 40, "D:\\Emulazione\\Immagini CHD\\Giochi arcade\\Serie 2\\hdd",
                   "D:\\...\\...\\Giochi arcade\\Serie 2\\hdd"},
        ShortenRow{"OneOverTheMaximum", W, 40, "C:\\Giochi\\Arcade\\Immagini\\Collezione\\hdd1",
                   "C:\\...\\Arcade\\Immagini\\Collezione\\hdd1"},
        ShortenRow{"LeadingDoubleBackslash", W, 30, "\\\\server\\share\\folder\\sub\\file.chd",
                   "\\...\\...\\...\\...\\sub\\file.chd"},
        ShortenRow{"CountsCharactersNotBytes", W, 40, "D:\\Città\\Società\\Università\\Perché così è",
                   "D:\\...\\Società\\Università\\Perché così è"},
        ShortenRow{"RootIsElementZero", P, 40, "/emulazione/immagini/arcade/collezione/hd",
                   "/.../immagini/arcade/collezione/hd"}),
    test::RowName());

// A job's cells hold its folder whole, and shortened only for display.
TEST(ComposeJobTest, ShortensTheFolderForDisplayOnly) {
  const std::string folder = "C:\\Documents and Settings\\Utente\\Desktop\\CHD";
  EXPECT_EQ(ComposeJob(JobKind::Update, {"disk.chd", folder + "\\disk.chd"}, nullptr, {}, {W, Interpreter::Cmd}),
            (JobCells{"disk.chd", "C:\\...\\Utente\\Desktop\\CHD", "Update", "disk.tmp", folder, "", "-update disk.chd disk.tmp"}));
}

}  // namespace
}  // namespace qm
