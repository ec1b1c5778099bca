// Daily log files written from decoded audio, compared byte for byte, and the
// 100-line message ring they mirror.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/vantrel_doc.h"
#include "support/packet_builder.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

using test::Packet;
using test::WithChecksum;

namespace fs = std::filesystem;

constexpr CTime kMay12 = 1178964672;  // 2007-05-12 10:11:12 UTC

const Packet kSync = WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0});
const Packet kBadSyncWord = WithChecksum({0x65, 0xA8, 0xF8, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0});
const Packet kUplink = WithChecksum({0x1B, 0, 0, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0});
const Packet kElements = WithChecksum({0x22, 0x07, 0x07, 0x00, 0x00, 0x80, 0, 0, 0, 0xF0});

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LogFiles : public ::testing::Test {
 protected:
  LogFiles() : clock_(kMay12), doc_(clock_, "/nonexistent/") {
    char pattern[] = "/tmp/vantrel-logs.XXXXXX";
    dir_ = mkdtemp(pattern);
    doc_.logDirectory = dir_.string() + "/";
    doc_.polarity = 0;
  }
  ~LogFiles() override { fs::remove_all(dir_); }

  void Decode(const std::vector<Packet>& packets) {
    test::SynthOptions options;
    options.noise = 8.0;
    options.idleBits = 3;
    for (const std::uint8_t s : test::SynthesizePackets(packets, options)) doc_.FeedSample(s);
    for (int i = 0; i < CVantrelDoc::kRingLength; ++i) doc_.FeedSample(128);
  }

  fs::path dir_;
  HeldClock clock_;
  CVantrelDoc doc_;
};

TEST_F(LogFiles, DecodedAndRawRecordsAreByteExact) {
  doc_.rawFlag = 1;
  Decode({kSync, kUplink, kElements, kBadSyncWord});
  EXPECT_EQ(ReadFile(dir_ / "orbcomm070512.log"),
            "Spacecraft FM-12 137.5000MHz frame 03[07-05-12 10:11:12]\r\n"
            "Uplink channels 148.0025MHz 148.0050MHz [07-05-12 10:11:12]\r\n"
            "Elements   FM-07 Ma 180.00001073\xB0 Mm  14.06250100/day [07-05-12 10:11:12]\r\n");
  // Only a sync packet with a good sync word opens a paragraph in the raw file.
  EXPECT_EQ(ReadFile(dir_ / "orbcomm_raw070512.log"),
            "\r\n"
            "65 A8 F9 0C 00 C8 30 00 00 00 58 9E  [07-05-12 10:11:12]\r\n"
            "1B 00 00 01 02 00 05 06 07 00 7B 55  [07-05-12 10:11:12]\r\n"
            "22 07 07 00 00 80 00 00 00 F0 25 3B  [07-05-12 10:11:12]\r\n"
            "65 A8 F8 0C 00 C8 30 00 00 00 61 96  [07-05-12 10:11:12]\r\n");
}

TEST_F(LogFiles, RecordsAppendAndFollowTheUtcDate) {
  const fs::path today = dir_ / "orbcomm070512.log";
  std::ofstream(today, std::ios::binary) << "kept\r\n";
  Decode({kSync});
  clock_.Set(kMay12 + 86400 - 36672 + 1);  // 2007-05-13 00:00:01
  Decode({kSync});
  EXPECT_EQ(ReadFile(today), "kept\r\nSpacecraft FM-12 137.5000MHz frame 03[07-05-12 10:11:12]\r\n");
  EXPECT_EQ(ReadFile(dir_ / "orbcomm070513.log"),
            "Spacecraft FM-12 137.5000MHz frame 03[07-05-13 00:00:01]\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "orbcomm_raw070512.log"));  // raw flag off
}

TEST_F(LogFiles, MissingDirectoryIsSkippedAndDecodingGoesOn) {
  doc_.logDirectory = (dir_ / "absent").string() + "/";
  doc_.rawFlag = 1;
  Decode({kSync, kUplink});
  EXPECT_EQ(doc_.MessagesInArrivalOrder().size(), 2u);
  EXPECT_FALSE(fs::exists(dir_ / "absent"));
}

TEST(MessageRing, HundredAndFirstLineOverwritesTheFirst) {
  HeldClock clock(kMay12);
  CVantrelDoc doc(clock, "/nonexistent/");
  doc.logFlag = 0;
  for (int i = 0; i < 101; ++i) doc.PostLine("line " + std::to_string(i), true);
  EXPECT_EQ(doc.messageHead, 1);
  EXPECT_EQ(doc.messages[0], "line 100");
  EXPECT_EQ(doc.messages[1], "line 1");
  const auto lines = doc.MessagesInArrivalOrder();
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.front(), "line 1");
  EXPECT_EQ(lines.back(), "line 100");
}

}  // namespace
}  // namespace vantrel
