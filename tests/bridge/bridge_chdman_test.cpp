// The built bridge and today's chdman on images made here. Set CHS: the
// geometry written into the metadata of a copy, never by recompressing,
// every other entry and the data as they were; images the edit does not take
// fail as before; a request to end during the copy leaves the image as it
// was. Hard disk and DVD images extracted back to the same bytes; a damaged
// CD image whose check hangs is ended. Skipped when chdman is not installed.
// First, over the stand-in: a bridge asked to end (SIGTERM, SIGINT, SIGHUP)
// ends its tool, removes the output it created and exits with 128 + the signal.

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <sstream>

#include "Bridge.h"
#include "BridgeProcessFixture.h"

namespace qm::bridge {
namespace {

class BridgeSignalTest : public BridgeProcessTest, public testing::WithParamInterface<int> {};

TEST_P(BridgeSignalTest, EndsTheToolAndRemovesItsOutput) {
  SetEnvironment("FAKE_CURRENT_MODE", "hang");
  ChildProcess p = Start({"-update", "with space.chd", "o.tmp"});
  std::string output;
  const long tool = HungToolId(p, output);
  ASSERT_TRUE(fs::exists("o.tmp"));
  ::kill(static_cast<pid_t>(p.Id()), GetParam());
  const Finished run = Finish(p, output);
  EXPECT_EQ(run.status, 128 + GetParam()) << run.output;
  EXPECT_NE(LastLine(run.output).find("interrupted"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists("o.tmp"));
  EXPECT_FALSE(ProcessRunning(tool));
}

INSTANTIATE_TEST_SUITE_P(Signals, BridgeSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP));

std::string FindChdman() {
  const ToolChecks checks{[](const std::string& p) { return IsExecutableFile(p); }, [](const std::string&) { return false; }};
  return LocateTool({std::nullopt, GetEnvironment("PATH").value_or(""), ':', '/', "chdman"}, checks).path;
}

// The lines of `info` but those that change with the geometry or the file.
std::string InfoBesidesGeometry(const std::string& info) {
  std::istringstream in(info);
  std::string kept;
  bool skipValue = false;
  for (std::string line; std::getline(in, line);) {
    const bool geometry = line.find("Tag='GDDD'") != std::string::npos;
    if (!std::exchange(skipValue, geometry) && !geometry && !line.starts_with("SHA1:") && !line.starts_with("CHD size:") &&
        !line.starts_with("Input file:")) {
      kept += line + "\n";
    }
  }
  return kept;
}

class BridgeChdmanTest : public BridgeProcessTest {
 protected:
  BridgeChdmanTest() : chdman_(FindChdman()) { SetEnvironment(kToolVariable, chdman_); }
  void SetUp() override {
    if (chdman_.empty()) GTEST_SKIP() << "chdman is not installed (Debian package mame-tools)";
  }

