// The sensitive demodulator: error correction and framing on soft bits, and
// weak, drifting audio of either polarity through the receiver document.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>

#include "demod/soft_packet_finder.h"
#include "document/vantrel_doc.h"
#include "synth/baseband_synth.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

using synth::Packet;
using synth::WithChecksum;

const Packet kMessage = WithChecksum({0x1A, 0x21, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF});

// Soft bits of packets after 20 erasures: +-1, flipped bits turned to the
// wrong sign with the given reliability.
struct Stream {
  std::vector<float> bits = std::vector<float>(20, 0.0f);
  void Add(const Packet& p, bool inverted = false, std::vector<int> flips = {}, float weak = 0.2f) {
    const std::size_t first = bits.size();
    for (const std::uint8_t byte : p)
      for (int k = 0; k < 8; ++k)
        bits.push_back((((byte >> k) & 1) != 0) != inverted ? 1.0f : -1.0f);
    for (const int f : flips) bits[first + f] *= -weak;
  }
};

std::vector<FoundPacket> Find(const std::vector<float>& bits, std::vector<Packet>* bytes,
                              CorrectionOptions options = {},
                              PacketOutcome answer = PacketOutcome::Accepted) {
  std::vector<FoundPacket> found;
  SoftPacketFinder finder(
      [&](const FoundPacket& p) {
        found.push_back(p);
        bytes->emplace_back(p.bytes, p.bytes + p.length);
        return answer;
      },
      options);
  for (const float b : bits) finder.Push(b);
  finder.Flush();
  return found;
}

TEST(SoftPacketFinder, CorrectsWeakBitsOnlyAndReadsBothPolarities) {
  const Packet noSyncWord = WithChecksum({0x65, 0x11, 0xF9, 0x0C, 0, 0xC8, 0x30, 0, 0, 0});
  struct Row {
    Packet packet;
    bool inverted;
    std::vector<int> flips;
    float weak;
    int corrected;
  };
  const Row rows[] = {
      {kMessage, false, {37}, 0.2f, 1},  // located from the two sums
      {kMessage, true, {90}, 0.2f, 1},
      {kMessage, false, {12, 61}, 0.1f, 2},      // two of the weakest bits
      {kMessage, false, {37}, 1.0f, -1},         // a confident wrong bit is left alone
      {kMessage, false, {3, 40, 77}, 0.1f, -1},  // more than two: not a packet
      {noSyncWord, false, {}, 0.2f, 0},          // checks, so taken as it stands
      {noSyncWord, false, {50}, 0.2f, -1},       // but never made by correction
  };
  for (const Row& row : rows) {
    Stream s;
    s.Add(row.packet, row.inverted, row.flips, row.weak);
    std::vector<Packet> bytes;
    const auto found = Find(s.bits, &bytes);
    SCOPED_TRACE(row.flips.size());
    ASSERT_EQ(found.size(), row.corrected < 0 ? 0u : 1u);
    if (row.corrected < 0) continue;
    EXPECT_EQ(bytes[0], row.packet);
    EXPECT_EQ(found[0].correctedBits, row.corrected);
    EXPECT_EQ(found[0].polarity, row.inverted ? 1 : 0);
  }
}

