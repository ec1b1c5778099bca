// The document's packet search against the plain search that reads 80 ring
// entries per position: for the same audio both must hand the same packets to
// interpretation at the same start positions and leave the same ring, write
// index, skip counter and polarity behind.
#include <gtest/gtest.h>

#include <ostream>
#include <random>

#include "decoder/packet_types.h"
#include "document/vantrel_doc.h"
#include "support/packet_builder.h"
#include "support/reference_search.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

using test::Packet;
using Audio = std::vector<std::uint8_t>;

constexpr int kRing = CVantrelDoc::kRingLength;

struct Found {
  int buffer;    // buffer or sample count the test had fed before
  int position;  // ring write index: the start position searched
  std::int32_t newest;  // newest ring entry, to see the ring was up to date
  int polarity;
  Packet bytes;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
  out << "{buffer " << f.buffer << " at " << f.position << " newest " << f.newest << " polarity "
      << f.polarity << " bytes";
  for (const auto b : f.bytes) out << ' ' << std::hex << int{b} << std::dec;
  return out << '}';
}

// A document that notes every checked packet before interpreting it.
class WatchedDoc : public CVantrelDoc {
 public:
  explicit WatchedDoc(const Clock& clock) : CVantrelDoc(clock, "/nonexistent/") {
    logFlag = 0;
    captureRunning = 1;
  }
  PacketOutcome InterpretPacket(const std::uint8_t* packet) override {
    found.push_back({label, ringWriteIndex, ring[(ringWriteIndex + kRing - 1) % kRing], polarity,
                     Packet(packet, packet + PacketLength(packet[0]))});
    return CVantrelDoc::InterpretPacket(packet);
  }
  std::vector<Found> found;
  int label = 0;
};

// The same audio goes to a document searched by FeedBuffer/FeedSample and to
// one searched by the plain reference.
class FastSearchEquivalence : public ::testing::Test {
 protected:
  FastSearchEquivalence() : clock_(1178964672), fast_(clock_), plain_(clock_) {}

  void FeedBuffer(const Audio& audio) {
    fast_.processingBuffer = plain_.processingBuffer = audio;
    fast_.label = plain_.label = ++buffers_;
    fast_.FeedBuffer();
    test::ReferenceFeedBuffer(plain_);
  }
  // Whole audio in processing buffers of the given size (the last one shorter).
  void FeedBuffers(const Audio& audio, int size) {
    for (std::size_t at = 0; at < audio.size(); at += static_cast<std::size_t>(size)) {
      const auto end = std::min(audio.size(), at + static_cast<std::size_t>(size));
      FeedBuffer(Audio(audio.begin() + static_cast<std::ptrdiff_t>(at),
                       audio.begin() + static_cast<std::ptrdiff_t>(end)));
    }
  }
  void FeedSamples(const Audio& audio) {
    for (const std::uint8_t sample : audio) {
      fast_.label = plain_.label = ++samples_;
      fast_.FeedSample(sample);
      test::ReferenceFeedSample(plain_, sample);
    }
  }
  // A refresh tick: two seconds pass and the polarity watch runs.
  void Tick() {
    clock_.Advance(2);
    fast_.WatchPolarity();
    plain_.WatchPolarity();
  }
  void SetBoth(int CVantrelDoc::*member, int value) {
    fast_.*member = value;
    plain_.*member = value;
  }
  void ExpectSame() {
    EXPECT_EQ(fast_.found, plain_.found);
    EXPECT_EQ(fast_.skipCounter, plain_.skipCounter);
    EXPECT_EQ(fast_.ringWriteIndex, plain_.ringWriteIndex);
    EXPECT_EQ(fast_.polarity, plain_.polarity);
    EXPECT_EQ(fast_.lastDecodeTime, plain_.lastDecodeTime);
    EXPECT_TRUE(fast_.ring == plain_.ring);
  }

  HeldClock clock_;
  WatchedDoc fast_;
  WatchedDoc plain_;
  int buffers_ = 0;
  int samples_ = 0;
};

