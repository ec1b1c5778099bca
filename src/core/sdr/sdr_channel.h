// One downlink of the band: extraction, differential demodulation, carrier
// tracking and the soft-bit packet finder. Checked packets are queued with
// the band sample at which they began, to be interpreted in time order with
// the other channels' packets.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/packet_source.h"
#include "demod/soft_packet_finder.h"
#include "sdr/band_transform.h"
#include "sdr/channel_extractor.h"
#include "sdr/differential_demodulator.h"

namespace vantrel::sdr {

struct SdrPacket {
  std::int64_t sample = 0;  // band sample index of the packet's first bit
  int channel = 0;          // SdrChannel id
  int length = 0;           // 12 or 24
  std::array<std::uint8_t, 24> bytes{};
  PacketSource source;
};

class SdrChannel {
 public:
  // firstSample: the band sample of the first block this channel will see;
  // inBand: one of several downlinks of a wide band, not a single one tuned in.
  SdrChannel(const BandTransform& band, int id, double carrierHz, std::int64_t firstSample,
             bool inBand);

  // One band block; checked packets are appended to *packets.
  void Process(const Complex* block, std::vector<SdrPacket>* packets);
  // Takes the symbol timing of a channel that ran over the same blocks.
  void AdoptTiming(const SdrChannel& settled) { demodulator_.AdoptTiming(settled.demodulator_); }
  // Tries the last bits still waiting in the finder.
  void Flush(std::vector<SdrPacket>* packets);

  int id() const { return id_; }
  double carrierHz() const { return extractor_.carrierHz(); }
  void SetCarrierHz(double hz) { extractor_.SetCarrierHz(hz); }
  int satellite() const { return satellite_; }  // FM number from a sync packet; 0 until then
  int packetsFound() const { return packetsFound_; }
  // Consecutive carrier checks at which the channel's hump was missing.
  int missedChecks = 0;

 private:
  PacketOutcome OnPacket(const FoundPacket& found);

  const BandTransform& band_;
  int id_;
  std::int64_t firstSample_;
  ChannelExtractor extractor_;
  DifferentialDemodulator demodulator_;
  SoftPacketFinder finder_;
  std::vector<Complex> samples_;
  std::vector<float> bits_;
  std::vector<SdrPacket>* sink_ = nullptr;
  int satellite_ = 0;
  int packetsFound_ = 0;
};

}  // namespace vantrel::sdr