TEST(SoftPacketFinder, BackToBackPacketWithAHitTypeByteAndNoiseAlone) {
  // 0x1A with bit 4 flipped reads 0x0A, no packet type: only framing finds it.
  Stream pair, alone;
  pair.Add(kMessage);
  pair.Add(kMessage, false, {4});
  alone.Add(kMessage, false, {4});
  std::vector<Packet> bytes;
  const auto found = Find(pair.bits, &bytes);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[1].correctedBits, 1);
  EXPECT_EQ(bytes[1], kMessage);
  EXPECT_TRUE(Find(alone.bits, &bytes).empty());
  // An abandoned packet does not frame the next one.
  EXPECT_EQ(Find(pair.bits, &bytes, {}, PacketOutcome::Abandoned).size(), 1u);

  // A type outside the eight is taken back to back (either polarity, one
  // weak bit mended), and not alone, one bit late or after twelve zero bytes
  // (a carrier without data, which is no packet).
  const Packet other = WithChecksum({0x0A, 0x48, 0xB9, 0x95, 0x24, 0xC2, 0x21, 0xA3, 0x00, 0x12});
  Stream chain, late, lone, blank;
  chain.Add(kMessage, true);
  chain.Add(other, true, {30});
  chain.Add(other, true);
  late.Add(kMessage);
  late.bits.push_back(1.0f);
  late.Add(other);
  lone.Add(other);
  blank.Add(kMessage);
  blank.Add(Packet(12, 0));
  blank.Add(other);
  bytes.clear();
  const auto chained = Find(chain.bits, &bytes);
  ASSERT_EQ(chained.size(), 3u);
  EXPECT_EQ(bytes[1], other);
  EXPECT_EQ(bytes[2], other);
  EXPECT_EQ(chained[1].correctedBits, 1);
  EXPECT_EQ(Find(late.bits, &bytes).size(), 1u);
  EXPECT_TRUE(Find(lone.bits, &bytes).empty());
  EXPECT_EQ(Find(blank.bits, &bytes).size(), 1u);

  std::mt19937 engine(5);
  std::normal_distribution<float> gauss;
  std::vector<float> noise(300000);
  for (float& b : noise) b = gauss(engine);
  EXPECT_TRUE(Find(noise, &bytes).empty());
}

// Corrections for a continuous downlink: a corrected packet must lie a whole
// number of packets after the last accepted one (a packet that checks as it
// stands starts the grid anywhere), and a correction that another set of
// weak bits could have made as well is no correction.
TEST(SoftPacketFinder, CorrectionsKeepToTheGridAndAreUnambiguous) {
  std::vector<Packet> bytes;  // of the last search
  const auto found = [&](const Stream& s, CorrectionOptions options) {
    std::vector<long long> starts;
    bytes.clear();
    for (const FoundPacket& p : Find(s.bits, &bytes, options)) starts.push_back(p.startBit);
    return starts;
  };
  const CorrectionOptions framed{.framedCorrections = true};
  Stream onGrid, gapOnGrid, offGrid, first;
  onGrid.Add(kMessage);
  onGrid.Add(kMessage, false, {37});
  gapOnGrid.Add(kMessage);
  gapOnGrid.bits.resize(gapOnGrid.bits.size() + 2 * 96, 0.0f);  // two packets lost
  gapOnGrid.Add(kMessage, true, {37});
  offGrid.Add(kMessage);
  offGrid.bits.resize(offGrid.bits.size() + 95, 0.0f);
  offGrid.Add(kMessage, false, {37});
  first.Add(kMessage, false, {37});
  first.Add(kMessage);
  EXPECT_EQ(found(onGrid, framed), (std::vector<long long>{20, 116}));
  EXPECT_EQ(found(gapOnGrid, framed), (std::vector<long long>{20, 308}));
  EXPECT_EQ(found(offGrid, framed), (std::vector<long long>{20}));
  EXPECT_EQ(found(first, framed), (std::vector<long long>{116}));  // no grid yet

  // Bit 7 flipped in bytes 6 and 8 leaves both sums as they were. Read with
  // bits 37 and 55 wrong, 55 only half sure, the packet is mended by the two
  // weakest bits, 37 and 71, into another packet that checks; 37 and 55 mend
  // it as well at little more cost.
  Stream misread, twoWeak;
  misread.Add(kMessage, false, {37, 55}, 0.1f);
  misread.bits[20 + 55] *= 5.0f;  // wrong, half sure
  misread.bits[20 + 71] *= 0.1f;  // right, but weak
  twoWeak.Add(kMessage, false, {37, 61}, 0.1f);
  Packet wrong = kMessage;
  wrong[6] ^= 0x80;
  wrong[8] ^= 0x80;
  EXPECT_EQ(found(misread, {}).size(), 1u);
  EXPECT_EQ(bytes, std::vector<Packet>{wrong});
  const CorrectionOptions unambiguous{.ambiguityMargin = 0.5f};
  EXPECT_TRUE(found(misread, unambiguous).empty());
  EXPECT_EQ(found(twoWeak, unambiguous).size(), 1u);
  EXPECT_EQ(bytes, std::vector<Packet>{kMessage});

  // Misread symbols flip neighbouring bits: two of them (8-9, 40-41) read
  // like one other (57-58, right but weak). Only a rival search among
  // symbols sees that.
  Stream twoSymbols;
  twoSymbols.Add(kMessage, false, {8, 9, 40, 41}, 0.1f);
  twoSymbols.bits[20 + 57] *= 0.1f;
  twoSymbols.bits[20 + 58] *= 0.1f;
  const CorrectionOptions pairs{.pairCandidates = 16, .ambiguityMargin = 0.5f};
  const CorrectionOptions symbols{
      .pairCandidates = 16, .ambiguityMargin = 0.5f, .symbolErrors = true};
  EXPECT_EQ(found(twoSymbols, pairs).size(), 1u);
  EXPECT_TRUE(found(twoSymbols, symbols).empty());
  // Alone, the two misread symbols are mended together.
  Stream twoAlone;
  twoAlone.Add(kMessage, false, {8, 9, 40, 41}, 0.1f);
  EXPECT_TRUE(found(twoAlone, pairs).empty());
  EXPECT_EQ(found(twoAlone, symbols).size(), 1u);
  EXPECT_EQ(bytes, std::vector<Packet>{kMessage});

  // A wrong bit among 15 weak ones is mended only where that many are allowed.
  Stream manyWeak;
  manyWeak.Add(kMessage, false, {37});
  for (int i = 40; i < 54; ++i) manyWeak.bits[20 + i] *= 0.3f;
  EXPECT_TRUE(found(manyWeak, {}).empty());
  EXPECT_EQ(found(manyWeak, {.maxWeakToCorrect = 16}).size(), 1u);
}

