// What the packet search keeps beside the sample ring so that it does not
// need 80 ring reads for every sample position:
//  - for single samples (FeedSample), the raw sign of the bit window that
//    starts at every ring position, updated by one window per stored sample;
//  - for whole buffers (FeedBuffer), scratch space for searching the stream
//    "old ring content, then the new samples" in a few linear passes.
// Everything here is derived from the ring. The per-position signs follow
// the ring as long as samples are stored one after the other at the write
// index; when the write index moves any other way (capture start resets it
// to 0) they are rebuilt from the ring. Code that writes ring entries
// directly must call Invalidate() before the next FeedSample.
#pragma once

#include <cstdint>
#include <vector>

#include "base/sample_rate.h"

namespace vantrel {

class SearchCache {
 public:
  static constexpr int kRingLength = kCaptureSampleRate;
  // Samples read by the longest packet (24 bytes of 80 samples).
  static constexpr int kReach = 1920;

  SearchCache();

  // --- single samples ---
  // Call after storing a sample at ring[index].
  void Stored(const std::vector<std::int32_t>& ring, int index);
  // Reads the packet that starts at ring position p (the oldest entry after
  // the last Stored()) with the given polarity mask (0x00 upright, 0xFF
  // inverted); returns its length, or 0 when byte 0 is no packet type and
  // anyType is false (with anyType other type bytes read 12 bytes).
  int ReadRingPacket(int p, std::uint8_t invert, std::uint8_t* packet, bool anyType = false) const;
  // Forget the per-position signs; the next Stored() rebuilds them.
  void Invalidate() { next_ = -1; }

  // --- whole buffers ---
  // The stream is the ring's content from position start on (oldest first),
  // followed by count <= kRingLength new samples (unsigned, stored as sample
  // - 128). The search that follows storing new sample i starts at stream
  // entry i + 1.
  void PrepareStream(const std::vector<std::int32_t>& ring, int start, const std::uint8_t* samples,
                     int count);
  // Raw signs by stream entry, for entries 0 .. count + kReach - 10.
  const std::uint8_t* StreamSigns() const { return streamSigns_.data(); }
  // First stream entry k in [from, end) whose candidate flags (bits of
  // window_bits.h) include flag, or end; end <= count + 1.
  int NextCandidate(int from, int end, std::uint8_t flag) const;

 private:
  void Rebuild(const std::vector<std::int32_t>& ring);
  void SetSign(int q, bool sign);

  // The raw sign of the window at ring position q is bit q / 10 of phase
  // stream q % 10, so a packet's bits in stream order are consecutive bits
  // of one phase stream and each byte is one shifted load. Each stream
  // repeats its first bits at its end so that a packet read never wraps.
  static constexpr int kPhaseBits = (kRingLength + kReach) / 10;
  static constexpr int kPhaseBytes = kPhaseBits / 8 + 8;
  std::vector<std::uint8_t> phaseBits_;
  int next_ = -1;  // write index Stored() expects next; -1: rebuild
  // Sums (modulo 2^32) of the last ten stored entries and of the five in
  // the middle of them: the window ending at the last stored entry.
  std::uint32_t sum10_ = 0;
  std::uint32_t sum5_ = 0;
  // The newest window's sign, not yet in the phase streams (-1: none).
  int pendingWindow_ = -1;
  bool pendingSign_ = false;
  std::vector<std::uint32_t> prefix_;
  std::vector<std::uint8_t> streamSigns_;
  std::vector<std::uint8_t> flags_;
};

}  // namespace vantrel
