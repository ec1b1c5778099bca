// Synthesized discriminator audio through the packet search, sample by sample
// as capture feeds it: the lines and tables it gives, what it skips, and the
// polarity watch. The daily log files are the decode tool's tests'.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/vantrel_doc.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

using synth::Packet;
using synth::WithChecksum;
using Lines = std::vector<std::string>;

constexpr CTime kMay12 = 1178964672;  // 2007-05-12 10:11:12 UTC

// Bytes in hex; check bytes are added to 10 or 22 given.
Packet Hex(const std::string& hex) {
  Packet bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
    bytes.push_back(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes.size() % 12 == 10 ? WithChecksum(bytes) : bytes;
}

enum { kSync, kUplink, kNetwork, kEphemeris };
// Packets with their lines; the worked examples with their check bytes.
const std::vector<std::pair<Packet, std::string>> kKnown = {
    {Hex("65 A8 F9 0C 00 C8 30 00 00 00 58 9E"), "Spacecraft FM-12 137.5000MHz frame 03"},
    {Hex("1B 00 00 01 02 00 05 06 07 00"), "Uplink channels 148.0025MHz 148.0050MHz "},
    {Hex("1D 01 02 03 04 05 06 07 08 09"), "Network Control 010203040506070809"},
    {Hex("1F 0C 90 D0 CB C6 AD B4 C4 0C 00 00 00 00 00 00 00 40 32 03 78 05 49 78"),
     "Ephemeris  FM-12 wk. 1400, Tue, 10:11:12 pos. 45.000173 36.869898"},
};
const Packet& P(int type) { return kKnown[type].first; }
const std::string& L(int type) { return kKnown[type].second; }

class Decoding : public ::testing::Test {
 protected:
  Decoding() : clock_(kMay12), doc_(clock_, "/nonexistent/") {
    doc_.logFlag = 0;
    doc_.packetSearch().SetPolarity(0);
  }

  void Feed(const std::vector<std::uint8_t>& audio) {
    for (const std::uint8_t s : audio) doc_.FeedSample(s);
  }
  // A packet is found once its first sample is the oldest in the ring, so a
  // second of mid level brings out everything fed before it.
  void Flush() { Feed(std::vector<std::uint8_t>(VantrelDoc::kRingLength, 128)); }
  void Decode(const std::vector<Packet>& packets, synth::SynthOptions options = {}) {
    Feed(synth::SynthesizePackets(packets, options));
    Flush();
  }
  Lines Got() const { return doc_.MessagesInArrivalOrder(); }
  int Skip() const { return doc_.packetSearch().state().skipCounter; }

  HeldClock clock_;
  VantrelDoc doc_;
};

TEST_F(Decoding, PacketsAcrossTheRingEndAndOnThePolarAxis) {
  // Audio sample k lands in ring slot (47500 + k) mod 48000: both packets straddle the end.
  doc_.packetSearch().SetWriteIndex(47500);
  Decode({P(kEphemeris), P(kSync)}, {.leadInSamples = 100});
  EXPECT_EQ(Got(), (Lines{L(kEphemeris), L(kSync)}));
  EXPECT_EQ(doc_.interpreter().lastSatellite(), 12);  // the last satellite to report a position

  // x = y = 0 in the position fields: the poles and the centre, never NaN.
  Decode({Hex("1F 03 00 00 08 00 80 FC AC 0E 00 00 00 00 00 00 00 00 00 00 00 00"),
          Hex("1F 04 00 00 08 00 80 04 53 01 00 00 00 00 00 00 00 00 00 00 00 00"),
          Hex("1F 05 00 00 08 00 80 00 00 08 00 00 00 00 00 00 00 00 00 00 00 00")});
  const Lines got = Got();
  EXPECT_EQ(Lines(got.begin() + 2, got.end()),
            (Lines{"Ephemeris  FM-03 wk. 0, Sun, 00:00:00 pos. 90.000000 0.000000",
                   "Ephemeris  FM-04 wk. 0, Sun, 00:00:00 pos. -90.000000 0.000000",
                   "Ephemeris  FM-05 wk. 0, Sun, 00:00:00 pos. 0.000000 0.000000"}));
}

TEST_F(Decoding, AcceptedPacketsAreSkippedWholeFailedChecksSearchOn) {
  // Back to back: each search after a packet must land on the next one's first usable offset.
  const auto audio = synth::SynthesizePackets({P(kEphemeris), P(kSync), P(kNetwork)}, {});
  std::size_t next = 0;
  while (Skip() == 0) {
    doc_.FeedSample(next < audio.size() ? audio[next] : 128);
    ASSERT_LT(++next, 50000u);
  }
  EXPECT_EQ(Skip(), 1919);
  for (int i = 0; i < 1919; ++i) doc_.FeedSample(128);
  EXPECT_EQ(Got().size(), 1u);
  doc_.FeedSample(128);
  EXPECT_EQ(Got().size(), 2u);
  EXPECT_EQ(Skip(), 959);
  Flush();
  EXPECT_EQ(Got(), (Lines{L(kEphemeris), L(kSync), L(kNetwork)}));

  // Half a sync packet (good type byte, bad check) right before a whole one.
  Decode({Hex("65 A8 F9 0C 00 00"), P(kSync)});
  EXPECT_EQ(Got().size(), 4u);
}

TEST_F(Decoding, AbandonedPacketsLeaveNoTraceAndDoNotSkip) {
  const auto audio = synth::SynthesizePackets(
      {Hex("65 A8 F9 00 00 C8 30 00 00 00"),                                      // FM-00
       Hex("1A 22 00 00 00 00 00 00 00 00"),                                      // part 3 of 2
       Hex("1F 0C 90 D0 CB C6 AD B4 C4 0C 00 00 00 00 00 00 00 40 32 0B 78 05"),  // day 8
       P(kUplink)},
      {});
  for (std::size_t i = 0; i < VantrelDoc::kRingLength + audio.size(); ++i) {
    doc_.FeedSample(i < audio.size() ? audio[i] : 128);
    ASSERT_TRUE(Skip() == 0 || !Got().empty()) << "skip after an abandoned packet";
  }
  EXPECT_EQ(Got(), Lines{L(kUplink)});
  EXPECT_EQ(doc_.interpreter().satellites()[0].frequency, 0.0);
  EXPECT_EQ(doc_.interpreter().satellites()[12].positionTime, 0);
  EXPECT_EQ(doc_.interpreter().lastSatellite(), 0);

  // Day 7 is the last day kept, named "Err"; FM-255 the last satellite.
  Decode({synth::EphemerisPacket(255, 45.0, 36.87, 800.0, 1400, 7 * 86400)});
  EXPECT_NE(Got().back().find("FM-255 wk. 1400, Err, 00:00:00 pos."), std::string::npos)
      << Got().back();
}

// Today's downlink: satellites above 36, and types outside the eight, which
// are taken only where a packet follows an accepted one without a gap.
TEST_F(Decoding, TodaysDownlinkBackToBackAndOtherTypesNowhereElse) {
  const Packet other = Hex("0A 48 B9 95 24 C2 21 A3 00 12");
  const std::string otherLine = "Packet 0x0A  0A 48 B9 95 24 C2 21 A3 00 12";
  Decode({Hex("65 A8 F9 2C 00 40 30 00 00 00"), other,  // channel 64: the top of the band
          Hex("1F 2C 90 D0 CB C6 AD B4 C4 0C 00 00 00 00 00 00 00 40 32 03 78 05"),
          Hex("22 2C 2C 00 00 80 00 00 00 F0"), Hex("18 01 91 5A 10 0F 70 F3 1A 00")});
  EXPECT_EQ(Got(), (Lines{"Spacecraft FM-44 137.8000MHz frame 03", otherLine,
                          "Ephemeris  FM-44 wk. 1400, Tue, 10:11:12 pos. 45.000173 36.869898",
                          "Elements   FM-44 Ma 180.00001073\xB0 Mm  14.06250100/day ",
                          "Packet 0x18  18 01 91 5A 10 0F 70 F3 1A 00"}));
  EXPECT_DOUBLE_EQ(doc_.interpreter().satellites()[44].frequency, 137.8);
  EXPECT_EQ(doc_.interpreter().satellites()[44].positionTime, kMay12);
  EXPECT_EQ(doc_.interpreter().lastSatellite(), 44);

  // Alone, or after twelve zero bytes (what a carrier without data reads as):
  // passed over; a gap of idle bits is the noise run's.
  doc_.messageRing().Clear();
  Decode({other}, {.leadInSamples = 500});
  Decode({P(kSync), Packet(12, 0), other});
  EXPECT_EQ(Got(), Lines{L(kSync)});
  // With its filter off it gives no line but still frames the next packet.
  doc_.interpreter().filters()[kFilterOther] = 0;
  Decode({P(kSync), other, Hex("0B 01 FD 24 CC CC CC 20 45 01"), P(kNetwork)});
  EXPECT_EQ(Got(), (Lines{L(kSync), L(kSync), L(kNetwork)}));
  doc_.interpreter().filters()[kFilterOther] = 1;

  // A noise run: packets of the eight types each followed by another type,
  // with or without a gap. Only back to back are the others taken.
  for (const int gap : {0, 1, 3}) {
    doc_.messageRing().Clear();
    for (std::uint32_t i = 0; i < 40; ++i) {
      Feed(synth::SynthesizePackets({P(kNetwork), other},
                                    {.noise = 4.0, .idleBits = gap, .seed = i + 1}));
      Feed(synth::SynthesizeNoise(static_cast<int>(37 * i % 400), 10.0, i));
    }
    Flush();
    const Lines got = Got();
    EXPECT_EQ(std::count(got.begin(), got.end(), L(kNetwork)), 40) << "gap " << gap;
    EXPECT_EQ(std::count(got.begin(), got.end(), otherLine), gap == 0 ? 40 : 0) << "gap " << gap;
    EXPECT_EQ(got.size(), gap == 0 ? 80u : 40u) << "gap " << gap;
  }
}

TEST_F(Decoding, PolarityWatchFlipsOnlyAfterFiveQuietSeconds) {
  Decode({P(kSync)});
  const CTime heard = clock_.Now();
  for (int s = 1; s <= 6; ++s) {
    clock_.Set(heard + s);
    doc_.WatchPolarity();
    EXPECT_EQ(doc_.packetSearch().polarity(), s == 6 ? 1 : 0) << "at T+" << s;
  }
  // Only sync packets hold it.
  doc_.packetSearch().SetPolarity(0);
  Decode({P(kEphemeris)});
  ASSERT_EQ(Got().size(), 2u);
  doc_.WatchPolarity();
  EXPECT_EQ(doc_.packetSearch().polarity(), 1);
}

}  // namespace
}  // namespace vantrel
