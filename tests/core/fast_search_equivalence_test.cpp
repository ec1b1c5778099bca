// The document's packet search against the plain one that reads 80 ring
// entries per position: for the same audio both must hand the same packets to
// interpretation at the same positions and leave the same state behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "base/packet_types.h"
#include "document/vantrel_doc.h"
#include "support/reference_search.h"
#include "support/watched_doc.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

using synth::Packet;
using Audio = std::vector<std::uint8_t>;

constexpr int kRing = VantrelDoc::kRingLength;

// Back-to-back random packets with good checks, some of types outside the
// eight (taken only right after another packet); interpretation abandons some.
Audio DenseStream(std::uint32_t seed, double seconds, bool inverted, double noise) {
  static constexpr std::uint8_t kTypes[] = {0x1A, 0x1B, 0x1C, 0x1D, 0x1E,
                                            0x1F, 0x22, 0x65, 0x0A, 0x18};
  std::mt19937 rng(seed);
  std::vector<Packet> packets;
  for (int i = 0; i < seconds * 42; ++i) {
    const std::uint8_t type = kTypes[rng() % std::size(kTypes)];
    Packet bytes(type == kTypeEphemeris ? 22 : 10);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    bytes[0] = type;
    if (type == kTypeSync && rng() % 4 != 0)
      bytes[1] = 0xA8, bytes[2] = 0xF9, bytes[3] = 1 + rng() % 40;
    packets.push_back(synth::WithChecksum(bytes));
  }
  synth::SynthOptions options{.noise = noise, .inverted = inverted, .seed = seed};
  options.leadInSamples = static_cast<int>(rng() % 2000);
  options.idleBits = static_cast<int>(rng() % 4) / 2;  // 0 in half the streams
  return synth::SynthesizePackets(packets, options);
}

class FastSearchEquivalence : public ::testing::Test {
 protected:
  FastSearchEquivalence() : clock_(1178964672), fast_(clock_), plain_(clock_) {}

  void FeedBuffer(const Audio& audio) {
    fast_.label = plain_.label = ++labels_;
    fast_.DecodeSamples(audio.data(), audio.size());
    if (!plain_.decodingBusy) test::ReferenceFeedSamples(plain_, audio.data(), audio.size());
  }
  // The audio in buffers of the given sizes, the last repeated; before(n) runs ahead of buffer n.
  void FeedBuffers(const Audio& audio, std::vector<std::size_t> sizes,
                   const std::function<void(std::size_t)>& before = {}) {
    for (std::size_t at = 0, n = 0; at < audio.size(); ++n) {
      const std::size_t end = std::min(audio.size(), at + sizes[std::min(n, sizes.size() - 1)]);
      if (before) before(n);
      FeedBuffer(Audio(audio.begin() + static_cast<std::ptrdiff_t>(at),
                       audio.begin() + static_cast<std::ptrdiff_t>(end)));
      at = end;
    }
  }
  void FeedSamples(const Audio& audio) {
    for (const std::uint8_t sample : audio) {
      fast_.label = plain_.label = ++labels_;
      fast_.FeedSample(sample);
      test::ReferenceFeedSample(plain_, sample);
    }
  }
  void Both(const std::function<void(VantrelDoc&)>& set) { set(fast_), set(plain_); }
  void ExpectSame() {
    EXPECT_EQ(fast_.found, plain_.found);
    // Ring, write index, skip counter, back-to-back flag and polarity.
    EXPECT_TRUE(fast_.packetSearch().state() == plain_.packetSearch().state());
    EXPECT_EQ(fast_.interpreter().lastDecodeTime(), plain_.interpreter().lastDecodeTime());
  }

  HeldClock clock_;
  WatchedDoc fast_;
  WatchedDoc plain_;
  int labels_ = 0;
};

// Noise, then dense packets of both signal polarities with the polarity watch
// running between buffers (noisy copies make near misses: bad checks, packets
// found a sample early or late); then buffers of any size (around one and two
// packet lengths, longer than the ring), dropped by the busy flag, capture
// restarts (write index back to 0 with the old ring in place), and single samples.
TEST_F(FastSearchEquivalence, BuffersOfAnySizeSkipsRestartsSamplesAndPolarityWatch) {
  FeedBuffers(synth::SynthesizeNoise(kRing, 120.0, 1), {kRing});
  const auto watch = [&](std::size_t) {
    clock_.Advance(2);
    Both([](VantrelDoc& d) { d.WatchPolarity(); });
  };
  struct Case {
    std::uint32_t seed;
    bool inverted;
    double noise;
  };
  for (const Case c : {Case{11, false, 0.0}, Case{12, true, 12.0}, Case{13, false, 30.0}})
    FeedBuffers(DenseStream(c.seed, 2.5, c.inverted, c.noise), {kRing}, watch);
  EXPECT_GT(fast_.found.size(), 100u);

  Both([](VantrelDoc& d) { d.packetSearch().SetPolarity(0); });
  const std::vector<std::size_t> sizes = {1,    7,    959,   960,    961,   1919,
                                          1920, 1921, 47999, 100003, 48001, 5000};
  FeedBuffers(DenseStream(21, 5.0, false, 8.0), sizes, [&](std::size_t n) {
    Both([&](VantrelDoc& d) { d.decodingBusy = n == 1 || n == 11; });
    if (n == 2 || n == 9)
      Both([&](VantrelDoc& d) { d.packetSearch().SetWriteIndex(n == 2 ? 0 : 30000); });
  });
  const Audio more = DenseStream(41, 2.0, true, 10.0);
  Both([](VantrelDoc& d) { d.packetSearch().SetPolarity(1); });
  FeedSamples(Audio(more.begin(), more.begin() + 40000));
  Both([](VantrelDoc& d) { d.packetSearch().SetWriteIndex(0); });
  FeedSamples(Audio(more.begin() + 40000, more.end()));
  FeedSamples(synth::SynthesizeNoise(kRing / 2, 120.0, 43));
  FeedSamples(synth::SynthesizeNoise(kRing, 5.0, 44));
  EXPECT_TRUE(std::ranges::any_of(fast_.found, [](const WatchedPacket& p) {
    return !IsPacketType(p.bytes[0]);
  })) << "no packet taken back to back";
  ExpectSame();
}

}  // namespace
}  // namespace vantrel
