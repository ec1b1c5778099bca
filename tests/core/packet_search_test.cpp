// The packet search fed with synthesized discriminator audio, one sample at a
// time, as capture feeds it.
#include <gtest/gtest.h>

#include "document/vantrel_doc.h"
#include "support/packet_builder.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

using test::Packet;
using test::SynthOptions;
using test::WithChecksum;

constexpr CTime kMay12 = 1178964672;  // 2007-05-12 10:11:12 UTC

// One packet of every type with the line each must give.
struct Sample {
  Packet packet;
  const char* line;
};
const std::vector<Sample>& EveryType() {
  static const std::vector<Sample> samples = {
      {WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}),
       "Spacecraft FM-12 137.5000MHz frame 03"},
      {WithChecksum({0x1A, 0x21, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}),
       "Message (pt. 2 of 2) EFCDA B8967 45230 00001"},
      {WithChecksum({0x1B, 0x00, 0x00, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0x00}),
       "Uplink channels 148.0025MHz 148.0050MHz "},
      {WithChecksum({0x1C, 0x10, 0x00, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x41, 0x00}),
       "Downlink channels (pt 1 of 1) 137.1625MHz 137.4000MHz "},
      {WithChecksum({0x1D, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}),
       "Network Control 010203040506070809"},
      {WithChecksum({0x1E, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11, 0x22}),
       "Fill packet AABBCCDDEEFF001122"},
      {{0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0, 0,
        0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78},
       "Ephemeris  FM-12 wk. 1400, Tue, 10:11:12 pos. 45.000173 36.869898"},
      {WithChecksum({0x22, 0x07, 0x07, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0xF0}),
       "Elements   FM-07 Ma 180.00001073\xB0 Mm  14.06250100/day "},
  };
  return samples;
}

class PacketSearch : public ::testing::Test {
 protected:
  PacketSearch() : clock_(kMay12), doc_(clock_, "/nonexistent/") { doc_.logFlag = 0; }

  void Feed(const std::vector<std::uint8_t>& audio) {
    for (const std::uint8_t s : audio) doc_.FeedSample(s);
  }
  // A packet is found once its first sample is the oldest in the ring, so one
  // more second of mid level brings out everything fed before it.
  void Flush() {
    for (int i = 0; i < CVantrelDoc::kRingLength; ++i) doc_.FeedSample(128);
  }
  std::vector<std::string> Lines() const { return doc_.MessagesInArrivalOrder(); }

  HeldClock clock_;
  CVantrelDoc doc_;
};

TEST_F(PacketSearch, EveryTypeRoundTripsAtBothPolaritiesWithNoise) {
  std::vector<Packet> packets;
  std::vector<std::string> expected;
  for (const Sample& s : EveryType()) {
    packets.push_back(s.packet);
    expected.push_back(s.line);
  }
  for (const bool inverted : {false, true}) {
    SCOPED_TRACE(inverted ? "inverted" : "upright");
    HeldClock clock(kMay12);
    CVantrelDoc doc(clock, "/nonexistent/");
    doc.logFlag = 0;
    doc.filters[kFilterFill] = 1;
    doc.polarity = inverted ? 1 : 0;
    SynthOptions options;
    options.noise = 8.0;
    options.inverted = inverted;
    options.leadInSamples = 1234;
    options.idleBits = 7;
    options.seed = inverted ? 7 : 3;
    for (const std::uint8_t s : test::SynthesizePackets(packets, options)) doc.FeedSample(s);
    for (int i = 0; i < CVantrelDoc::kRingLength; ++i) doc.FeedSample(128);
    EXPECT_EQ(doc.MessagesInArrivalOrder(), expected);
    EXPECT_DOUBLE_EQ(doc.satellites[12].frequency, 137.5);
    EXPECT_NEAR(doc.satellites[12].latitude, 45.000173, 1e-6);
    EXPECT_NEAR(doc.satellites[12].longitude, 36.869898, 1e-6);
  }
}

TEST_F(PacketSearch, PacketsWrappingTheRingEndAreReadWhole) {
  doc_.polarity = 0;
  // Sample k of the audio lands in ring slot (47500 + k) mod 48000, so both
  // packets straddle the end of the ring.
  doc_.ringWriteIndex = 47500;
  SynthOptions options;
  options.leadInSamples = 100;
  Feed(test::SynthesizePackets({EveryType()[6].packet, EveryType()[0].packet}, options));
  Flush();
  EXPECT_EQ(Lines(), (std::vector<std::string>{EveryType()[6].line, EveryType()[0].line}));
}

