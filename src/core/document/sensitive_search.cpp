// The sensitive demodulator's side of the decoder: choosing it, feeding it
// the audio that the sample ring also keeps, and interpreting what it finds.
#include "demod/sensitive_demodulator.h"
#include "document/vantrel_doc.h"

namespace vantrel {

void VantrelDoc::SetDemodulator(int choice) {
  demodulator = choice == kDemodulatorSensitive ? kDemodulatorSensitive : kDemodulatorClassic;
  sensitiveDemodulator.reset();
  search_.ClearSkip();
}

void VantrelDoc::FeedSensitive(const std::uint8_t* samples, int count) {
  if (!sensitiveDemodulator) {
    sensitiveDemodulator = std::make_unique<SensitiveDemodulator>(
        [this](const FoundPacket& found) { return InterpretFoundPacket(found); });
  }
  // The ring keeps the audio for the Signal screen as with the packet search.
  search_.Store(samples, static_cast<std::size_t>(count));
  sensitiveDemodulator->Feed(samples, count);
}

PacketOutcome VantrelDoc::InterpretFoundPacket(const FoundPacket& found) {
  const PacketOutcome outcome =
      InterpretPacket(found.bytes, PacketSource{DemodulatorKind::Sensitive, found.polarity,
                                                found.correctedBits, std::nullopt, false});
  // Both polarities are tried on every packet; the status pane shows the last one's.
  if (outcome == PacketOutcome::Accepted) search_.SetPolarity(found.polarity);
  return outcome;
}

}  // namespace vantrel