// Random packets of every type with good checks; interpretation accepts
// some and abandons others (message parts out of range, unknown FM numbers).
std::vector<Packet> RandomPackets(std::mt19937& rng, int count) {
  static constexpr std::uint8_t kTypes[] = {0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x22, 0x65};
  std::vector<Packet> packets;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t type = kTypes[rng() % 8];
    Packet bytes(type == kTypeEphemeris ? 22 : 10);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    bytes[0] = type;
    if (type == kTypeSync && rng() % 4 != 0) {
      bytes[1] = 0xA8;
      bytes[2] = 0xF9;
      bytes[3] = static_cast<std::uint8_t>(1 + rng() % 40);
    }
    packets.push_back(test::WithChecksum(bytes));
  }
  return packets;
}

// About seconds of back-to-back packets in discriminator audio.
Audio DenseStream(std::uint32_t seed, double seconds, bool inverted, double noise) {
  std::mt19937 rng(seed);
  test::SynthOptions options;
  options.noise = noise;
  options.inverted = inverted;
  options.leadInSamples = static_cast<int>(rng() % 2000);
  options.idleBits = static_cast<int>(rng() % 4);
  options.seed = seed;
  return test::SynthesizePackets(RandomPackets(rng, static_cast<int>(seconds * 42)), options);
}

Audio UniformNoise(std::uint32_t seed, int count) {
  std::mt19937 rng(seed);
  Audio audio(static_cast<std::size_t>(count));
  for (auto& s : audio) s = static_cast<std::uint8_t>(rng());
  return audio;
}

TEST_F(FastSearchEquivalence, NoiseInWholeBuffers) {
  FeedBuffers(UniformNoise(1, kRing), kRing);
  FeedBuffers(test::SynthesizeNoise(kRing, 20.0, 2), kRing);
  Tick();
  FeedBuffers(UniformNoise(3, kRing), kRing);
  ExpectSame();
}

// Packets of both signal polarities with the document's polarity flipped by
// the watch between buffers; noisy copies make near misses (bad checks,
// packets found one sample early or late).
TEST_F(FastSearchEquivalence, DensePacketsBothPolaritiesAndFlips) {
  struct Case {
    std::uint32_t seed;
    bool inverted;
    double noise;
  };
  for (const Case c : {Case{11, false, 0.0}, Case{12, true, 12.0}, Case{13, false, 30.0}}) {
    const Audio audio = DenseStream(c.seed, 2.5, c.inverted, c.noise);
    for (std::size_t at = 0; at < audio.size(); at += kRing) {
      FeedBuffer(Audio(audio.begin() + static_cast<std::ptrdiff_t>(at),
                       audio.begin() + static_cast<std::ptrdiff_t>(std::min(audio.size(), at + kRing))));
      Tick();
    }
  }
  FeedBuffers(test::SynthesizeNoise(kRing, 5.0, 4), kRing);  // flush the last second
  EXPECT_GT(fast_.found.size(), 100u);
  ExpectSame();
}

// A buffer handed over while one is being fed, or while capture is stopped,
// is dropped by both; a capture start resets the write index to 0 with the
// ring's old content still in place.
TEST_F(FastSearchEquivalence, SkippedBuffersAndCaptureRestart) {
  const Audio audio = DenseStream(21, 5.0, false, 8.0);
  SetBoth(&CVantrelDoc::polarity, 0);
  int n = 0;
  for (std::size_t at = 0; at < audio.size(); at += kRing, ++n) {
    const Audio buffer(audio.begin() + static_cast<std::ptrdiff_t>(at),
                       audio.begin() + static_cast<std::ptrdiff_t>(std::min(audio.size(), at + kRing)));
    SetBoth(&CVantrelDoc::decodingBusy, n == 1 ? 1 : 0);
    SetBoth(&CVantrelDoc::captureRunning, n == 3 ? 0 : 1);
    if (n == 2) SetBoth(&CVantrelDoc::ringWriteIndex, 0);
    if (n == 4) SetBoth(&CVantrelDoc::ringWriteIndex, 30000);
    FeedBuffer(buffer);
  }
  EXPECT_GT(fast_.found.size(), 20u);
  ExpectSame();
}

