// The bridge's readers and writers of text: the old command line, the
// tool's `info` description, geometry and the search for the tool.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <variant>
#include <vector>

#include "Geometry.h"
#include "ImageInfo.h"
#include "OldCommand.h"
#include "ToolLocator.h"

namespace qm::bridge {
namespace {

using Args = std::vector<std::string>;

struct CommandRow {
  const char* name;
  Args args;
  Args copy;          // the current tool's copy arguments; empty: a refusal
  std::string error;  // part of the refusal
};
void PrintTo(const CommandRow& row, std::ostream* os) { *os << row.name; }

class OldCommandTest : public testing::TestWithParam<CommandRow> {};

TEST_P(OldCommandTest, ParsesOrRefuses) {
  const CommandRow& row = GetParam();
  const auto parsed = ParseOldCommand(row.args);
  if (row.copy.empty()) {
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
    EXPECT_NE(std::get<std::string>(parsed).find(row.error), std::string::npos) << std::get<std::string>(parsed);
  } else {
    ASSERT_TRUE(std::holds_alternative<OldCommand>(parsed)) << std::get<std::string>(parsed);
    EXPECT_EQ(CopyArguments(std::get<OldCommand>(parsed)), row.copy);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OldCommandTest,
    testing::Values(
        CommandRow{"names that look like options stay names", {"-merge", "-rf.chd", "--help.diff", "-o.tmp"},
                   {"copy", "-i", "./--help.diff", "-ip", "./-rf.chd", "-o", "./-o.tmp"}, ""},
        CommandRow{"no command", {}, {}, "no command"},
        CommandRow{"current syntax is not taken", {"copy", "-i", "a", "-o", "b"}, {}, "unknown command copy"},
        CommandRow{"update without output", {"-update", "a.chd"}, {}, "IMAGE OUTPUT"},
        CommandRow{"verify takes one image", {"-verify", "a.chd", "b.chd"}, {}, "-verify takes IMAGE"},
        CommandRow{"zero heads", {"-setchs", "d.chd", "10", "0", "63"}, {}, "whole numbers"},
        CommandRow{"geometry beyond a C int", {"-setchs", "d.chd", "2147483648", "1", "1"}, {}, "whole numbers"},
        CommandRow{"empty name", {"-update", "", "b.tmp"}, {}, "empty file name"}));

// As chdman 0.251 prints it, with a metadata value that reads like a field
// and the GDDD entry of index 0 after another.
std::string Info(const std::string& compression, const std::string& more = "") {
  return "chdman - banner\nInput file:   c.chd\nFile Version: 5\nLogical size: 8,192 bytes\nHunk Size:    4,096 bytes\n"
         "Total Hunks:  2\nCompression:  " + compression + "\nData SHA1:    e2b28a67e2b09f50e783add3521b62c55f396587\n"
         "Metadata:     Tag='IDNT'  Index=0  Length=20 bytes\n              Data SHA1: not this one\n"
         "Metadata:     Tag='GDDD'  Index=1  Length=30 bytes\n              CYLS:1,HEADS:1,SECS:1,BPS:256.\n"
         "Metadata:     Tag='GDDD'  Index=0  Length=32 bytes\n              CYLS:1,HEADS:2,SECS:8,BPS:512.\n" + more;
}

TEST(ImageInfoTest, ReadsTheFieldsTheBridgeUses) {
  const auto c = ParseImageInfo(Info("lzma (LZMA), zlib (Deflate), huff (Huffman), flac (FLAC)"));
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(CompressionOption(*c), "lzma,zlib,huff,flac");
  EXPECT_EQ(c->dataSha1, "e2b28a67e2b09f50e783add3521b62c55f396587");
  EXPECT_EQ(c->geometry, (HardDiskGeometry{1, 2, 8, 512}));
  EXPECT_EQ(MediumOf(*c), MediumKind::HardDisk);
  EXPECT_FALSE(ParseImageInfo(Info("none"))->compressed());
  const std::string cd = "Metadata:     Tag='CHT2'  Index=0  Length=86 bytes\n              TRACK:1 TYPE:MODE1\n";
  EXPECT_EQ(MediumOf(*ParseImageInfo(Info("none", cd))), MediumKind::Cd);  // a CD tag wins over GDDD
}

TEST(ImageInfoTest, RefusesADescriptionWithoutItsSizes) {
  EXPECT_FALSE(ParseImageInfo("").has_value());
  EXPECT_FALSE(ParseImageInfo("Error opening CHD file (x): Invalid file\nFatal error occurred: 1\n").has_value());
  std::string noHunks = Info("zlib");
  noHunks.erase(noHunks.find("Total Hunks"), noHunks.find("Compression") - noHunks.find("Total Hunks"));
  EXPECT_FALSE(ParseImageInfo(noHunks).has_value());
}

struct GeometryRow {
  const char* text;
  std::optional<HardDiskGeometry> parsed;
  std::uint64_t capacity;
};
void PrintTo(const GeometryRow& row, std::ostream* os) { *os << row.text; }

class GeometryTest : public testing::TestWithParam<GeometryRow> {};

TEST_P(GeometryTest, ParsesAndMeasures) {
  const auto g = ParseGddd(GetParam().text);
  EXPECT_EQ(g, GetParam().parsed);
  if (!g) return;
  EXPECT_EQ(Capacity(*g), GetParam().capacity);
  EXPECT_EQ(ParseGddd(GdddText(*g)), g);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GeometryTest,
    testing::Values(GeometryRow{"CYLS:2147483647,HEADS:2147483647,SECS:2147483647,BPS:2147483647",
                                HardDiskGeometry{2147483647u, 2147483647u, 2147483647u, 2147483647u}, UINT64_MAX},
                    GeometryRow{"CYLS:0,HEADS:16,SECS:32,BPS:512", std::nullopt, 0},
                    GeometryRow{"CYLS:16,HEADS:16,SECS:32", std::nullopt, 0},
                    GeometryRow{"HEADS:16,CYLS:16,SECS:32,BPS:512", std::nullopt, 0}));

struct LocatorRow {
  const char* name;
  std::optional<std::string> variable;
  std::string path;
  std::string found;  // empty: none
};
void PrintTo(const LocatorRow& row, std::ostream* os) { *os << row.name; }

class ToolLocatorTest : public testing::TestWithParam<LocatorRow> {};

TEST_P(ToolLocatorTest, FindsTheCurrentToolNeverTheBridge) {
  const std::set<std::string> executables = {"/usr/bin/chdman", "/opt/q/chdman", "/opt/new/chdman", "/home/u/chdman"};
  const ToolChecks checks{[&](const std::string& p) { return executables.count(p) > 0; },
                          [](const std::string& p) { return p == "/opt/q/chdman"; }};
  const LocatedTool tool = LocateTool({GetParam().variable, GetParam().path, ':', '/', "chdman"}, checks);
  EXPECT_EQ(tool.path, GetParam().found);
  EXPECT_EQ(tool.error.empty(), !tool.path.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Searches, ToolLocatorTest,
    testing::Values(LocatorRow{"empty and missing entries are skipped", std::nullopt, "::/nowhere:/opt/new/:/usr/bin",
                               "/opt/new/chdman"},
                    LocatorRow{"only the bridge", std::nullopt, "/opt/q:/nowhere", ""},
                    LocatorRow{"empty variable means unset", "", "/usr/bin", "/usr/bin/chdman"},
                    LocatorRow{"variable naming the bridge", "/opt/q/chdman", "/usr/bin", ""},
                    LocatorRow{"variable naming nothing", "/home/u/gone", "/usr/bin", ""}));

}  // namespace
}  // namespace qm::bridge
