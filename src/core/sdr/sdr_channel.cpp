#include "sdr/sdr_channel.h"

#include <algorithm>

namespace vantrel::sdr {

namespace {
// Share of the measured frequency error taken per block: a loop of a few Hz
// follows 60 Hz/s of Doppler change without chasing the noise.
constexpr double kFrequencyGain = 0.1;
constexpr int kMinSymbolsForError = 16;
// A misread symbol makes two wrong neighbouring bits, often only moderately
// weak. A bit is as reliable as the weaker of its two symbols, so a packet
// near the limit has up to about 16 weak bits where noise has 30. A
// satellite's downlink is continuous, so corrections keep to its frame grid.
constexpr int kMaxWeakToCorrect = 16;
constexpr CorrectionOptions kCorrection{.flipFraction = 0.3f,
                                        .pairCandidates = 8,
                                        .framedCorrections = true,
                                        .maxWeakToCorrect = kMaxWeakToCorrect};
// In a band of several downlinks, faded and beside other signals, some
// packets are misread so that another set of weak bits mends them as well
// (two bit 7s in bytes of like parity, say); such corrections are refused. A
// single downlink keeps them: on the real pass with noise added the rule
// cost up to 5 of its 98 packets and cut no false one. Under the rule twice
// the neighbouring pairs, and two misread symbols together, mend more of a
// fading satellite's packets with few more false ones.
constexpr CorrectionOptions kBandCorrection{.flipFraction = 0.3f,
                                            .pairCandidates = 16,
                                            .framedCorrections = true,
                                            .ambiguityMargin = 0.5f,
                                            .symbolErrors = true,
                                            .maxWeakToCorrect = kMaxWeakToCorrect};
}  // namespace

SdrChannel::SdrChannel(const BandTransform& band, int id, double carrierHz,
                       std::int64_t firstSample, bool inBand)
    : band_(band),
      id_(id),
      firstSample_(firstSample),
      extractor_(band, carrierHz, inBand),
      finder_([this](const FoundPacket& found) { return OnPacket(found); },
              inBand ? kBandCorrection : kCorrection) {}

void SdrChannel::Process(const Complex* block, std::vector<SdrPacket>* packets) {
  samples_.clear();
  bits_.clear();
  extractor_.Process(block, &samples_);
  demodulator_.Process(samples_, &bits_);
  int symbols = 0;
  const double error = demodulator_.TakeFrequencyError(&symbols);
  if (symbols >= kMinSymbolsForError)
    extractor_.SetCarrierHz(extractor_.carrierHz() + kFrequencyGain * error);
  sink_ = packets;
  for (float bit : bits_) finder_.Push(bit);
  sink_ = nullptr;
}

void SdrChannel::Flush(std::vector<SdrPacket>* packets) {
  sink_ = packets;
  bits_.clear();
  demodulator_.Flush(&bits_);
  for (float bit : bits_) finder_.Push(bit);
  finder_.Flush();
  sink_ = nullptr;
}

PacketOutcome SdrChannel::OnPacket(const FoundPacket& found) {
  // The document interprets packets later on its own thread, so every
  // checked packet counts as taken here.
  if (sink_ == nullptr) return PacketOutcome::Accepted;
  SdrPacket packet;
  packet.sample = firstSample_ + static_cast<std::int64_t>(static_cast<double>(found.startBit) *
                                                           band_.sampleRate() / kSymbolRate);
  packet.channel = id_;
  packet.length = std::min(found.length, 24);
  std::copy_n(found.bytes, packet.length, packet.bytes.begin());
  packet.source.demodulator = DemodulatorKind::Sdr;
  packet.source.polarity = found.polarity;
  packet.source.correctedBits = found.correctedBits;
  packet.source.carrierHz = extractor_.carrierHz();
  if (packet.bytes[0] == 0x65 && packet.bytes[1] == 0xA8 && packet.bytes[2] == 0xF9 &&
      packet.bytes[3] != 0) {
    satellite_ = packet.bytes[3];
  }
  ++packetsFound_;
  sink_->push_back(packet);
  return PacketOutcome::Accepted;
}

}  // namespace vantrel::sdr
