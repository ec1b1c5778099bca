#include "support/reference_search.h"

#include "base/packet_types.h"

namespace vantrel::test {

namespace {

constexpr int kRing = VantrelDoc::kRingLength;

// Correlation of one bit window against the pulse shape - - + + + + + - - -.
int BitCorrelation(const std::int32_t* ring, int start) {
  static constexpr int kWeights[kSamplesPerBit] = {-1, -1, 1, 1, 1, 1, 1, -1, -1, -1};
  int r = 0;
  for (int j = 0; j < kSamplesPerBit; ++j) r += kWeights[j] * ring[(start + j) % kRing];
  return r;
}

// Byte n of the stream starting at ring position p, least significant bit first.
std::uint8_t ReadByte(const std::int32_t* ring, int p, int n, int polarity) {
  unsigned acc = 0;
  for (int k = 0; k < 8; ++k) {
    const int r = BitCorrelation(ring, p + kSamplesPerByte * n + kSamplesPerBit * k);
    const bool one = polarity == 0 ? r > 0 : r <= 0;
    acc >>= 1;
    if (one) acc |= 0x80;
  }
  return static_cast<std::uint8_t>(acc);
}

}  // namespace

void ReferenceFeedSample(VantrelDoc& doc, std::uint8_t sample) {
  PacketSearch::State& s = doc.packetSearch().EditState();
  s.ring[s.writeIndex] = static_cast<std::int32_t>(sample) - 128;
  s.writeIndex = (s.writeIndex + 1) % kRing;
  const int p = s.writeIndex;
  if (s.skipCounter > 0) {
    --s.skipCounter;
    return;
  }
  const bool backToBack = s.backToBack;
  s.backToBack = false;
  std::uint8_t packet[kLongPacketBytes];
  packet[0] = ReadByte(s.ring.data(), p, 0, s.polarity);
  if (!IsPacketType(packet[0]) && !backToBack) return;
  const int length = PacketLength(packet[0]);
  for (int n = 1; n < length; ++n) packet[n] = ReadByte(s.ring.data(), p, n, s.polarity);
  if (PacketChecksum(packet, length) != 0) return;
  const PacketSource source{DemodulatorKind::Classic, s.polarity, 0, std::nullopt, false};
  if (doc.InterpretPacket(packet, source) == PacketOutcome::Accepted) {
    s.skipCounter = length * kSamplesPerByte - 1;
    s.backToBack = true;
  }
}

void ReferenceFeedSamples(VantrelDoc& doc, const std::uint8_t* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) ReferenceFeedSample(doc, samples[i]);
}

}  // namespace vantrel::test
