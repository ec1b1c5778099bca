// The sample ring and the packet search: every sample position is tried as a
// packet start; a cheap test of the type byte rejects almost all of them and
// the checksum decides for the rest. Right after an accepted packet, where a
// downlink sends the next one, a type byte outside the eight is read too.
//
// The bit decisions are not recomputed for each start position. The raw sign
// of each ten-sample window depends only on ring entries, and a position's
// type byte is eight such signs 80 samples long, so the signs are computed
// once per sample (see search_cache.h) and the polarity is applied when a
// byte is assembled. The packets found, their positions and the skip and
// polarity behaviour are the same as reading 80 ring entries per position.
#include <algorithm>
#include <utility>

#include "base/packet_types.h"
#include "decoder/window_bits.h"
#include "document/vantrel_doc.h"

namespace vantrel {

static_assert(SearchCache::kRingLength == VantrelDoc::kRingLength);

namespace {

std::uint8_t InvertMask(int polarity) { return polarity == 0 ? 0x00 : 0xFF; }

// Checks a packet read at the current start position and hands it to
// interpretation; an accepted packet makes the search skip the rest of its
// samples and try the position right after them for a packet of any type.
void TryPacket(VantrelDoc& doc, const std::uint8_t* packet, int length) {
  if (length == 0 || PacketChecksum(packet, length) != 0) return;
  doc.packetSource = PacketSource{DemodulatorKind::Classic, doc.polarity, 0, std::nullopt, false};
  if (doc.InterpretPacket(packet) == PacketOutcome::Accepted) {
    doc.skipCounter = length * kSamplesPerByte - 1;
    doc.backToBack = true;
  }
}

// Whether this search is the one right after an accepted packet's skip;
// only that position takes a type byte outside the eight.
bool TakeBackToBack(VantrelDoc& doc) { return std::exchange(doc.backToBack, false); }

// Stores samples[from .. to) at ring positions start + from onward.
void StoreSamples(VantrelDoc& doc, int start, const std::uint8_t* samples, int from, int to) {
  int index = (start + from) % VantrelDoc::kRingLength;
  while (from < to) {
    const int run = std::min(to - from, VantrelDoc::kRingLength - index);
    std::int32_t* out = doc.ring.data() + index;
    for (int i = 0; i < run; ++i) out[i] = static_cast<std::int32_t>(samples[from + i]) - 128;
    from += run;
    index = 0;
  }
}

// Feeds count <= kRingLength samples as FeedSample would one by one. The
// ring and write index are brought up to date before each interpretation,
// so they read as they would there.
void FeedChunk(VantrelDoc& doc, const std::uint8_t* samples, int count) {
  const int start = doc.ringWriteIndex;
  SearchCache& cache = doc.searchCache;
  cache.PrepareStream(doc.ring, start, samples, count);
  const std::uint8_t* signs = cache.StreamSigns();
  int stored = 0;
  int i = 0;  // next sample to feed
  while (i < count) {
    if (doc.skipCounter > 0) {
      const int skipped = std::min(doc.skipCounter, count - i);
      doc.skipCounter -= skipped;
      i += skipped;
      continue;
    }
    // The search after storing sample i starts at stream entry i + 1.
    if (doc.backToBack) {
      StoreSamples(doc, start, samples, stored, i + 1);
      stored = i + 1;
      doc.ringWriteIndex = (start + stored) % VantrelDoc::kRingLength;
      std::uint8_t packet[kLongPacketBytes];
      const bool anyType = TakeBackToBack(doc);
      TryPacket(doc, packet,
                ReadPacketBits(signs + i + 1, InvertMask(doc.polarity), packet, anyType));
      ++i;
      continue;
    }
    const std::uint8_t flag = doc.polarity == 0 ? kCandidateUpright : kCandidateInverted;
    const int k = cache.NextCandidate(i + 1, count + 1, flag);
    if (k > count) break;
    i = k - 1;
    StoreSamples(doc, start, samples, stored, i + 1);
    stored = i + 1;
    doc.ringWriteIndex = (start + stored) % VantrelDoc::kRingLength;
    std::uint8_t packet[kLongPacketBytes];
    TryPacket(doc, packet, ReadPacketBits(signs + k, InvertMask(doc.polarity), packet));
    ++i;
  }
  StoreSamples(doc, start, samples, stored, count);
  doc.ringWriteIndex = (start + count) % VantrelDoc::kRingLength;
  cache.Invalidate();
}

}  // namespace

void VantrelDoc::FeedSample(std::uint8_t sample) {
  if (demodulator == kDemodulatorSensitive) {
    FeedSensitive(&sample, 1);
    return;
  }
  const int w = ringWriteIndex;
  ring[w] = static_cast<std::int32_t>(sample) - 128;
  ringWriteIndex = (w + 1) % kRingLength;
  searchCache.Stored(ring, w);
  const int p = ringWriteIndex;
  if (skipCounter > 0) {
    --skipCounter;
    return;
  }
  std::uint8_t packet[kLongPacketBytes];
  const bool anyType = TakeBackToBack(*this);
  TryPacket(*this, packet, searchCache.ReadRingPacket(p, InvertMask(polarity), packet, anyType));
}

void VantrelDoc::FeedSamples(const std::uint8_t* samples, std::size_t count) {
  for (std::size_t done = 0; done < count; done += kRingLength) {
    const int chunk = static_cast<int>(std::min<std::size_t>(kRingLength, count - done));
    if (demodulator == kDemodulatorSensitive)
      FeedSensitive(samples + done, chunk);
    else
      FeedChunk(*this, samples + done, chunk);
  }
}

void VantrelDoc::FeedBuffer() {
  if (decodingBusy) return;
  decodingBusy = 1;
  if (captureRunning) FeedSamples(processingBuffer.data(), processingBuffer.size());
  decodingBusy = 0;
}

std::vector<std::string> VantrelDoc::DecodeSamples(const std::uint8_t* samples, std::size_t count) {
  std::vector<std::string> lines;
  if (decodingBusy) return lines;
  decodingBusy = 1;
  postedLines_ = &lines;
  FeedSamples(samples, count);
  postedLines_ = nullptr;
  decodingBusy = 0;
  return lines;
}

std::vector<std::string> VantrelDoc::DecodePacket(const std::uint8_t* packet,
                                                  const PacketSource& source) {
  std::vector<std::string> lines;
  if (decodingBusy) return lines;
  decodingBusy = 1;
  postedLines_ = &lines;
  packetSource = source;
  InterpretPacket(packet);
  postedLines_ = nullptr;
  decodingBusy = 0;
  return lines;
}

void VantrelDoc::WatchPolarity() {
  // The sensitive demodulator reads both polarities and needs no watch.
  if (demodulator == kDemodulatorSensitive) return;
  const CTime threshold = clock().Now() - 5;
  if (lastDecodeTime < threshold) polarity = polarity == 0 ? 1 : 0;
}

}  // namespace vantrel
