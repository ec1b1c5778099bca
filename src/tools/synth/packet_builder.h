// Builds downlink packets: fills in the two check bytes so that
// the two-sum check comes out zero.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::synth {

using Packet = std::vector<std::uint8_t>;

// bytes holds the packet without its last two bytes (10 or 22 bytes).
Packet WithChecksum(Packet bytes);

}  // namespace vantrel::synth
