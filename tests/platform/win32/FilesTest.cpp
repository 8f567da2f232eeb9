// Files and folders on Windows: writing the batch file safely, existence and
// removal, the program and private folders, and the batch file's encoding.

#include <windows.h>

#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "TestUtil.h"
#include "platform/files.h"
#include "platform/handle.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

// The same place, told by the text of the full paths: Windows compares names
// without regard to case, and a folder may or may not end in a separator.
std::string Key(const std::string& path) {
  std::string key = Utf8(fs::absolute(PathOf(path)).lexically_normal());
  while (!key.empty() && key.back() == '\\') key.pop_back();
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

// --- The code pages every encoding test below relies on ---------------------

// An Italian system: ANSI 1252, OEM 850. With the two equal, a batch file
// written in the wrong one would pass unnoticed.
TEST(CodePages, AnsiAndOemDiffer) {
  EXPECT_EQ(::GetACP(), 1252u) << "run Wine with LC_ALL=it_IT.UTF-8 (locale it_IT.UTF-8 generated)";
  EXPECT_EQ(::GetOEMCP(), 850u) << "run Wine with LC_ALL=it_IT.UTF-8 (locale it_IT.UTF-8 generated)";
}

// --- EncodeBatchText ----------------------------------------------------------

struct EncodeCase {
  const char* name;
  std::string utf8;
  std::optional<std::string> oem;
};
void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, InTheOemCodePageOrNotAtAll) { EXPECT_EQ(EncodeBatchText(GetParam().utf8), GetParam().oem); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Encode,
    ::testing::Values(
        EncodeCase{"Ascii", "CD \"D:\\Giochi & Demo\\\"\r\n", "CD \"D:\\Giochi & Demo\\\"\r\n"},
        EncodeCase{"Empty", "", ""},
        // a-grave and e-acute: 0x85 and 0x82 in code page 850 (0xE0, 0xE9 in 1252).
        EncodeCase{"Accented", "citt\xc3\xa0 perch\xc3\xa9.chd", "citt\x85 perch\x82.chd"},
        EncodeCase{"BoxDrawingOnlyInOem", "\xe2\x95\x94", "\xc9"},
        EncodeCase{"EuroOnlyInAnsi", "prezzo \xe2\x82\xac.chd", std::nullopt},
        EncodeCase{"Japanese", "\xe6\x97\xa5\xe6\x9c\xac.chd", std::nullopt},
        // a-macron would best-fit to a plain "a": another file's name.
        EncodeCase{"BestFitRefused", "\xc4\x81.chd", std::nullopt},
        EncodeCase{"InvalidUtf8", "bad\xff.chd", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// --- WriteTextFile ----------------------------------------------------------

enum class AtPath { Nothing, LongerFile, Folder, Device, HardLinkedFile, MissingParent };

struct WriteCase {
  const char* name;
  const char* file;
  AtPath before;
  bool succeeds;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class WriteText : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteText, ReplacesOrRefuses) {
  const WriteCase& c = GetParam();
  TempDir dir;
  std::string path = dir / c.file;
  const std::string other = dir / "other";
  const std::string oldText = "old text that is longer than the new text\r\n";
  WriteFile(other, oldText);
  switch (c.before) {
    case AtPath::Nothing: break;
    case AtPath::LongerFile: WriteFile(path, oldText); break;
    case AtPath::Folder: fs::create_directory(PathOf(path)); break;
    case AtPath::Device: path = dir / "NUL"; break;
    case AtPath::HardLinkedFile: fs::create_hard_link(PathOf(other), PathOf(path)); break;
    case AtPath::MissingParent: path = dir / "no such folder\\automate.bat"; break;
  }
  static const char kText[] = "CD \"x\"\r\nECHO \x85\r\n\0tail";  // bytes as given: CR LF, a NUL, OEM
  const std::string text(kText, sizeof kText - 1);
  const std::string error = WriteTextFile(path, text);

  if (c.succeeds) {
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadFileText(path), text);
  } else {
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
  EXPECT_EQ(ReadFileText(other), oldText) << "a file reached through another name was written";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteText,
    ::testing::Values(WriteCase{"New", "automate.bat", AtPath::Nothing, true},
                      WriteCase{"ReplacesLongerFile", "automate.bat", AtPath::LongerFile, true},
                      WriteCase{"AccentedName", "citt\xc3\xa0.bat", AtPath::Nothing, true},
                      WriteCase{"RefusesFolder", "automate.bat", AtPath::Folder, false},
                      WriteCase{"RefusesDevice", "automate.bat", AtPath::Device, false},
                      WriteCase{"RefusesHardLinkedFile", "automate.bat", AtPath::HardLinkedFile, false},
                      WriteCase{"MissingParent", "automate.bat", AtPath::MissingParent, false}),
    [](const auto& info) { return std::string(info.param.name); });

// --- FileExists and RemoveFile ----------------------------------------------

struct EntryCase {
  const char* name;
  const char* entry;
  AtPath at;
  bool exists;
  bool removed;
};
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class Entry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Entry, ExistsAndRemove) {
  const EntryCase& c = GetParam();
  TempDir dir;
  const std::string path = dir / c.entry;
  if (c.at == AtPath::LongerFile) WriteFile(path, "x");
  if (c.at == AtPath::Folder) fs::create_directory(PathOf(path));
  EXPECT_EQ(FileExists(path), c.exists);
  EXPECT_EQ(RemoveFile(path), c.removed);
  EXPECT_EQ(FileExists(path), c.exists && !c.removed);
}

INSTANTIATE_TEST_SUITE_P(Cases, Entry,
                         ::testing::Values(EntryCase{"File", "game.old", AtPath::LongerFile, true, true},
                                           EntryCase{"AccentedFile", "citt\xc3\xa0.old", AtPath::LongerFile, true, true},
                                           EntryCase{"OtherCase", "GAME.OLD", AtPath::LongerFile, true, true},
                                           EntryCase{"Folder", "game.old", AtPath::Folder, true, false},
                                           EntryCase{"Missing", "game.old", AtPath::Nothing, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- ProgramFolder and PrivateFolder ----------------------------------------

TEST(ProgramFolder, IsTheExecutablesFolderWithOneBackslash) {
  const std::string folder = ProgramFolder();
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_NE(folder[folder.size() - 2], '\\');
  EXPECT_EQ(Key(folder), Key(Utf8(PathOf(BuiltFile(QM_TEST_BINARY)).parent_path())));
}

TEST(PrivateFolder, IsQuillmereInTheLocalApplicationData) {
  const char* local = std::getenv("LOCALAPPDATA");
  ASSERT_NE(local, nullptr);
  const std::string folder = PrivateFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(fs::is_directory(PathOf(folder)));
  EXPECT_EQ(Key(folder), Key(std::string(local) + "\\Quillmere"));
  EXPECT_EQ(PrivateFolder(), folder) << "a second call finds the same folder";
}

// --- UniqueHandle -----------------------------------------------------------

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return ::GetHandleInformation(h, &flags) != 0;
}

// Both failure values of the API are empty and never closed.
class EmptyHandle : public ::testing::TestWithParam<NativeHandle> {};

TEST_P(EmptyHandle, IsNotValid) {
  UniqueHandle h(GetParam());
  EXPECT_FALSE(h.valid());
  h.reset();
  EXPECT_FALSE(h.valid());
}

INSTANTIATE_TEST_SUITE_P(Values, EmptyHandle, ::testing::Values(nullptr, INVALID_HANDLE_VALUE));

TEST(UniqueHandle, ClosesExactlyWhatItOwns) {
  const HANDLE a = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE b = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  {
    UniqueHandle h(a);
    EXPECT_TRUE(h.valid());
    UniqueHandle moved(std::move(h));
    EXPECT_FALSE(h.valid());
    EXPECT_EQ(moved.get(), a);
    moved.reset(b);
    EXPECT_FALSE(IsOpen(a));
    EXPECT_TRUE(IsOpen(b));
    moved = UniqueHandle();
    EXPECT_FALSE(IsOpen(b));
  }
  const HANDLE c = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(c, nullptr);
  {
    UniqueHandle h(c);
    EXPECT_EQ(h.release(), c);
  }
  EXPECT_TRUE(IsOpen(c)) << "a released handle is the caller's";
  UniqueHandle(c).reset();
  EXPECT_FALSE(IsOpen(c));
}

}  // namespace
}  // namespace qm::test
