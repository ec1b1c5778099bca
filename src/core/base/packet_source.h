// Where the packet being interpreted came from: the demodulator that found
// it, which way up the signal was read, how many bits had to be corrected
// and, for a channel of an SDR band, the carrier's measured frequency. It
// goes with each packet a demodulator hands to the document's
// InterpretPacket; machine-readable outputs report it beside the packet.
#pragma once

#include <optional>

namespace vantrel {

enum class DemodulatorKind { Classic, Sensitive, Sdr };

struct PacketSource {
  DemodulatorKind demodulator = DemodulatorKind::Classic;
  int polarity = 0;       // 0 upright, 1 inverted (the status pane's sense)
  int correctedBits = 0;  // bits changed by error correction; 0 for the classic search
  // Measured carrier in Hz: absolute when the SDR's centre frequency is
  // known, else the offset from the centre; empty for audio input.
  std::optional<double> carrierHz;
  bool carrierIsAbsolute = false;
};

}  // namespace vantrel
