// The sensitive demodulator's side of the decoder: choosing it, feeding it
// the audio that the sample ring also keeps, and interpreting what it finds.
#include <algorithm>

#include "demod/sensitive_demodulator.h"
#include "document/vantrel_doc.h"

namespace vantrel {

void VantrelDoc::SetDemodulator(int choice) {
  demodulator = choice == kDemodulatorSensitive ? kDemodulatorSensitive : kDemodulatorClassic;
  sensitiveDemodulator.reset();
  skipCounter = 0;
  backToBack = false;
}

void VantrelDoc::FeedSensitive(const std::uint8_t* samples, int count) {
  if (!sensitiveDemodulator) {
    sensitiveDemodulator = std::make_unique<SensitiveDemodulator>(
        [this](const FoundPacket& found) { return InterpretFoundPacket(found); });
  }
  // The ring keeps the audio for the Signal screen as with the packet search.
  for (int i = 0; i < count;) {
    const int run = std::min(count - i, kRingLength - ringWriteIndex);
    for (int j = 0; j < run; ++j)
      ring[ringWriteIndex + j] = static_cast<std::int32_t>(samples[i + j]) - 128;
    i += run;
    ringWriteIndex = (ringWriteIndex + run) % kRingLength;
  }
  searchCache.Invalidate();
  sensitiveDemodulator->Feed(samples, count);
}

PacketOutcome VantrelDoc::InterpretFoundPacket(const FoundPacket& found) {
  packetSource = PacketSource{DemodulatorKind::Sensitive, found.polarity, found.correctedBits,
                              std::nullopt, false};
  const PacketOutcome outcome = InterpretPacket(found.bytes);
  // Both polarities are tried on every packet; the status pane shows the last one's.
  if (outcome == PacketOutcome::Accepted) polarity = found.polarity;
  return outcome;
}

}  // namespace vantrel