class SensitiveAudio : public ::testing::Test {
 protected:
  SensitiveAudio() : clock_(1178964672), doc_(clock_, "/nonexistent/") {
    doc_.logFlag = 0;
    doc_.interpreter().filters()[kFilterFill] = 1;
    doc_.SetDemodulator(kDemodulatorSensitive);
    std::mt19937 engine(7);
    for (int i = 0; i < kCount; ++i) {
      Packet p{0x1D};
      for (int k = 0; k < 9; ++k) p.push_back(static_cast<std::uint8_t>(engine()));
      packets_.push_back(WithChecksum(p));
    }
  }
  // Lines decoded from the audio fed as capture buffers, then a quiet second.
  int Decoded(std::vector<std::uint8_t> audio) {
    audio.resize(audio.size() + 48000, 128);
    doc_.DecodeSamples(audio.data(), audio.size());
    return static_cast<int>(doc_.MessagesInArrivalOrder().size());
  }
  static constexpr int kCount = 90;
  HeldClock clock_;
  VantrelDoc doc_;
  std::vector<Packet> packets_;
};

TEST_F(SensitiveAudio, WeakDriftingSignalsOfEitherPolarity) {
  const double sigma = 60 / std::pow(10.0, 8.0 / 20);  // 8 dB peak SNR
  struct Row {
    bool inverted;
    double ppm, dc;
    bool receiverChain;
  };
  for (const Row& row :
       {Row{false, 300, 30, false}, Row{true, -300, -30, false}, Row{true, 300, 0, true}}) {
    SCOPED_TRACE(row.dc);
    // The receiver chain at Eb/N0 13 dB, its carrier drifting 100 Hz/s.
    synth::BasebandOptions chain{.ebN0Db = 13, .carrierHz = -1500, .driftHzPerSecond = 100};
    chain.clockPpm = row.ppm, chain.inverted = row.inverted, chain.leadInBits = 500;
    synth::SynthOptions plain{.noise = sigma, .inverted = row.inverted, .clockPpm = row.ppm};
    plain.leadInSamples = row.inverted ? 3333 : 0, plain.dcOffset = row.dc, plain.seed = 9;
    const auto audio =
        row.receiverChain ? synth::DiscriminatorAudio(synth::ModulateBaseband(packets_, chain), 120)
                          : synth::SynthesizePackets(packets_, plain);
    doc_.messageRing().Clear();
    // A packet at the very start decodes too, read again once the clock is found.
    EXPECT_EQ(Decoded(audio), kCount);
    EXPECT_EQ(doc_.packetSource.demodulator, DemodulatorKind::Sensitive);
    EXPECT_EQ(doc_.packetSearch().polarity(), row.inverted ? 1 : 0);
    clock_.Set(clock_.Now() + 60);
    doc_.WatchPolarity();  // no watch: the polarity stays with the last packet
    EXPECT_EQ(doc_.packetSearch().polarity(), row.inverted ? 1 : 0);
  }
}

