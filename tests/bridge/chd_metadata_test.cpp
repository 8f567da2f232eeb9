// The CHD metadata reader and editor on images built here byte by byte (real
// images made by chdman are edited in bridge_chdman_test), the copy of an
// image to a new file, and the clean-up of the working files of Set CHS.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "ChdMetadata.h"
#include "FileCopy.h"
#include "TempTree.h"
#include "WorkFiles.h"

namespace qm::bridge {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
}

struct Entry {
  std::uint32_t tag;
  std::uint8_t flags;
  std::string data;
};

// A compressed v5 image: header, some "hunk" bytes, then the
// entries chained in order; its overall SHA1 as the format defines it.
Bytes Image(const std::vector<Entry>& entries) {
  Bytes b(kChdHeaderBytes + 64, 0xAB);
  std::fill(b.begin(), b.begin() + kChdHeaderBytes, 0);
  std::copy_n("MComprHD", 8, b.begin());
  Put(b, 8, kChdHeaderBytes, 4);
  Put(b, 12, 5, 4);
  Put(b, 16, 0x7a6c6962, 4);  // "zlib"
  Put(b, 32, 4096, 8);
  Put(b, 56, 4096, 4);
  for (int i = 0; i < 20; ++i) b[64 + i] = static_cast<std::uint8_t>(i + 1);
  std::size_t linkAt = 48;
  for (const Entry& e : entries) {
    const std::size_t at = b.size();
    Put(b, linkAt, at, 8);
    b.resize(at + 16 + e.data.size());
    Put(b, at, e.tag, 4);
    b[at + 4] = e.flags;
    Put(b, at + 5, e.data.size(), 3);
    std::copy(e.data.begin(), e.data.end(), b.begin() + static_cast<std::ptrdiff_t>(at + 16));
    linkAt = at + 8;
  }
  ChdBytes file(b);
  const ChdLayout layout = std::get<ChdLayout>(ReadChdLayout(file));
  const Sha1Digest sha1 = OverallSha1(layout.header.rawSha1, layout.entries);
  std::copy(sha1.begin(), sha1.end(), b.begin() + 84);
  return b;
}

const std::vector<Entry> kEntries = {{0x49444e54, 1, "ident"},                                  // IDNT, before
                                     {kHardDiskTag, 1, std::string("CYLS:8,HEADS:16,SECS:32,BPS:512", 32)},
                                     {0x4b455920, 0, "no checksum"},                            // "KEY "
                                     {0x4b455920, 1, std::string("\0\1\2", 3)}};

struct DamageRow {
  const char* name;
  std::function<void(Bytes&)> change;
  bool readable;  // else the reader refuses it
};
void PrintTo(const DamageRow& row, std::ostream* os) { *os << row.name; }

class ChdDamageTest : public testing::TestWithParam<DamageRow> {};