TEST_F(PacketSearch, AcceptedPacketsAreSkippedWhole) {
  doc_.polarity = 0;
  // Back to back, no idle: each search after a packet must start exactly at
  // the next packet's first usable offset.
  const std::vector<Packet> packets = {EveryType()[6].packet, EveryType()[0].packet,
                                       EveryType()[4].packet};
  const auto audio = test::SynthesizePackets(packets, {});
  std::size_t next = 0;
  while (doc_.skipCounter == 0) {
    doc_.FeedSample(next < audio.size() ? audio[next] : 128);
    ASSERT_LT(++next, 50000u);
  }
  EXPECT_EQ(doc_.skipCounter, 1919);  // ephemeris: 24 bytes
  ASSERT_EQ(Lines().size(), 1u);
  // The samples the packet covers are only stored...
  for (int i = 0; i < 1919; ++i) doc_.FeedSample(128);
  EXPECT_EQ(Lines().size(), 1u);
  EXPECT_EQ(doc_.skipCounter, 0);
  // ...and the very next search lands on the sync packet's first usable offset.
  doc_.FeedSample(128);
  EXPECT_EQ(Lines().size(), 2u);
  EXPECT_EQ(doc_.skipCounter, 959);
  Flush();
  EXPECT_EQ(Lines(), (std::vector<std::string>{EveryType()[6].line, EveryType()[0].line,
                                               EveryType()[4].line}));
}

TEST_F(PacketSearch, FailedCheckSearchesAgainAtTheNextSample) {
  doc_.polarity = 0;
  // Half a sync packet (good type byte, no valid check) directly followed by
  // a whole one: skipping a packet length after the failed check would miss it.
  Packet broken = {0x65, 0xA8, 0xF9, 0x0C, 0x00, 0x00};
  const auto audio = test::SynthesizePackets({broken, EveryType()[0].packet}, {});
  Feed(audio);
  Flush();
  EXPECT_EQ(Lines(), std::vector<std::string>{EveryType()[0].line});
}

TEST_F(PacketSearch, AbandonedPacketsLeaveNoTraceAndDoNotSkip) {
  doc_.polarity = 0;
  const Packet fmZero = WithChecksum({0x65, 0xA8, 0xF9, 0x00, 0x00, 0xC8, 0x30, 0, 0, 0});
  const Packet partThreeOfTwo = WithChecksum({0x1A, 0x22, 0, 0, 0, 0, 0, 0, 0, 0});
  Packet ephemerisFm37 = EveryType()[6].packet;
  ephemerisFm37.resize(22);
  ephemerisFm37[1] = 37;
  ephemerisFm37 = WithChecksum(ephemerisFm37);
  const auto audio =
      test::SynthesizePackets({fmZero, partThreeOfTwo, ephemerisFm37, EveryType()[2].packet}, {});
  for (int i = 0; i < CVantrelDoc::kRingLength + static_cast<int>(audio.size()); ++i) {
    doc_.FeedSample(i < static_cast<int>(audio.size()) ? audio[i] : 128);
    // Only the final uplink packet may start a skip.
    if (doc_.skipCounter > 0) {
      ASSERT_FALSE(Lines().empty()) << "skip after an abandoned packet";
    }
  }
  EXPECT_EQ(Lines(), std::vector<std::string>{EveryType()[2].line});
  EXPECT_EQ(doc_.satellites[0].frequency, 0.0);
  EXPECT_EQ(doc_.satellites[37 % 37].positionTime, 0);
  EXPECT_EQ(doc_.lastSatellite, 0);
}

TEST_F(PacketSearch, SyncFilterOffAcceptsWithoutStoring) {
  doc_.polarity = 0;
  doc_.filters[kFilterSync] = 0;
  const Packet fmZero = WithChecksum({0x65, 0xA8, 0xF9, 0x00, 0x00, 0xC8, 0x30, 0, 0, 0});
  Feed(test::SynthesizePackets({fmZero, EveryType()[0].packet}, {}));
  Flush();
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(doc_.satellites[12].frequency, 0.0);
  EXPECT_EQ(doc_.lastDecodeTime, kMay12);  // a good sync word still counts as heard
}

