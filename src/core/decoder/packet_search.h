// The classic packet search over a one-second ring of discriminator samples:
// every sample position is tried as a packet start, and each packet whose
// checksum holds is handed to a handler. An accepted packet makes the search
// skip the rest of its samples and take the position right after them for a
// packet of any type byte (a downlink sends packets back to back).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/packet_outcome.h"
#include "base/sample_rate.h"
#include "decoder/search_cache.h"

namespace vantrel {

class PacketSearch {
 public:
  static constexpr int kRingLength = kCaptureSampleRate;  // one second

  // What the search keeps between samples.
  struct State {
    std::vector<std::int32_t> ring = std::vector<std::int32_t>(kRingLength, 0);  // sample - 128
    int writeIndex = 0;   // where the next sample goes; the oldest entry
    int skipCounter = 0;  // samples of an accepted packet still to pass over
    // Set by an accepted packet: the first search after its skip takes a
    // packet of any type byte.
    bool backToBack = false;
    int polarity = 1;  // 0 upright, 1 inverted
    bool operator==(const State&) const = default;
  };

  // Told each packet whose checksum holds, with the polarity it was read in.
  using PacketHandler = std::function<PacketOutcome(const std::uint8_t* packet, int polarity)>;

  explicit PacketSearch(PacketHandler handler);

  // Stores one sample and searches the position it completes.
  void FeedSample(std::uint8_t sample);
  // Feeds count samples as FeedSample would one by one, in a few linear passes.
  void Feed(const std::uint8_t* samples, std::size_t count);
  // Stores samples without searching them (another demodulator reads them;
  // the ring still keeps the audio for display).
  void Store(const std::uint8_t* samples, std::size_t count);
  // Forgets a packet being skipped.
  void ClearSkip();

  const State& state() const { return state_; }
  // For writing the state directly (a plain search kept in step with this
  // one, a test's ring); the derived window signs are rebuilt afterwards.
  State& EditState();

  const std::vector<std::int32_t>& ring() const { return state_.ring; }
  int writeIndex() const { return state_.writeIndex; }
  // Capture start moves the write index back to 0 with the old ring in place.
  void SetWriteIndex(int index);
  int polarity() const { return state_.polarity; }
  void SetPolarity(int polarity) { state_.polarity = polarity == 0 ? 0 : 1; }

 private:
  void FeedChunk(const std::uint8_t* samples, int count);
  void StoreRun(int start, const std::uint8_t* samples, int from, int to);
  void TryPacket(const std::uint8_t* packet, int length);

  PacketHandler handler_;
  State state_;
  // Window signs derived from the ring, so that the search does not re-read
  // 80 ring entries per sample; kept in step by FeedSample and Feed.
  SearchCache cache_;
};

}  // namespace vantrel