  Finished Tool(const std::vector<std::string>& args) { return Run(args, chdman_); }
  // A hard disk image of `mib` MiB of random data, which stays in "data.raw";
  // `extra` adds a metadata entry after its GDDD one.
  void MakeImage(const std::string& name, const std::string& codecs, int mib = 2, bool extra = false) {
    std::mt19937 random(static_cast<unsigned>(mib));
    std::string raw(static_cast<std::size_t>(mib) << 20, '\0');
    for (char& c : raw) c = static_cast<char>(random());
    test::WriteAll("data.raw", raw);
    ASSERT_EQ(Tool({"createhd", "-i", "data.raw", "-o", "plain.chd", "-c", "none"}).status, 0);
    if (extra) {
      ASSERT_EQ(Tool({"addmeta", "-i", "plain.chd", "-t", "TEST", "-vt", "kept as it was"}).status, 0);
    }
    ASSERT_EQ(Tool({"copy", "-i", "plain.chd", "-o", name, "-c", codecs}).status, 0);
    fs::remove("plain.chd");
  }
  std::vector<std::string> Folder() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(".")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string chdman_;
};

struct EditRow {
  const char* codecs;
  std::vector<std::string> chs;
  bool extra;
};
void PrintTo(const EditRow& row, std::ostream* os) { *os << row.codecs << " " << row.chs[0]; }

class BridgeEditTest : public BridgeChdmanTest, public testing::WithParamInterface<EditRow> {};

// 2 MiB are 4,096 sectors; chdman chose CYLS:8,HEADS:16,SECS:32.
TEST_P(BridgeEditTest, SetsTheGeometryKeepingDataAndOtherMetadata) {
  const EditRow& row = GetParam();
  const std::string image = "my disk \xc3\xbc &.chd";
  MakeImage(image, row.codecs, 2, row.extra);
  const std::string before = ReadAll(image), infoBefore = Tool({"info", "-i", image}).output;
  const Finished run = Run({"-setchs", image, row.chs[0], row.chs[1], row.chs[2]});
  ASSERT_EQ(run.status, 0) << run.output;

  const std::string gddd = "CYLS:" + row.chs[0] + ",HEADS:" + row.chs[1] + ",SECS:" + row.chs[2] + ",BPS:512";
  const std::string info = Tool({"info", "-i", image}).output;
  EXPECT_NE(info.find(gddd + "."), std::string::npos) << info;
  EXPECT_EQ(InfoBesidesGeometry(info), InfoBesidesGeometry(infoBefore));  // Data SHA1 and every other entry
  ASSERT_EQ(Tool({"extracthd", "-i", image, "-o", "out.raw"}).status, 0);
  EXPECT_TRUE(ReadAll("out.raw") == ReadAll("data.raw"));
  const Finished verify = Tool({"verify", "-i", image});
  EXPECT_EQ(verify.status, 0) << verify.output;
  // Edited, not made again: the old bytes stay, at most one entry is added.
  const std::string after = ReadAll(image);
  EXPECT_LE(after.size() - before.size(), 16 + gddd.size() + 1);
  EXPECT_EQ(after.compare(0, 48, before, 0, 48), 0);  // the header up to its link to the metadata
  EXPECT_EQ(run.output.find("Verifying"), std::string::npos) << run.output;
  EXPECT_EQ(Folder(), (std::vector<std::string>{"data.raw", image, "out.raw", "with space.chd"}));
}

INSTANTIATE_TEST_SUITE_P(Images, BridgeEditTest,
                         testing::Values(EditRow{"none", {"4", "32", "32"}, false},        // over the old entry
                                         EditRow{"none", {"1024", "2", "2"}, true},        // appended, relinked
                                         EditRow{"zlib", {"16", "16", "16"}, false},
                                         EditRow{"lzma,zlib", {"128", "16", "2"}, true},
                                         EditRow{"lzma,zlib", {"8", "32", "16"}, true}));

TEST_F(BridgeChdmanTest, ImagesTheEditDoesNotTakeFailAsBefore) {
  MakeImage("parent.chd", "zlib");
  ASSERT_EQ(Tool({"createhd", "-i", "data.raw", "-o", "child.chd", "-c", "zlib", "-op", "parent.chd"}).status, 0);
  std::string v4 = ReadAll("parent.chd");
  v4[15] = 4;  // version 4 in a version 5 header
  test::WriteAll("v4.chd", v4);
  const std::vector<std::string> folder = Folder();
  for (const auto& [image, reason] : {std::pair{"child.chd", "merge it"}, std::pair{"v4.chd", "Error"}}) {
    const std::string before = ReadAll(image);
    const Finished run = Run({"-setchs", image, "16", "16", "16"});
    EXPECT_NE(run.status, 0) << image;
    EXPECT_NE(LastLine(run.output).find(reason), std::string::npos) << run.output;
    EXPECT_TRUE(ReadAll(image) == before) << image;
    EXPECT_EQ(Folder(), folder) << image;
  }
}

TEST_F(BridgeChdmanTest, AnEndRequestDuringTheCopyLeavesTheImage) {
  MakeImage("big.chd", "none", 17);
  fs::remove("data.raw");
  const std::string before = ReadAll("big.chd");
  SetEnvironment("QUILLMERE_BRIDGE_COPY_PAUSE_MS", "300");
  ChildProcess p = Start({"-setchs", "big.chd", "17", "64", "32"});
  // The line after the first block.
  const std::string output = ReadUntil(p, [](const std::string& o) { return std::count(o.begin(), o.end(), '\r') >= 2; });
  ::kill(static_cast<pid_t>(p.Id()), SIGTERM);
  const Finished run = Finish(p, output);
  SetEnvironment("QUILLMERE_BRIDGE_COPY_PAUSE_MS", "0");
  EXPECT_EQ(run.status, 128 + SIGTERM) << run.output;
  EXPECT_NE(LastLine(run.output).find("interrupted"), std::string::npos) << run.output;
  EXPECT_TRUE(ReadAll("big.chd") == before);
  EXPECT_EQ(Folder(), (std::vector<std::string>{"big.chd", "with space.chd"}));
}

// A tool without createdvd refuses the job; a DVD image made as it can
// (DVD sectors, tagged "DVD ") comes out with extractraw.
TEST_F(BridgeChdmanTest, ExtractsAHardDiskAndADvdToTheSameBytes) {
  MakeImage("hd \xc3\xa9.chd", "zlib");
  Finished run = Run({"-extract", "hd \xc3\xa9.chd", "hd.tmp"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(ReadAll("hd.tmp/hd \xc3\xa9.img") == ReadAll("data.raw"));

  std::string iso;
  for (int i = 0; i < 2048 * 64; ++i) iso += static_cast<char>(i * 7 % 251);
  test::WriteAll("dvd.iso", iso);
  run = Run({"-createdvd", "dvd.iso", "dvd.tmp"});
  if (ParseToolUsage(Tool({}).output).Has("createdvd")) {
    ASSERT_EQ(run.status, 0) << run.output;
    fs::rename("dvd.tmp", "dvd.chd");
  } else {
    EXPECT_EQ(run.status, kExitFailure) << run.output;
    ASSERT_EQ(Tool({"createraw", "-i", "dvd.iso", "-o", "dvd.chd", "-hs", "4096", "-us", "2048", "-c", "none"}).status, 0);
    ASSERT_EQ(Tool({"addmeta", "-i", "dvd.chd", "-t", "DVD ", "-vt", "DVD"}).status, 0);
  }
  fs::remove("dvd.iso");
  run = Run({"-extract", "dvd.chd", "dvd.tmp"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(ReadAll("dvd.tmp/dvd.iso") == iso);
}

// chdman 0.251's verify spins for ever at 0.0% on a CD image with one byte of
// its FLAC audio damaged; any later tool may fail at once instead.
TEST_F(BridgeChdmanTest, ADamagedImageFailsWithinTheStallLimitAndStaysAsItWas) {
  std::mt19937 random(7);
  std::string bin(300 * 2048, '\0');  // a data track of text, then a tone
  for (char& c : bin) c = "abcdefgh \n"[random() % 10];
  for (int i = 0; i < 150 * 588; ++i) {
    const auto v = static_cast<std::int16_t>(8000 * std::sin(i / 20.0));
    for (int channel = 0; channel < 2; ++channel) bin.append({static_cast<char>(v & 0xff), static_cast<char>(v >> 8)});
  }
  test::WriteAll("disc.bin", bin);
  test::WriteAll("disc.cue", "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
                             "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n");
  ASSERT_EQ(Run({"-createcd", "disc.cue", "disc.chd"}).status, 0);
  std::string image = ReadAll("disc.chd");
  const std::size_t map = (std::size_t{static_cast<unsigned char>(image[45])} << 16) |
                          (std::size_t{static_cast<unsigned char>(image[46])} << 8) | static_cast<unsigned char>(image[47]);
  image[map - 10000] ^= 0xff;  // in the last hunks, the audio's
  test::WriteAll("disc.chd", image);
  SetEnvironment(kStallVariable, "3");
  const auto start = std::chrono::steady_clock::now();
  const Finished run = Run({"-verify", "disc.chd"});
  SetEnvironment(kStallVariable, "");
  EXPECT_EQ(run.status, kExitFailure) << run.output;
  if (std::chrono::steady_clock::now() - start >= std::chrono::seconds(3)) {
    EXPECT_NE(LastLine(run.output).find("chdman ha smesso di rispondere"), std::string::npos) << run.output;
  }
  EXPECT_TRUE(ReadAll("disc.chd") == image);
}

}  // namespace
}  // namespace qm::bridge
