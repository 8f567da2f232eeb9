// GetBaseName, GetFolder and ShortenPath in both path forms. Every form runs
// on every platform: the functions split text and never touch the file system.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "RowName.h"
#include "jobs/modMain.h"

namespace qm {
namespace {

constexpr PathStyle W = PathStyle::Windows;
constexpr PathStyle P = PathStyle::Posix;

struct BaseNameRow {
  std::string_view name;
  PathStyle style;
  std::string_view path;
  bool fullPath;
  std::string_view expected;
};

// Test output names the row instead of dumping its bytes.
void PrintTo(const BaseNameRow& row, std::ostream* os) { *os << row.name; }

class GetBaseNameTest : public testing::TestWithParam<BaseNameRow> {};

TEST_P(GetBaseNameTest, ReturnsNameWithoutLastExtension) {
  const BaseNameRow& row = GetParam();
  EXPECT_EQ(GetBaseName(row.path, row.fullPath, row.style), row.expected) << row.path;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, GetBaseNameTest,
    testing::Values(
        BaseNameRow{"FileInFolder", W, "C:\\dir\\name.chd", false, "name"},
        BaseNameRow{"OnlyLastExtensionGoes", W, "disk.part1.chd", false, "disk.part1"},
        BaseNameRow{"DotInFolderIsNoExtension", W, "C:\\dir.x\\name", false, "name"},
        BaseNameRow{"DriveRelative", W, "C:name.chd", false, "name"},
        BaseNameRow{"TrailingDot", W, "name.", false, "name"},
        BaseNameRow{"OnlyExtensionAfterFolder", W, "C:\\dir\\.chd", false, ""},
        BaseNameRow{"TrailingBackslash", W, "C:\\dir\\", false, ""},
        BaseNameRow{"DotInFirstPositionIsKept", W, ".chd", false, ".chd"},
        BaseNameRow{"ForwardSlashIsNoSeparator", W, "img/disk.chd", false, "img/disk"},
        BaseNameRow{"AccentedName", W, "D:\\Società\\Perché è.chd", false, "Perché è"},
        BaseNameRow{"FullPathFile", W, "C:\\dir\\name.chd", true, "C:\\dir\\name"},
        BaseNameRow{"FullPathDotInFolderOnly", W, "C:\\dir.x\\name", true, "C:\\dir.x\\name"}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(
    Posix, GetBaseNameTest,
    testing::Values(
        BaseNameRow{"DotInFolderIsNoExtension", P, "/dir.x/name", false, "name"},
        BaseNameRow{"ColonIsNoSeparator", P, "C:name.chd", false, "C:name"},
        BaseNameRow{"BackslashIsNoSeparator", P, "/srv/a\\b.chd", false, "a\\b"},
        BaseNameRow{"FullPathFile", P, "/dir/name.chd", true, "/dir/name"}),
    test::RowName());

struct FolderRow {
  std::string_view name;
  PathStyle style;
  std::string_view path;
  std::string_view expected;
};

void PrintTo(const FolderRow& row, std::ostream* os) { *os << row.name; }

class GetFolderTest : public testing::TestWithParam<FolderRow> {};

TEST_P(GetFolderTest, ReturnsFolderWithoutTrailingSeparator) {
  const FolderRow& row = GetParam();
  EXPECT_EQ(GetFolder(row.path, row.style), row.expected) << row.path;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, GetFolderTest,
    testing::Values(
        FolderRow{"FileInFolder", W, "C:\\dir\\name.chd", "C:\\dir"},
        FolderRow{"FileInDriveRootKeepsColon", W, "C:\\name.chd", "C:"},
        FolderRow{"DriveRelative", W, "C:name.chd", "C:"},
        FolderRow{"TrailingBackslash", W, "C:\\dir\\", "C:\\dir"},
        FolderRow{"NetworkShare", W, "\\\\server\\share\\f.chd", "\\\\server\\share"},
        FolderRow{"LeadingBackslashOnly", W, "\\name", ""},
        FolderRow{"ForwardSlashIsNoSeparator", W, "img/disk.chd", ""},
        FolderRow{"Empty", W, "", ""}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(
    Posix, GetFolderTest,
    testing::Values(
        FolderRow{"FileInRootGivesRoot", P, "/name.chd", "/"},
        FolderRow{"DoubleLeadingSlash", P, "//server/share/f.chd", "//server/share"},
        FolderRow{"Relative", P, "img/disk.chd", "img"},
        FolderRow{"ColonIsNoSeparator", P, "C:name.chd", ""},
        FolderRow{"BackslashIsNoSeparator", P, "img\\disk.chd", ""}),
    test::RowName());

struct ShortenRow {
  std::string_view name;
  PathStyle style;
  std::string_view path;
  int maxLength;
  std::string_view expected;
};

void PrintTo(const ShortenRow& row, std::ostream* os) { *os << row.name; }

class ShortenPathTest : public testing::TestWithParam<ShortenRow> {};

TEST_P(ShortenPathTest, ReplacesInnerFoldersFromTheLeft) {
  const ShortenRow& row = GetParam();
  EXPECT_EQ(ShortenPath(row.path, row.maxLength, row.style), row.expected)
      << row.path << " (maximum " << row.maxLength << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ShortenPathTest,
    testing::Values(
        ShortenRow{"OneReplacement", W, "C:\\Documents and Settings\\Utente\\Desktop\\CHD", 40,
                   "C:\\...\\Utente\\Desktop\\CHD"},
        ShortenRow{"TwoReplacements", W, "D:\\Emulazione\\Immagini CHD\\Giochi arcade\\Serie 2\\hdd", 40,
                   "D:\\...\\...\\Giochi arcade\\Serie 2\\hdd"},
        ShortenRow{"ExactMaximumUnchanged", W, "C:\\Giochi\\Arcade\\Immagini\\Collezione\\hdd", 40,
                   "C:\\Giochi\\Arcade\\Immagini\\Collezione\\hdd"},
        ShortenRow{"OneOverMaximum", W, "C:\\Giochi\\Arcade\\Immagini\\Collezione\\hdd1", 40,
                   "C:\\...\\Arcade\\Immagini\\Collezione\\hdd1"},
        ShortenRow{"TrailingBackslashIsLastElement", W, "C:\\Giochi\\Arcade\\Immagini\\Collezione\\hdd1\\", 40,
                   "C:\\...\\Arcade\\Immagini\\Collezione\\hdd1\\"},
        ShortenRow{"OneBackslashUnchanged", W, "C:\\Una cartella dal nome lunghissimo per CHD", 40,
                   "C:\\Una cartella dal nome lunghissimo per CHD"},
        ShortenRow{"NoBackslashUnchanged", W, "Una cartella senza separatori, lunga oltre quaranta", 40,
                   "Una cartella senza separatori, lunga oltre quaranta"},
        ShortenRow{"ForwardSlashesAreNotSplit", W, "C:/Giochi/Arcade/Immagini/Collezione/hdd12", 40,
                   "C:/Giochi/Arcade/Immagini/Collezione/hdd12"},
        ShortenRow{"FullyReplacedStillTooLong", W, "C:\\a\\b\\Una cartella dal nome davvero lunghissimo", 40,
                   "C:\\...\\...\\Una cartella dal nome davvero lunghissimo"},
        ShortenRow{"LeadingDoubleBackslash", W, "\\\\server\\share\\folder\\sub\\file.chd", 30,
                   "\\...\\...\\...\\...\\sub\\file.chd"},
        ShortenRow{"AccentedCountsCharacters", W, "D:\\Città\\Società\\Università\\Perché così è", 41,
                   "D:\\Città\\Società\\Università\\Perché così è"},
        ShortenRow{"AccentedShortenedByCharacters", W, "D:\\Città\\Società\\Università\\Perché così è", 40,
                   "D:\\...\\Società\\Università\\Perché così è"},
        ShortenRow{"ZeroMaximum", W, "C:\\a\\b", 0, "C:\\...\\b"},
        ShortenRow{"EmptyPath", W, "", 0, ""}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(
    Posix, ShortenPathTest,
    testing::Values(
        ShortenRow{"RootIsElementZero", P, "/emulazione/immagini/arcade/collezione/hd", 40,
                   "/.../immagini/arcade/collezione/hd"},
        ShortenRow{"FileInRootUnchanged", P, "/Una cartella dal nome lunghissimo per le immagini", 40,
                   "/Una cartella dal nome lunghissimo per le immagini"},
        ShortenRow{"BackslashesAreNotSplit", P, "/dati/C:\\Giochi\\Arcade\\Immagini\\Collezione", 40,
                   "/.../C:\\Giochi\\Arcade\\Immagini\\Collezione"}),
    test::RowName());

}  // namespace
}  // namespace qm