// Processing buffers of any size, including ones longer than the ring, ones
// that end in the middle of a packet or of a skip, and ones whose last or
// first sample is the one whose search finds a packet.
TEST_F(FastSearchEquivalence, BuffersOfAnySize) {
  const Audio audio = DenseStream(31, 4.0, true, 10.0);
  WatchedDoc probe(clock_);
  for (const std::uint8_t sample : audio) {
    ++probe.label;
    test::ReferenceFeedSample(probe, sample);
  }
  ASSERT_GT(probe.found.size(), 20u);
  std::vector<int> cuts;
  for (int k = 0; k < 6; ++k) cuts.push_back(probe.found[static_cast<std::size_t>(k)].buffer - k % 2);
  for (const int size : {1, 7, 959, 960, 961, 1919, 1920, 1921, 47999, 48001}) {
    cuts.push_back(cuts.back() + size);
  }
  cuts.push_back(cuts.back() + 100003);
  std::size_t at = 0;
  for (const int cut : cuts) {
    const auto end = std::min(audio.size(), static_cast<std::size_t>(cut));
    FeedBuffer(Audio(audio.begin() + static_cast<std::ptrdiff_t>(at),
                     audio.begin() + static_cast<std::ptrdiff_t>(end)));
    at = end;
  }
  FeedBuffers(Audio(audio.begin() + static_cast<std::ptrdiff_t>(at), audio.end()), 5000);
  EXPECT_EQ(fast_.found.size(), probe.found.size());
  ExpectSame();
}

// Sample by sample, with a capture restart and a polarity flip on the way,
// then whole buffers and single samples in turn.
TEST_F(FastSearchEquivalence, SampleBySampleAndMixed) {
  const Audio audio = DenseStream(41, 3.0, false, 10.0);
  const auto third = static_cast<std::ptrdiff_t>(audio.size() / 3);
  SetBoth(&CVantrelDoc::polarity, 0);
  FeedSamples(Audio(audio.begin(), audio.begin() + third));
  SetBoth(&CVantrelDoc::ringWriteIndex, 0);
  FeedSamples(Audio(audio.begin() + third, audio.begin() + 2 * third));
  FeedBuffers(Audio(audio.begin() + 2 * third, audio.end()), 10000);
  FeedSamples(DenseStream(42, 1.0, true, 0.0));
  SetBoth(&CVantrelDoc::polarity, 1);
  FeedSamples(UniformNoise(43, kRing / 2));
  FeedSamples(test::SynthesizeNoise(kRing, 5.0, 44));
  EXPECT_GT(fast_.found.size(), 40u);
  ExpectSame();
}

// A short and an ephemeris packet whose samples run past the end of the ring.
TEST_F(FastSearchEquivalence, PacketsAcrossTheRingEnd) {
  const std::vector<Packet> packets = {
      test::WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}),
      {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0, 0,
       0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78}};
  test::SynthOptions options;
  options.idleBits = 40;
  SetBoth(&CVantrelDoc::polarity, 0);
  for (const int start : {kRing - 500, kRing - 1500}) {
    options.leadInSamples = start;
    Audio audio = test::SynthesizePackets({packets[start == kRing - 500 ? 0 : 1]}, options);
    audio.resize(2 * kRing, 128);
    SetBoth(&CVantrelDoc::ringWriteIndex, 0);
    FeedBuffers(audio, kRing);
    // Taken at the earliest offset whose bits read right: its window
    // edges carry no pulse, so that may be a sample or two early.
    ASSERT_FALSE(fast_.found.empty());
    EXPECT_GE(fast_.found.back().position, start - 3);
    EXPECT_LE(fast_.found.back().position, start);
    FeedSamples(audio);  // write index 0 again after two seconds
  }
  EXPECT_EQ(fast_.found.size(), 4u);
  ExpectSame();
}

// Ring entries written directly, far outside the range of samples: the
// correlations must still come out exactly as the plain sums do.
TEST_F(FastSearchEquivalence, RingWrittenDirectly) {
  std::mt19937 rng(51);
  for (int i = 0; i < kRing; ++i) {
    const auto value = static_cast<std::int32_t>(rng() % 2000001) - 1000000;
    fast_.ring[i] = plain_.ring[i] = (i % 7 == 0) ? 0 : value;
  }
  fast_.searchCache.Invalidate();
  FeedSamples(test::SynthesizeNoise(3000, 10.0, 52));
  FeedBuffers(test::SynthesizeNoise(kRing, 10.0, 53), kRing);
  ExpectSame();
}

}  // namespace
}  // namespace vantrel