// Entries of Image(kEntries): the first at 188, GDDD at 209, the last at 284.
constexpr std::size_t kFirst = 188, kGddd = 209, kLast = 284;
TEST_P(ChdDamageTest, IsRefusedWithAReasonAndNeverWritten) {
  Bytes b = Image(kEntries);
  ASSERT_EQ(b.size(), kLast + 16 + 3);
  GetParam().change(b);
  ChdBytes file(b);
  const auto read = ReadChdLayout(file);
  ASSERT_EQ(std::holds_alternative<ChdLayout>(read), GetParam().readable);
  if (!GetParam().readable) {
    EXPECT_FALSE(std::get<std::string>(read).empty());
    return;
  }
  const ChdLayout& layout = std::get<ChdLayout>(read);
  const Bytes gddd{'C', 0};
  EXPECT_NE(ReplaceMetadata(file, layout, kHardDiskTag, gddd), std::nullopt);
  EXPECT_EQ(file.bytes(), b);
  EXPECT_NE(ReplacementMismatch(layout, layout, kHardDiskTag, gddd), std::nullopt);  // an edit that did not happen is seen
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChdDamageTest,
    testing::Values(DamageRow{"cut in the header", [](Bytes& b) { b.resize(100); }, false},
                    DamageRow{"not a CHD", [](Bytes& b) { b[0] = 'X'; }, false},
                    DamageRow{"version 4", [](Bytes& b) { Put(b, 12, 4, 4); }, false},
                    DamageRow{"header length of version 4", [](Bytes& b) { Put(b, 8, 108, 4); }, false},
                    DamageRow{"hunk size 0", [](Bytes& b) { Put(b, 56, 0, 4); }, false},
                    DamageRow{"metadata inside the header", [](Bytes& b) { Put(b, 48, 40, 8); }, false},
                    DamageRow{"metadata past the end", [](Bytes& b) { Put(b, 48, b.size() - 8, 8); }, false},
                    DamageRow{"link near 2^64", [](Bytes& b) { Put(b, kLast + 8, ~std::uint64_t{0} - 4, 8); }, false},
                    DamageRow{"length past the end", [](Bytes& b) { Put(b, kLast + 5, 4, 3); }, false},
                    DamageRow{"last links to the first", [](Bytes& b) { Put(b, kLast + 8, kFirst, 8); }, false},
                    DamageRow{"entry inside another", [](Bytes& b) { Put(b, kFirst + 8, kFirst + 2, 8); }, false},
                    DamageRow{"parent", [](Bytes& b) { b[110] = 1; }, true},
                    DamageRow{"overall SHA1 stale", [](Bytes& b) { b[90] ^= 1; }, true},
                    DamageRow{"no GDDD", [](Bytes& b) { Put(b, kGddd, 0x47444445, 4); }, true}),  // GDDD -> GDDE
    [](const auto& info) { return std::to_string(info.index); });

TEST(CopyTest, CopiesOrStopsLeavingNothing) {
  test::TempTree tree;
  const auto path = [&](const char* name) { return (tree.root() / name).string(); };
  std::string bytes(9 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); i += 4096) bytes[i] = static_cast<char>(i / 4096);
  test::WriteAll(path("from"), bytes);
  const CopyOutcome copied = CopyToNewFile(path("from"), path("to"), [](auto, auto) { return true; });
  ASSERT_EQ(copied.end, CopyEnd::Copied) << copied.error;
  EXPECT_TRUE(test::ReadAll(path("to")) == bytes);

  EXPECT_EQ(CopyToNewFile(path("from"), path("to"), [](auto, auto) { return true; }).end, CopyEnd::Failed);
  EXPECT_TRUE(fs::exists(path("to"))) << "a file already there is not ours to remove";
  for (int stopAt : {0, 1}) {
    int calls = 0;
    EXPECT_EQ(CopyToNewFile(path("from"), path("stopped"), [&](auto, auto) { return calls++ < stopAt; }).end,
              CopyEnd::Stopped) << stopAt;
    EXPECT_FALSE(fs::exists(path("stopped"))) << stopAt;
  }
}

TEST(WorkFilesTest, ThoseOfEndedBridgesAreRemovedOnTheNextRun) {
  test::TempTree tree;
  const std::map<std::string, bool> files = {{"g.chd.setchs-100-1.tmp", false},  // owner ended
                                             {WorkFilePath("g.chd", 4242, 2).filename().string(), false},  // an earlier process with our id
                                             {"a.setchs-b.chd.setchs-12-2.tmp", false},
                                             {"g.chd.setchs-200-1.tmp", true},   // owner running
                                             {"notes.setchs-300-1.tmp", true},   // not a CHD
                                             // names a working file's owner cannot be read from
                                             {"g.chd.setchs--1.tmp", true}, {"g.chd.setchs-12-.tmp", true},
                                             {"g.chd.setchs-1x-1.tmp", true}, {".setchs-12-1.tmp", true},
                                             {"g.chd.setchs-12-1.tmp.old", true}};
  for (const auto& [name, kept] : files) test::WriteAll(tree.data() / name, name.starts_with("notes") ? "text" : "MComprHD");
  EXPECT_EQ(RemoveStaleWorkFiles(tree.data(), 4242, [](long pid) { return pid == 200; }), 3);
  for (const auto& [name, kept] : files) EXPECT_EQ(fs::exists(tree.data() / name), kept) << name;
}

}  // namespace
}  // namespace qm::bridge