TEST_F(PacketSearch, PolarityWatchFlipsOnlyAfterFiveQuietSeconds) {
  // Nothing decoded: the flag alternates on every tick.
  for (int tick = 0; tick < 4; ++tick) {
    const int before = doc_.polarity;
    clock_.Advance(2);
    doc_.WatchPolarity();
    EXPECT_NE(doc_.polarity, before);
  }
  // A sync packet heard at T holds the polarity through T + 5.
  doc_.polarity = 0;
  Feed(test::SynthesizePackets({EveryType()[0].packet}, {}));
  Flush();
  ASSERT_EQ(Lines().size(), 1u);
  const CTime heard = clock_.Now();
  EXPECT_EQ(doc_.lastDecodeTime, heard);
  for (int s = 1; s <= 5; ++s) {
    clock_.Set(heard + s);
    doc_.WatchPolarity();
    EXPECT_EQ(doc_.polarity, 0) << "at T+" << s;
  }
  clock_.Set(heard + 6);
  doc_.WatchPolarity();
  EXPECT_EQ(doc_.polarity, 1);
}

TEST_F(PacketSearch, EphemerisDoesNotHoldThePolarity) {
  doc_.polarity = 0;
  Feed(test::SynthesizePackets({EveryType()[6].packet}, {}));
  Flush();
  ASSERT_EQ(Lines().size(), 1u);
  doc_.WatchPolarity();
  EXPECT_EQ(doc_.polarity, 1);
}

// Positions on the polar axis (x = y = 0) must land on the right pole.
TEST_F(PacketSearch, EphemerisOnThePolarAxis) {
  doc_.polarity = 0;
  const auto polar = [](int fm, std::uint32_t zField) {
    // x and y fields at their zero point 0x80000, z as given; Sunday 00:00:00.
    const std::uint64_t n = 0x80000ull | (0x80000ull << 20) | (std::uint64_t{zField} << 40);
    Packet p(22, 0);
    p[0] = 0x1F;
    p[1] = static_cast<std::uint8_t>(fm);
    for (int i = 0; i < 8; ++i) p[2 + i] = static_cast<std::uint8_t>(n >> (8 * i));
    return WithChecksum(p);
  };
  Feed(test::SynthesizePackets({polar(3, 0x80000 + 437500), polar(4, 0x80000 - 437500),
                                polar(5, 0x80000)},
                               {}));
  Flush();
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Ephemeris  FM-03 wk. 0, Sun, 00:00:00 pos. 90.000000 0.000000",
                         "Ephemeris  FM-04 wk. 0, Sun, 00:00:00 pos. -90.000000 0.000000",
                         "Ephemeris  FM-05 wk. 0, Sun, 00:00:00 pos. 0.000000 0.000000"}));
  EXPECT_EQ(doc_.satellites[3].latitude, 90.0);
  EXPECT_EQ(doc_.satellites[4].latitude, -90.0);
}

TEST_F(PacketSearch, FeedBufferDecodesOnlyWhileRunningAndNotBusy) {
  doc_.polarity = 0;
  SynthOptions options;
  options.leadInSamples = 100;
  auto audio = test::SynthesizePackets({EveryType()[0].packet}, options);
  audio.resize(CVantrelDoc::kRingLength, 128);
  const auto handOver = [&](const std::vector<std::uint8_t>& buffer) {
    doc_.processingBuffer = buffer;
    doc_.FeedBuffer();
  };
  const std::vector<std::uint8_t> quiet(CVantrelDoc::kRingLength, 128);

  handOver(audio);  // capture stopped: not even stored
  handOver(quiet);
  EXPECT_EQ(doc_.ringWriteIndex, 0);
  EXPECT_TRUE(Lines().empty());

  doc_.captureRunning = 1;
  doc_.decodingBusy = 1;  // a buffer handed over while another is fed is dropped
  handOver(audio);
  EXPECT_EQ(doc_.decodingBusy, 1);
  doc_.decodingBusy = 0;
  handOver(quiet);
  EXPECT_TRUE(Lines().empty());

  handOver(audio);
  EXPECT_EQ(doc_.decodingBusy, 0);
  EXPECT_TRUE(Lines().empty());  // found only when it is the oldest second
  handOver(quiet);
  EXPECT_EQ(Lines(), std::vector<std::string>{EveryType()[0].line});
}

}  // namespace
}  // namespace vantrel
