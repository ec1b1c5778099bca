// The sample ring and the packet search: every sample position is tried as a
// packet start; a cheap test of the type byte rejects almost all of them and
// the checksum decides for the rest.
#include "decoder/packet_types.h"
#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

// Correlation of one bit window against the pulse shape - - + + + + + - - -.
inline int BitCorrelation(const std::int32_t* ring, int start) {
  static constexpr int kWeights[kSamplesPerBit] = {-1, -1, 1, 1, 1, 1, 1, -1, -1, -1};
  int r = 0;
  for (int j = 0; j < kSamplesPerBit; ++j) {
    r += kWeights[j] * ring[(start + j) % CVantrelDoc::kRingLength];
  }
  return r;
}

// Byte n of the stream starting at ring position p, least significant bit first.
inline std::uint8_t ReadByte(const std::int32_t* ring, int p, int n, int polarity) {
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

void CVantrelDoc::FeedSample(std::uint8_t sample) {
  ring[ringWriteIndex] = static_cast<std::int32_t>(sample) - 128;
  ringWriteIndex = (ringWriteIndex + 1) % kRingLength;
  const int p = ringWriteIndex;
  if (skipCounter > 0) {
    --skipCounter;
    return;
  }
  std::uint8_t packet[kLongPacketBytes];
  packet[0] = ReadByte(ring.data(), p, 0, polarity);
  if (!IsPacketType(packet[0])) return;
  const int length = PacketLength(packet[0]);
  for (int n = 1; n < length; ++n) packet[n] = ReadByte(ring.data(), p, n, polarity);
  if (PacketChecksum(packet, length) != 0) return;
  if (InterpretPacket(packet) == PacketOutcome::Accepted) {
    skipCounter = length * kSamplesPerByte - 1;
  }
}

void CVantrelDoc::FeedBuffer() {
  if (decodingBusy) return;
  decodingBusy = 1;
  if (captureRunning) {
    for (std::uint8_t sample : processingBuffer) FeedSample(sample);
  }
  decodingBusy = 0;
}

void CVantrelDoc::WatchPolarity() {
  const CTime threshold = clock().Now() - 5;
  if (lastDecodeTime < threshold) polarity = polarity == 0 ? 1 : 0;
}

}  // namespace vantrel
