#include "decoder/search_cache.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/packet_types.h"
#include "decoder/window_bits.h"

namespace vantrel {

namespace {

constexpr int kWindow = 10;
// Word-at-a-time scanning of the candidate flags reads up to 8 bytes past
// the last flag.
constexpr int kFlagPadding = 8;

// Appends entries to a running prefix sum; returns the new sum.
template <typename Value>
std::uint32_t AppendPrefix(std::uint32_t sum, const Value* values, int count, std::int32_t offset,
                           std::uint32_t* out) {
  for (int i = 0; i < count; ++i) {
    sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(values[i]) + offset);
    out[i] = sum;
  }
  return sum;
}

}  // namespace

SearchCache::SearchCache()
    : phaseBits_(10 * kPhaseBytes, 0),
      prefix_(kRingLength + kReach + kWindow + 1, 0),
      streamSigns_(kRingLength + kReach, 0),
      flags_(kRingLength + 1 + kFlagPadding, 0) {}

void SearchCache::SetSign(int q, bool sign) {
  // 48000 is a multiple of 10, so the copy at q + kRingLength has the same phase.
  std::uint8_t* bits = phaseBits_.data() + (q % 10) * kPhaseBytes;
  const int n = q / 10;
  const auto mask = static_cast<std::uint8_t>(1u << (n & 7));
  for (int at = n; at < kPhaseBits; at += kRingLength / 10) {
    if (sign) {
      bits[at >> 3] |= mask;
    } else {
      bits[at >> 3] &= static_cast<std::uint8_t>(~mask);
    }
  }
}

void SearchCache::Rebuild(const std::vector<std::int32_t>& ring) {
  // Window signs of the stream ring[0 ..] followed by its first kReach + 9
  // entries again, packed into the phase streams.
  std::uint32_t* prefix = prefix_.data();
  prefix[0] = 0;
  const std::uint32_t sum = AppendPrefix(0u, ring.data(), kRingLength, 0, prefix + 1);
  AppendPrefix(sum, ring.data(), kReach + kWindow - 1, 0, prefix + 1 + kRingLength);
  const std::uint8_t* signs = streamSigns_.data();
  WindowSigns(prefix, kRingLength + kReach, streamSigns_.data());
  std::fill(phaseBits_.begin(), phaseBits_.end(), 0);
  for (int phase = 0; phase < 10; ++phase) {
    std::uint8_t* bits = phaseBits_.data() + phase * kPhaseBytes;
    for (int n = 0; n < kPhaseBits; ++n) {
      bits[n >> 3] = static_cast<std::uint8_t>(bits[n >> 3] | signs[phase + 10 * n] << (n & 7));
    }
  }
}

void SearchCache::Stored(const std::vector<std::int32_t>& ring, int index) {
  const auto at = [&](int back) {
    const int i = index - back;
    return static_cast<std::uint32_t>(ring[i < 0 ? i + kRingLength : i]);
  };
  if (index != next_) {
    Rebuild(ring);
    pendingWindow_ = -1;
    sum10_ = 0;
    for (int back = 0; back < kWindow; ++back) sum10_ += at(back);
    sum5_ = 0;
    for (int back = 3; back < 8; ++back) sum5_ += at(back);
  } else {
    // Slide both sums by one sample. Scalar reads of recently stored entries
    // keep the store-to-load path fast. The window that ends at the new
    // sample is now complete; the windows that also cover entries older
    // than the oldest are only read after those entries have been stored,
    // which updates them in turn.
    sum10_ += at(0) - at(kWindow);
    sum5_ += at(3) - at(8);
    int q = index - (kWindow - 1);
    if (q < 0) q += kRingLength;
    // The sign is written one sample late: by then the search reads another
    // phase stream, so the store never stalls the next read.
    if (pendingWindow_ >= 0) SetSign(pendingWindow_, pendingSign_);
    pendingWindow_ = q;
    pendingSign_ = RawSign((sum5_ << 1) - sum10_);
  }
  next_ = index + 1 == kRingLength ? 0 : index + 1;
}

void SearchCache::PrepareStream(const std::vector<std::int32_t>& ring, int start,
                                const std::uint8_t* samples, int count) {
  // The searches after new samples 0 .. count - 1 read stream entries
  // 1 .. count + kReach - 1.
  const int needed = count + kReach;
  std::uint32_t* prefix = prefix_.data();
  prefix[0] = 0;
  std::uint32_t sum = 0;
  int filled = 0;
  const int tail = std::min(kRingLength - start, needed);
  sum = AppendPrefix(sum, ring.data() + start, tail, 0, prefix + 1);
  filled += tail;
  const int head = std::min(start, needed - filled);
  sum = AppendPrefix(sum, ring.data(), head, 0, prefix + 1 + filled);
  filled += head;
  AppendPrefix(sum, samples, needed - filled, -128, prefix + 1 + filled);

  WindowSigns(prefix, needed - (kWindow - 1), streamSigns_.data());
  CandidateFlags(streamSigns_.data(), count + 1, flags_.data());
  std::memset(flags_.data() + count + 1, 0, kFlagPadding);
}

int SearchCache::ReadRingPacket(int p, std::uint8_t invert, std::uint8_t* packet,
                                bool anyType) const {
  const std::uint8_t* at = phaseBits_.data() + (p % 10) * kPhaseBytes + (p / 10) / 8;
  const int shift = (p / 10) & 7;
  const auto byte = [&](int m) {
    return static_cast<std::uint8_t>(((at[m] | at[m + 1] << 8) >> shift) ^ invert);
  };
  packet[0] = byte(0);
  if (!anyType && !IsPacketType(packet[0])) return 0;
  const int length = PacketLength(packet[0]);
  for (int m = 1; m < length; ++m) packet[m] = byte(m);
  return length;
}

int SearchCache::NextCandidate(int from, int end, std::uint8_t flag) const {
  const std::uint8_t* flags = flags_.data();
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t pattern = 0x0101010101010101ull * flag;
    for (int k = from; k < end; k += 8) {
      std::uint64_t word;
      std::memcpy(&word, flags + k, sizeof word);
      word &= pattern;
      if (word != 0) return std::min(end, k + std::countr_zero(word) / 8);
    }
    return end;
  } else {
    for (int k = from; k < end; ++k) {
      if (flags[k] & flag) return k;
    }
    return end;
  }
}

}  // namespace vantrel