// Narrower pulses (a receiver with a wider filter) get a filter matched to
// them: at 6 dB peak SNR a filter for the usual width reads about 3 in 4.
TEST_F(SensitiveAudio, NarrowPulsesGetTheirOwnFilter) {
  const double sigma = 60 / std::pow(10.0, 6.0 / 20);
  const auto audio = synth::SynthesizePackets(
      packets_, {.noise = sigma, .leadInSamples = 3333, .dcOffset = 20, .pulseWidth = 5});
  EXPECT_GE(Decoded(audio), kCount * 85 / 100);
}

// Pairs of packets between pauses of silence, of noise and of unmodulated
// carrier (a DC level), each pair at its own bit phase and polarity: the
// sensitive demodulator reads every pair from its first bit, the clock and
// levels taken afresh, and misses nothing the classic search finds.
TEST_F(SensitiveAudio, EveryPacketAfterAPause) {
  const double sigma = 60 / std::pow(10.0, 10.0 / 20);
  for (const int kind : {0, 1, 2}) {
    SCOPED_TRACE(kind);
    // Silence or noise before an off-tune signal (a squelch opening), or its carrier.
    const double dc = kind == 2 ? 25 : 0, burstDc = kind == 2 ? 25 : 30;
    std::vector<std::uint8_t> audio;
    for (int i = 0; i + 1 < kCount; i += 2) {
      const int pause = 24000 + 7 * i;
      const auto quiet = synth::SynthesizeNoise(pause, kind == 0 ? 0 : sigma, 100 + i);
      for (const std::uint8_t q : quiet) audio.push_back(static_cast<std::uint8_t>(q + dc));
      const auto burst = synth::SynthesizePackets(
          {packets_[i], packets_[i + 1]},
          {.noise = sigma, .inverted = i % 4 == 0, .dcOffset = burstDc, .seed = std::uint32_t(i)});
      audio.insert(audio.end(), burst.begin(), burst.end());
    }
    std::set<std::string> lines[2];
    for (const int demodulator : {kDemodulatorClassic, kDemodulatorSensitive}) {
      doc_.SetDemodulator(demodulator);
      doc_.messageRing().Clear();
      Decoded(audio);
      const auto got = doc_.MessagesInArrivalOrder();
      lines[demodulator].insert(got.begin(), got.end());
    }
    EXPECT_TRUE(std::includes(lines[1].begin(), lines[1].end(), lines[0].begin(), lines[0].end()));
    EXPECT_GE(lines[1].size(), kCount - 1u);
  }
}

}  // namespace
}  // namespace vantrel
