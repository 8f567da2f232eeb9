// The bridge's logic without a tool: the old command line, the tool's
// `info` description, geometry, the search for the tool, the rewriting of
// the tool's output (progress lines into the old form, errors noticed even
// when the tool exits 0, the same result however the output is cut), the CHD
// metadata reader and editor on images built here byte by byte (real images
// made by chdman are edited in bridge_process_test), and the clean-up of the
// working files of Set CHS.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ChdMetadata.h"
#include "Geometry.h"
#include "ImageInfo.h"
#include "OldCommand.h"
#include "ProgressTranslator.h"
#include "TempTree.h"
#include "ToolLocator.h"
#include "WorkFiles.h"

namespace qm::bridge {
namespace {

namespace fs = std::filesystem;

// Command lines the program never writes, each with part of its refusal.
TEST(OldCommandTest, RefusesLinesTheProgramNeverWrites) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> lines = {
      {{}, "no command"},
      {{"copy", "-i", "a", "-o", "b"}, "unknown command copy"},  // today's syntax
      {{"-update", "a.chd"}, "IMAGE OUTPUT"},
      {{"-setchs", "d.chd", "2147483648", "1", "1"}, "whole numbers"},  // beyond a C int
      {{"-update", "", "b.tmp"}, "empty file name"}};
  for (const auto& [args, error] : lines) {
    const auto parsed = ParseOldCommand(args);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << error;
    EXPECT_NE(std::get<std::string>(parsed).find(error), std::string::npos) << std::get<std::string>(parsed);
  }
}

// As chdman 0.251 prints it, with a metadata value that reads like a field
// and the GDDD entry of index 0 after another.
std::string Info(const std::string& compression, const std::string& more = "") {
  return "chdman - banner\nInput file:   c.chd\nFile Version: 5\nLogical size: 8,192 bytes\nHunk Size:    4,096 bytes\n"
         "Total Hunks:  2\nCompression:  " + compression + "\nData SHA1:    e2b28a67e2b09f50e783add3521b62c55f396587\n"
         "Metadata:     Tag='IDNT'  Index=0  Length=20 bytes\n              Data SHA1: not this one\n"
         "Metadata:     Tag='GDDD'  Index=1  Length=30 bytes\n              CYLS:1,HEADS:1,SECS:1,BPS:256.\n"
         "Metadata:     Tag='GDDD'  Index=0  Length=32 bytes\n              CYLS:1,HEADS:2,SECS:8,BPS:512.\n" + more;
}

TEST(ImageInfoTest, ReadsTheFieldsTheBridgeUsesOrRefuses) {
  const auto c = ParseImageInfo(Info("lzma (LZMA), zlib (Deflate), huff (Huffman), flac (FLAC)"));
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(CompressionOption(*c), "lzma,zlib,huff,flac");
  EXPECT_EQ(c->dataSha1, "e2b28a67e2b09f50e783add3521b62c55f396587");
  EXPECT_EQ(c->geometry, (HardDiskGeometry{1, 2, 8, 512}));
  EXPECT_EQ(MediumOf(*c), MediumKind::HardDisk);
  EXPECT_FALSE(ParseImageInfo(Info("none"))->compressed());
  const std::string cd = "Metadata:     Tag='CHT2'  Index=0  Length=86 bytes\n              TRACK:1 TYPE:MODE1\n";
  EXPECT_EQ(MediumOf(*ParseImageInfo(Info("none", cd))), MediumKind::Cd);  // a CD tag wins over GDDD
  // A description without its sizes is refused.
  EXPECT_FALSE(ParseImageInfo("").has_value());
  EXPECT_FALSE(ParseImageInfo("Error opening CHD file (x): Invalid file\nFatal error occurred: 1\n").has_value());
  std::string noHunks = Info("zlib");
  noHunks.erase(noHunks.find("Total Hunks:  2\n"), 16);
  EXPECT_FALSE(ParseImageInfo(noHunks).has_value());
}

// Parsed geometries; a text that is not one parses to nothing.
TEST(GeometryTest, ParsesAndMeasures) {
  const HardDiskGeometry widest{2147483647u, 2147483647u, 2147483647u, 2147483647u};
  EXPECT_EQ(ParseGddd("CYLS:2147483647,HEADS:2147483647,SECS:2147483647,BPS:2147483647"), widest);
  EXPECT_EQ(Capacity(widest), UINT64_MAX);
  EXPECT_EQ(ParseGddd(GdddText(widest)), widest);
  for (const char* text : {"CYLS:0,HEADS:16,SECS:32,BPS:512", "CYLS:16,HEADS:16,SECS:32", "HEADS:16,CYLS:16,SECS:32,BPS:512"}) {
    EXPECT_EQ(ParseGddd(text), std::nullopt) << text;
  }
}

TEST(ToolLocatorTest, FindsTheCurrentToolNeverTheBridge) {
  const std::set<std::string> executables = {"/usr/bin/chdman", "/opt/q/chdman", "/opt/new/chdman", "/home/u/chdman"};
  const ToolChecks checks{[&](const std::string& p) { return executables.count(p) > 0; },
                          [](const std::string& p) { return p == "/opt/q/chdman"; }};
  // An empty variable is unset; empty, missing and bridge entries are skipped.
  const LocatedTool found = LocateTool({"", "::/nowhere:/opt/q:/opt/new/:/usr/bin", ':', '/', "chdman"}, checks);
  EXPECT_EQ(found.path + found.error, "/opt/new/chdman");
  const LocatedTool gone = LocateTool({"/home/u/gone", "/usr/bin", ':', '/', "chdman"}, checks);
  EXPECT_EQ(gone.path, "");
  EXPECT_NE(gone.error, "");
}

struct TranslationRow {
  const char* name;
  std::uint64_t hunks;
  std::string_view input;
  const char* expected;          // null: the input, unchanged
  std::string_view reason = "";  // the error noticed; empty: none
  int stage = 0, stages = 1;
};
void PrintTo(const TranslationRow& row, std::ostream* os) { *os << row.name; }

class TranslationTest : public testing::TestWithParam<TranslationRow> {};

TEST_P(TranslationTest, TranslatesAndNoticesErrors) {
  const TranslationRow& row = GetParam();
  ProgressTranslator t(row.hunks, row.stage, row.stages);
  std::string text = t.Feed(row.input);
  text += t.Flush();
  EXPECT_EQ(text, row.expected ? row.expected : row.input);
  EXPECT_EQ(t.ErrorReported(), !row.reason.empty());
  EXPECT_EQ(t.ErrorReason(), row.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TranslationTest,
    testing::ValuesIn(std::vector<TranslationRow>{
        {"rounded down", 1024, "Compressing, 99.9% complete... (ratio=9.0%)  \r", "Compressing hunk 1022/1024... (ratio=9.0%)  \r"},
        {"second of three stages", 900, "Compressing, 50.0% complete... (ratio=1.0%)  \r",
            "Compressing hunk 450/900... (ratio=1.0%)  \r", "", 1, 3},
        {"whole percent", 200, "Compressing, 7% complete... (ratio=3.0%)  \r", "Compressing hunk 14/200... (ratio=3.0%)  \r"},
        {"verifying is named in the parentheses", 1000, "Verifying, 40.0% complete...  \r", "Compressing hunk 400/1000... (Verifying)  \r"},
        {"newline to carriage return", 10, "Compressing, 50.0% complete... (ratio=2.0%)\n", "Compressing hunk 5/10... (ratio=2.0%)\r"},
        {"nan is no progress", 1000, "Compressing, nan% complete... (ratio=nan%)  \rVerifying, nan% complete...\n", ""},
        {"a broken percentage passes unchanged", 1000, "Compressing, 1.% complete...\rCompressing, x% complete...\r", nullptr},
        {"unknown hunk count passes progress unchanged", 0, "Compressing, 50.0% complete... (ratio=2.0%)  \r", nullptr},
        {"unfinished last line", 100, "Compressing, 50.0% complete... (ratio=2.0%)  ", "Compressing hunk 50/100... (ratio=2.0%)  \r"},
        {"first error line wins over advice", 100,
            "Error: file already exists (o.chd)\nUse --force (or -f) to force overwriting\nFatal error occurred: 1\n",
            nullptr, "Error: file already exists (o.chd)"},
        {"plain message before the fatal line", 100,
            "Logical size: 5\nData size is not divisible by sector size 512\nFatal error occurred: 1\n",
            nullptr, "Data size is not divisible by sector size 512"},
        {"unterminated error line", 0, "Compressing, 5.0% complete... (ratio=1.0%)  \rError: write failed", nullptr, "Error: write failed"},
        {"a file named Error is no error", 100, "Input file:   Error.chd\nCompression complete ... final ratio = 9.0%\n", nullptr}}));

constexpr std::string_view kRun =
    "chdman - banner\nOutput CHD:   out.tmp\nCompressing, 0.0% complete... (ratio=100.0%)  \r"
    "Compressing, 43.6% complete... (ratio=69.7%)  \rCompressing, 87.9% complete... (ratio=87.9%)  \r"
    "Compression complete ... final ratio = 99.9%            \n";

TEST(TranslatorChunksTest, EveryCutOfTheOutputGivesTheSameText) {
  std::string whole;
  for (std::size_t cut = 0; cut <= kRun.size(); ++cut) {
    ProgressTranslator t(4096);
    std::string text = t.Feed(kRun.substr(0, cut));
    text += t.Feed(kRun.substr(cut));
    text += t.Flush();
    if (cut == 0) whole = text;
    ASSERT_EQ(text, whole) << "cut at " << cut;
  }
}

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
}

// A compressed v5 image: header, some "hunk" bytes, then IDNT, GDDD and two
// entries "KEY " (one outside the checksum) chained in order; its overall SHA1
// as the format defines it. The entries start at 188, 209 (GDDD) and 284.
constexpr std::size_t kFirst = 188, kGddd = 209, kLast = 284;
Bytes Image() {
  Bytes b(kChdHeaderBytes + 64, 0xAB);
  std::fill(b.begin(), b.begin() + kChdHeaderBytes, 0);
  std::copy_n("MComprHD", 8, b.begin());
  // Header length, version 5, "zlib", logical size, hunk size.
  for (const auto& [at, value, bytes] : {std::tuple{8, kChdHeaderBytes, 4}, {12, 5, 4}, {16, 0x7a6c6962, 4}, {32, 4096, 8}, {56, 4096, 4}}) {
    Put(b, at, value, bytes);
  }
  for (int i = 0; i < 20; ++i) b[64 + i] = static_cast<std::uint8_t>(i + 1);
  std::size_t linkAt = 48;
  for (const auto& [tag, flags, data] : std::vector<std::tuple<std::uint32_t, std::uint8_t, std::string>>{
           {0x49444e54, 1, "ident"},
           {kHardDiskTag, 1, std::string("CYLS:8,HEADS:16,SECS:32,BPS:512", 32)},
           {0x4b455920, 0, "no checksum"},
           {0x4b455920, 1, std::string("\0\1\2", 3)}}) {
    const std::size_t at = b.size();
    Put(b, linkAt, at, 8);
    b.resize(at + 16 + data.size());
    Put(b, at, std::uint64_t{tag} << 32 | std::uint64_t{flags} << 24 | data.size(), 8);  // 24-bit length
    std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(at + 16));
    linkAt = at + 8;
  }
  ChdBytes file(b);
  const ChdLayout layout = std::get<ChdLayout>(ReadChdLayout(file));
  const Sha1Digest sha1 = OverallSha1(layout.header.rawSha1, layout.entries);
  std::copy(sha1.begin(), sha1.end(), b.begin() + 84);
  return b;
}

