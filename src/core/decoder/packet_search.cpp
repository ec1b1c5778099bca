// The bit decisions are not recomputed for each start position. The raw sign
// of each ten-sample window depends only on ring entries, and a position's
// type byte is eight such signs 80 samples long, so the signs are computed
// once per sample (see search_cache.h) and the polarity is applied when a
// byte is assembled. The packets found, their positions and the skip and
// polarity behaviour are the same as reading 80 ring entries per position.
#include "decoder/packet_search.h"

#include <algorithm>
#include <utility>

#include "base/packet_types.h"
#include "decoder/window_bits.h"

namespace vantrel {

static_assert(SearchCache::kRingLength == PacketSearch::kRingLength);

namespace {

std::uint8_t InvertMask(int polarity) { return polarity == 0 ? 0x00 : 0xFF; }

}  // namespace

PacketSearch::PacketSearch(PacketHandler handler) : handler_(std::move(handler)) {}

PacketSearch::State& PacketSearch::EditState() {
  cache_.Invalidate();
  return state_;
}

void PacketSearch::SetWriteIndex(int index) {
  state_.writeIndex = index;
  cache_.Invalidate();
}

void PacketSearch::ClearSkip() {
  state_.skipCounter = 0;
  state_.backToBack = false;
}

// Checks a packet read at the current start position and hands it on; an
// accepted packet makes the search skip the rest of its samples and try the
// position right after them for a packet of any type.
void PacketSearch::TryPacket(const std::uint8_t* packet, int length) {
  if (length == 0 || PacketChecksum(packet, length) != 0) return;
  if (handler_(packet, state_.polarity) == PacketOutcome::Accepted) {
    state_.skipCounter = length * kSamplesPerByte - 1;
    state_.backToBack = true;
  }
}

void PacketSearch::FeedSample(std::uint8_t sample) {
  const int w = state_.writeIndex;
  state_.ring[w] = static_cast<std::int32_t>(sample) - 128;
  state_.writeIndex = (w + 1) % kRingLength;
  cache_.Stored(state_.ring, w);
  const int p = state_.writeIndex;
  if (state_.skipCounter > 0) {
    --state_.skipCounter;
    return;
  }
  std::uint8_t packet[kLongPacketBytes];
  const bool anyType = std::exchange(state_.backToBack, false);
  TryPacket(packet, cache_.ReadRingPacket(p, InvertMask(state_.polarity), packet, anyType));
}

void PacketSearch::Feed(const std::uint8_t* samples, std::size_t count) {
  for (std::size_t done = 0; done < count; done += kRingLength)
    FeedChunk(samples + done, static_cast<int>(std::min<std::size_t>(kRingLength, count - done)));
}

// Stores samples[from .. to) at ring positions start + from onward.
void PacketSearch::StoreRun(int start, const std::uint8_t* samples, int from, int to) {
  int index = (start + from) % kRingLength;
  while (from < to) {
    const int run = std::min(to - from, kRingLength - index);
    std::int32_t* out = state_.ring.data() + index;
    for (int i = 0; i < run; ++i) out[i] = static_cast<std::int32_t>(samples[from + i]) - 128;
    from += run;
    index = 0;
  }
}

void PacketSearch::Store(const std::uint8_t* samples, std::size_t count) {
  for (std::size_t done = 0; done < count; done += kRingLength) {
    const int chunk = static_cast<int>(std::min<std::size_t>(kRingLength, count - done));
    StoreRun(state_.writeIndex, samples + done, 0, chunk);
    state_.writeIndex = (state_.writeIndex + chunk) % kRingLength;
  }
  cache_.Invalidate();
}

// Feeds count <= kRingLength samples as FeedSample would one by one. The
// ring and write index are brought up to date before each packet is handed
// on, so they read as they would there.
void PacketSearch::FeedChunk(const std::uint8_t* samples, int count) {
  const int start = state_.writeIndex;
  cache_.PrepareStream(state_.ring, start, samples, count);
  const std::uint8_t* signs = cache_.StreamSigns();
  int stored = 0;
  int i = 0;  // next sample to feed
  while (i < count) {
    if (state_.skipCounter > 0) {
      const int skipped = std::min(state_.skipCounter, count - i);
      state_.skipCounter -= skipped;
      i += skipped;
      continue;
    }
    // The search after storing sample i starts at stream entry i + 1.
    if (state_.backToBack) {
      StoreRun(start, samples, stored, i + 1);
      stored = i + 1;
      state_.writeIndex = (start + stored) % kRingLength;
      std::uint8_t packet[kLongPacketBytes];
      const bool anyType = std::exchange(state_.backToBack, false);
      TryPacket(packet,
                ReadPacketBits(signs + i + 1, InvertMask(state_.polarity), packet, anyType));
      ++i;
      continue;
    }
    const std::uint8_t flag = state_.polarity == 0 ? kCandidateUpright : kCandidateInverted;
    const int k = cache_.NextCandidate(i + 1, count + 1, flag);
    if (k > count) break;
    i = k - 1;
    StoreRun(start, samples, stored, i + 1);
    stored = i + 1;
    state_.writeIndex = (start + stored) % kRingLength;
    std::uint8_t packet[kLongPacketBytes];
    TryPacket(packet, ReadPacketBits(signs + k, InvertMask(state_.polarity), packet));
    ++i;
  }
  StoreRun(start, samples, stored, count);
  state_.writeIndex = (start + count) % kRingLength;
  cache_.Invalidate();
}

}  // namespace vantrel