struct DamageRow {
  const char* name;
  std::function<void(Bytes&)> change;
  const char* refusal;  // of the reader, else of the editor
};
void PrintTo(const DamageRow& row, std::ostream* os) { *os << row.name; }

class ChdDamageTest : public testing::TestWithParam<DamageRow> {};

TEST_P(ChdDamageTest, IsRefusedWithAReasonAndNeverWritten) {
  Bytes b = Image();
  ASSERT_EQ(b.size(), kLast + 16 + 3);
  GetParam().change(b);
  ChdBytes file(b);
  const auto read = ReadChdLayout(file);
  if (const auto* refusal = std::get_if<std::string>(&read)) {
    EXPECT_NE(refusal->find(GetParam().refusal), std::string::npos) << *refusal;
    return;
  }
  const ChdLayout& layout = std::get<ChdLayout>(read);
  const Bytes gddd{'C', 0};
  EXPECT_NE(ReplaceMetadata(file, layout, kHardDiskTag, gddd).value_or("").find(GetParam().refusal), std::string::npos);
  EXPECT_EQ(file.bytes(), b);
  EXPECT_NE(ReplacementMismatch(layout, layout, kHardDiskTag, gddd), std::nullopt);  // an edit that did not happen is seen
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChdDamageTest,
    testing::Values(DamageRow{"cut in the header", [](Bytes& b) { b.resize(100); }, "shorter than a CHD header"},
                    DamageRow{"not a CHD", [](Bytes& b) { b[0] = 'X'; }, "not a CHD file"},
                    DamageRow{"version 4", [](Bytes& b) { Put(b, 12, 4, 4); }, "CHD version 4"},
                    DamageRow{"header length of version 4", [](Bytes& b) { Put(b, 8, 108, 4); }, "header length"},
                    DamageRow{"hunk size 0", [](Bytes& b) { Put(b, 56, 0, 4); }, "hunk size 0"},
                    DamageRow{"metadata inside the header", [](Bytes& b) { Put(b, 48, 40, 8); }, "outside the file"},
                    DamageRow{"metadata past the end", [](Bytes& b) { Put(b, 48, b.size() - 8, 8); }, "outside the file"},
                    DamageRow{"link near 2^64", [](Bytes& b) { Put(b, kLast + 8, ~std::uint64_t{0} - 4, 8); }, "outside the file"},
                    DamageRow{"length past the end", [](Bytes& b) { Put(b, kLast + 5, 4, 3); }, "runs past the end"},
                    DamageRow{"last links to the first", [](Bytes& b) { Put(b, kLast + 8, kFirst, 8); }, "overlaps another"},
                    DamageRow{"entry inside another", [](Bytes& b) { Put(b, kLast + 8, kFirst + 3, 8); }, "overlaps another"},
                    DamageRow{"parent", [](Bytes& b) { b[110] = 1; }, "has a parent"},
                    DamageRow{"overall SHA1 stale", [](Bytes& b) { b[90] ^= 1; }, "overall SHA1"},
                    DamageRow{"no GDDD", [](Bytes& b) { Put(b, kGddd, 0x47444445, 4); }, "no GDDD metadata"}),  // GDDD -> GDDE
    [](const auto& info) { return std::to_string(info.index); });

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
  EXPECT_EQ(RemoveStaleWorkFiles(tree.data(), 4242, [](long pid) { return pid == 200 || pid == 4242; }), 3);
  for (const auto& [name, kept] : files) EXPECT_EQ(fs::exists(tree.data() / name), kept) << name;
}

}  // namespace
}  // namespace qm::bridge
